#include "imaging/decoders/PSPRLEDecoder.h"

#include "imaging/decoders/RunLength.h"

namespace orvane::imaging {

void TPSPRLEDecoder::Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize)
{
    const uint8_t* s = source;
    const uint8_t* const sourceEnd = source + packedSize;
    uint8_t* t = target;
    uint8_t* const targetEnd = target + unpackedSize;
    while (s < sourceEnd) {
        const uint8_t control = *s++;
        if (control >= 128) {
            if (s == sourceEnd)
                break;
            runlength::Fill(t, targetEnd, *s++, control - 128u);
        } else {
            runlength::Copy(s, sourceEnd, t, targetEnd, control);
        }
    }
    source = s;
    target = t;
}

size_t TPSPRLEDecoder::Encode(const uint8_t*, uint8_t*, size_t)
{
    return 0;
}

} // namespace orvane::imaging
