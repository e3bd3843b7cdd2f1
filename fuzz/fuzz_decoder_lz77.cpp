// Fuzzes the deflate decoder the way its readers drive it: the data fed in
// pieces, output asked for in rows, with and without automatic reset.
#include "fuzz_decoder_input.h"
#include "imaging/decoders/LZ77Decoder.h"

#include <algorithm>

using namespace orvane::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    orvane::fuzz::DecoderInput input(data, size);
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
    return 0;
}
