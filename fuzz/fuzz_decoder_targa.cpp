// Fuzzes the Targa run-length decoder over arbitrary packed data and output sizes.
#include "fuzz_decoder_input.h"
#include "imaging/decoders/TargaRLEDecoder.h"

using namespace orvane::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    orvane::fuzz::DecoderInput input(data, size);
    const int depths[] = {8, 15, 16, 24, 32, 12};
    const size_t pixelSizes[] = {1, 2, 2, 3, 4, 1};
    const int choice = input.Byte() % 6;
    TTargaRLEDecoder decoder(depths[choice]);
    const size_t units = input.Word() % 4096;
    const size_t bytes = units * pixelSizes[choice];
    std::vector<uint8_t> packed = input.Rest();
    std::vector<uint8_t> output(bytes);
    const uint8_t* source = packed.data();
    uint8_t* target = output.data();
    decoder.BeginDecoding();
    decoder.Decode(source, target, packed.size(), units);
    decoder.EndDecoding();
    if (source < packed.data() || source > packed.data() + packed.size() || target < output.data() ||
        target > output.data() + output.size())
        __builtin_trap();
    return 0;
}
