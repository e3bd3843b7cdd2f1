#include "imaging/decoders/PackbitsRLEDecoder.h"

#include "imaging/decoders/RunLength.h"

namespace orvane::imaging {

void TPackbitsRLEDecoder::Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize)
{
    const uint8_t* s = source;
    const uint8_t* const sourceEnd = source + packedSize;
    uint8_t* t = target;
    uint8_t* const targetEnd = target + unpackedSize;
    while (s < sourceEnd && t < targetEnd) {
        const int control = static_cast<int8_t>(*s++);
        if (control >= 0) {
            runlength::Copy(s, sourceEnd, t, targetEnd, static_cast<size_t>(control) + 1);
        } else if (control != -128) {
            if (s == sourceEnd)
                break;
            runlength::Fill(t, targetEnd, *s++, static_cast<size_t>(1 - control));
        }
    }
    source = s;
    target = t;
}

size_t TPackbitsRLEDecoder::Encode(const uint8_t*, uint8_t*, size_t)
{
    return 0;
}

} // namespace orvane::imaging
