#include "imaging/decoders/TargaRLEDecoder.h"

#include "imaging/decoders/RunLength.h"

namespace orvane::imaging {

TTargaRLEDecoder::TTargaRLEDecoder(int colorDepth) : colorDepth_(colorDepth) {}

void TTargaRLEDecoder::Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize)
{
    size_t pixelSize;
    switch (colorDepth_) {
    case 8: pixelSize = 1; break;
    case 15:
    case 16: pixelSize = 2; break;
    case 24: pixelSize = 3; break;
    case 32: pixelSize = 4; break;
    default: return;
    }
    const uint8_t* s = source;
    const uint8_t* const sourceEnd = source + packedSize;
    uint8_t* t = target;
    uint8_t* const targetEnd = target + std::min(unpackedSize, SIZE_MAX / pixelSize) * pixelSize;

    while (t < targetEnd && s < sourceEnd) {
        const uint8_t header = *s++;
        const size_t count = (header & 0x7F) + 1u;
        if (header & 0x80) {
            if (static_cast<size_t>(sourceEnd - s) < pixelSize) {
                s = sourceEnd;
                break;
            }
            runlength::FillPixel(t, targetEnd, s, pixelSize, count);
            s += pixelSize;
        } else {
            const size_t available = static_cast<size_t>(sourceEnd - s) / pixelSize;
            const size_t whole = std::min(count, available);
            const size_t written = std::min(whole, static_cast<size_t>(targetEnd - t) / pixelSize);
            if (written > 0)
                std::memcpy(t, s, written * pixelSize);
            t += written * pixelSize;
            s = whole < count ? sourceEnd : s + whole * pixelSize;
        }
    }
    source = s;
    target = t;
}

size_t TTargaRLEDecoder::Encode(const uint8_t*, uint8_t*, size_t)
{
    return 0;
}

} // namespace orvane::imaging
