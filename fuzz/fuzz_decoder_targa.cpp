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
    orvane::fuzz::DecodeOnce(decoder, input.Rest(), units, bytes);
    return 0;
}
