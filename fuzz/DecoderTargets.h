#pragma once
// How each decoder target drives its decoder: parameters from the front of
// the fuzzer's bytes, the rest as packed data, the way its readers use it.
#include "fuzz_decoder_input.h"
#include "imaging/core/ImageProperties.h"
#include "imaging/core/Stream.h"
#include "imaging/decoders/CCITTDecoder.h"
#include "imaging/decoders/CUTRLEDecoder.h"
#include "imaging/decoders/LZ77Decoder.h"
#include "imaging/decoders/PCDDecoder.h"
#include "imaging/decoders/PCXRLEDecoder.h"
#include "imaging/decoders/PSPRLEDecoder.h"
#include "imaging/decoders/PackbitsRLEDecoder.h"
#include "imaging/decoders/RLADecoder.h"
#include "imaging/decoders/SGIRLEDecoder.h"
#include "imaging/decoders/TIFFJPEGDecoder.h"
#include "imaging/decoders/TargaRLEDecoder.h"
#include "imaging/decoders/ThunderDecoder.h"

#include <algorithm>
#include <memory>

namespace orvane::fuzz {

using namespace orvane::imaging;

// A run-length decoder without parameters over arbitrary output sizes.
template <class Decoder>
void RunLengthDecoder(DecoderInput& input)
{
    Decoder decoder;
    const size_t units = input.Word() % 8192;
    DecodeOnce(decoder, input.Rest(), units, units);
}

// The SGI run-length decoder, 8 and 16 bit.
inline void SGIDecoder(DecoderInput& input)
{
    TSGIRLEDecoder decoder(input.Byte() % 2 ? 16 : 8);
    const size_t units = input.Word() % 8192;
    DecodeOnce(decoder, input.Rest(), units, units);
}

// The Targa decoder at every pixel depth; it is asked for pixels.
inline void TargaDecoder(DecoderInput& input)
{
    const int depths[] = {8, 15, 16, 24, 32, 12};
    const size_t pixelSizes[] = {1, 2, 2, 3, 4, 1};
    const int choice = input.Byte() % 6;
    TTargaRLEDecoder decoder(depths[choice]);
    const size_t units = input.Word() % 4096;
    DecodeOnce(decoder, input.Rest(), units, units * pixelSizes[choice]);
}

inline void ThunderDecoder(DecoderInput& input)
{
    TThunderDecoder decoder(input.Word() % 2000);
    const size_t units = input.Word() % 8192;
    DecodeOnce(decoder, input.Rest(), units, units);
}

// The Group 3 and modified Huffman fax decoders with every option.
inline void CCITTDecoder(DecoderInput& input)
{
    const uint8_t flags = input.Byte();
    const int width = input.Word() % 6000;
    const size_t bytes = input.Word() % 16384;
    std::unique_ptr<TCCITTDecoder> decoder;
    if (flags & 1)
        decoder = std::make_unique<TCCITTFax3Decoder>((flags >> 1) & 5, width, false, flags & 8);
    else
        decoder = std::make_unique<TCCITTMHDecoder>(0, width, flags & 2, flags & 8);
    DecodeOnce(*decoder, input.Rest(), bytes, bytes);
}

// The deflate decoder the way its readers drive it: the data fed in pieces,
// output asked for in rows, with and without automatic reset.
inline void LZ77Decoder(DecoderInput& input)
{
    const uint8_t flags = input.Byte();
    const size_t piece = 1 + input.Byte() * 16u;
    const size_t row = 1 + input.Word() % 4096;
    TLZ77Decoder decoder(flags & 1 ? TLZ77Decoder::Finish : TLZ77Decoder::PartialFlush, flags & 2);
    std::vector<uint8_t> packed = input.Rest();
    std::vector<uint8_t> output(row);
    decoder.BeginDecoding();
    const uint8_t* source = packed.data();
    const uint8_t* const end = packed.data() + packed.size();
    // Bounded: each round either consumes input or stops.
    for (int round = 0; round < 10000 && source < end; ++round) {
        const size_t give = std::min(piece, static_cast<size_t>(end - source));
        const uint8_t* before = source;
        uint8_t* target = output.data();
        decoder.Decode(source, target, give, output.size());
        if (source < before || source > before + give || target > output.data() + output.size())
            __builtin_trap();
        if (decoder.ZLibResult() != TLZ77Decoder::ResultOk)
            break;
        if (source == before && target == output.data())
            break;
    }
    try {
        decoder.EndDecoding();
    } catch (const EDecoderError&) {
    }
}

// The Photo-CD difference decoder over a stream of arbitrary bytes, at
// widths around its one-table / three-table limit.
inline void PCDDecoder(DecoderInput& input)
{
    const int rows = 1 + input.Byte() % 64;
    const int width = 1 + input.Word() % 1600;
    std::vector<uint8_t> bytes = input.Rest();
    TMemoryStream stream(bytes.data(), bytes.size());
    std::vector<uint8_t> luma(static_cast<size_t>(rows) * width);
    std::vector<uint8_t> chroma1(static_cast<size_t>(rows / 2) * (width / 2));
    std::vector<uint8_t> chroma2(chroma1.size());
    TPCDDecoder decoder(stream);
    try {
        decoder.DecodePlanes({luma.data(), chroma1.data(), chroma2.data()}, rows, width);
    } catch (const EAbort&) {
    }
}

// The TIFF JPEG strip decoder: image properties from the first bytes, then
// optional JPEG tables and a strip, decoded twice.
inline void TIFFJPEGDecoder(DecoderInput& input)
{
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
}

} // namespace orvane::fuzz
