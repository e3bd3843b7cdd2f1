// Fuzzes the TIFF JPEG strip decoder: image properties from the first bytes,
// then optional JPEG tables and a strip.
#include "fuzz_decoder_input.h"
#include "imaging/core/Warnings.h"
#include "imaging/decoders/TIFFJPEGDecoder.h"

#include <algorithm>

using namespace orvane::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        SetWarningHandler([](const std::string&, const std::string&) {});
        return true;
    }();
    (void)quiet;
    orvane::fuzz::DecoderInput input(data, size);
    TImageProperties p;
    p.Width = 1 + input.Byte() % 128;
    p.Height = 1 + input.Byte() % 128;
    const uint8_t flags = input.Byte();
    p.SamplesPerPixel = flags & 1 ? 3 : 1;
    p.BitsPerSample = 8;
    p.BitsPerPixel = static_cast<uint8_t>(8 * p.SamplesPerPixel);
    p.ColorScheme = flags & 2 ? TColorScheme::csYCbCr : p.SamplesPerPixel == 3 ? TColorScheme::csRGB : TColorScheme::csG;
    p.PlanarConfig = flags & 4 ? 2 : 1;
    if (flags & 8)
        p.YCbCrSubSampling = {static_cast<uint8_t>(1 + (flags >> 4) % 4), static_cast<uint8_t>(1 + (flags >> 6))};
    p.RowsPerStrip = {static_cast<uint32_t>(1 + input.Byte() % 128)};
    p.BytesPerLine = static_cast<uint32_t>(p.Width * p.SamplesPerPixel);
    p.CurrentRow = input.Byte() % 128;
    const size_t tableLength = input.Word() % 1024;
    std::vector<uint8_t> rest = input.Rest();
    const size_t split = std::min(tableLength, rest.size());
    p.JPEGTables.assign(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(split));
    std::vector<uint8_t> strip(rest.begin() + static_cast<std::ptrdiff_t>(split), rest.end());
    std::vector<uint8_t> output(p.RowsPerStrip[0] * static_cast<size_t>(p.BytesPerLine));

    TTIFFJPEGDecoder decoder(&p);
    try {
        decoder.BeginDecoding();
        for (int i = 0; i < 2; ++i) {
            const uint8_t* source = strip.data();
            uint8_t* target = output.data();
            decoder.Decode(source, target, strip.size(), output.size());
            if (target > output.data() + output.size())
                __builtin_trap();
        }
        decoder.EndDecoding();
    } catch (const EDecoderError&) {
    }
    return 0;
}
