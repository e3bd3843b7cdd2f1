// Fuzzes the SGI run-length decoder (8 and 16 bit) over arbitrary packed data and output sizes.
#include "fuzz_decoder_input.h"
#include "imaging/decoders/SGIRLEDecoder.h"

using namespace orvane::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    orvane::fuzz::DecoderInput input(data, size);
    TSGIRLEDecoder decoder(input.Byte() % 2 ? 16 : 8);
    const size_t units = input.Word() % 8192;
    const size_t bytes = units;
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
