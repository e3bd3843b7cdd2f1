// Fuzzes the Group 3 and modified Huffman fax decoders with every option.
#include "fuzz_decoder_input.h"
#include "imaging/decoders/CCITTDecoder.h"

#include <memory>

using namespace orvane::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    orvane::fuzz::DecoderInput input(data, size);
    const uint8_t flags = input.Byte();
    const int width = input.Word() % 6000;
    const size_t bytes = input.Word() % 16384;
    std::unique_ptr<TCCITTDecoder> decoder;
    if (flags & 1)
        decoder = std::make_unique<TCCITTFax3Decoder>((flags >> 1) & 5, width, false, flags & 8);
    else
        decoder = std::make_unique<TCCITTMHDecoder>(0, width, flags & 2, flags & 8);
    std::vector<uint8_t> packed = input.Rest();
    std::vector<uint8_t> output(bytes);
    const uint8_t* source = packed.data();
    uint8_t* target = output.data();
    decoder->BeginDecoding();
    decoder->Decode(source, target, packed.size(), output.size());
    decoder->EndDecoding();
    if (source < packed.data() || source > packed.data() + packed.size() || target < output.data() ||
        target > output.data() + output.size())
        __builtin_trap();
    return 0;
}
