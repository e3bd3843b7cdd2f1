#include "imaging/decoders/SGIRLEDecoder.h"

#include "imaging/decoders/RunLength.h"

namespace orvane::imaging {

TSGIRLEDecoder::TSGIRLEDecoder(int sampleSize) : sampleSize_(sampleSize) {}

void TSGIRLEDecoder::Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize)
{
    const uint8_t* s = source;
    const uint8_t* const sourceEnd = source + packedSize;
    uint8_t* t = target;
    uint8_t* const targetEnd = target + unpackedSize;
    if (sampleSize_ == 16) {
        while (sourceEnd - s >= 2) {
            const uint8_t control = s[1]; // low byte of the big-endian word
            s += 2;
            const size_t count = control & 0x7Fu;
            if (count == 0)
                break;
            if (control & 0x80) {
                const size_t bytes = std::min(count * 2, static_cast<size_t>(sourceEnd - s) & ~size_t(1));
                runlength::Copy(s, s + bytes, t, targetEnd, bytes);
                if (bytes < count * 2)
                    s = sourceEnd;
            } else {
                if (sourceEnd - s < 2) {
                    s = sourceEnd;
                    break;
                }
                runlength::FillPixel(t, targetEnd, s, 2, count);
                s += 2;
            }
        }
    } else {
        while (s < sourceEnd) {
            const uint8_t control = *s++;
            const size_t count = control & 0x7Fu;
            if (count == 0)
                break;
            if (control & 0x80) {
                runlength::Copy(s, sourceEnd, t, targetEnd, count);
            } else {
                if (s == sourceEnd)
                    break;
                runlength::Fill(t, targetEnd, *s++, count);
            }
        }
    }
    source = s;
    target = t;
}

size_t TSGIRLEDecoder::Encode(const uint8_t*, uint8_t*, size_t)
{
    return 0;
}

} // namespace orvane::imaging
