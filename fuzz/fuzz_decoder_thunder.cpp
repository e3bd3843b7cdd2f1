// Fuzzes the ThunderScan decoder over arbitrary packed data and output sizes.
#include "fuzz_decoder_input.h"
#include "imaging/decoders/ThunderDecoder.h"

using namespace orvane::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    orvane::fuzz::DecoderInput input(data, size);
    TThunderDecoder decoder(input.Word() % 2000);
    const size_t units = input.Word() % 8192;
    const size_t bytes = units;
    orvane::fuzz::DecodeOnce(decoder, input.Rest(), units, bytes);
    return 0;
}
