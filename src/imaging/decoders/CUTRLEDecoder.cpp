#include "imaging/decoders/CUTRLEDecoder.h"

#include "imaging/decoders/RunLength.h"

namespace orvane::imaging {

void TCUTRLEDecoder::Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize)
{
    const uint8_t* s = source;
    const uint8_t* const sourceEnd = source + packedSize;
    uint8_t* t = target;
    uint8_t* const targetEnd = target + unpackedSize;
    s += std::min<size_t>(2, packedSize); // the row's byte count
    while (s < sourceEnd) {
        const uint8_t control = *s++;
        if (control == 0)
            break;
        const size_t count = control & 0x7Fu;
        if (control & 0x80) {
            if (s == sourceEnd)
                break;
            runlength::Fill(t, targetEnd, *s++, count);
        } else {
            runlength::Copy(s, sourceEnd, t, targetEnd, count);
        }
    }
    source = s;
    target = t;
}

size_t TCUTRLEDecoder::Encode(const uint8_t*, uint8_t*, size_t)
{
    return 0;
}

} // namespace orvane::imaging
