// Fuzzes the PackBits decoder over arbitrary packed data and output sizes.
#include "fuzz_decoder_input.h"
#include "imaging/decoders/PackbitsRLEDecoder.h"

using namespace orvane::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    orvane::fuzz::DecoderInput input(data, size);
    TPackbitsRLEDecoder decoder;
    const size_t units = input.Word() % 8192;
    const size_t bytes = units;
    orvane::fuzz::DecodeOnce(decoder, input.Rest(), units, bytes);
    return 0;
}
