#include "imaging/decoders/RLADecoder.h"

#include "imaging/decoders/RunLength.h"

namespace orvane::imaging {

void TRLADecoder::Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize)
{
    const uint8_t* s = source;
    const uint8_t* const sourceEnd = source + packedSize;
    uint8_t* t = target;
    uint8_t* const targetEnd = target + unpackedSize;
    while (s < sourceEnd) {
        const int control = static_cast<int8_t>(*s++);
        if (control < 0) {
            runlength::Copy(s, sourceEnd, t, targetEnd, static_cast<size_t>(-control));
        } else {
            if (s == sourceEnd)
                break;
            runlength::Fill(t, targetEnd, *s++, static_cast<size_t>(control) + 1);
        }
    }
    source = s;
    target = t;
}

size_t TRLADecoder::Encode(const uint8_t*, uint8_t*, size_t)
{
    return 0;
}

} // namespace orvane::imaging
