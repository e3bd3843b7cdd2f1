// Fuzzes the Photo-CD difference decoder over a stream of arbitrary bytes.
#include "fuzz_decoder_input.h"
#include "imaging/decoders/PCDDecoder.h"

using namespace orvane::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    orvane::fuzz::DecoderInput input(data, size);
    const int rows = 1 + input.Byte() % 64;
    // Widths around the one-table / three-table limit.
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
    return 0;
}
