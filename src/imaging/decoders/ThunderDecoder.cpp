#include "imaging/decoders/ThunderDecoder.h"

#include <algorithm>

namespace orvane::imaging {

namespace {

constexpr int Skip = 100;
constexpr int TwoBitDelta[4] = {0, 1, Skip, -1};
constexpr int ThreeBitDelta[8] = {0, 1, 2, 3, Skip, -3, -2, -1};

// One row being filled, nibble by nibble.
struct RowWriter {
    uint8_t* row;
    size_t count = 0; // pixels written
    size_t limit;     // pixels that fit in the row

    bool Full() const { return count >= limit; }
    void Put(unsigned pixel)
    {
        if (count >= limit)
            return;
        uint8_t& byte = row[count / 2];
        if (count % 2 == 0)
            byte = static_cast<uint8_t>(pixel << 4);
        else
            byte = static_cast<uint8_t>(byte | pixel);
        ++count;
    }
};

} // namespace

TThunderDecoder::TThunderDecoder(int width) : width_(width) {}

void TThunderDecoder::Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize)
{
    if (width_ <= 0)
        return;
    const uint8_t* s = source;
    const uint8_t* const sourceEnd = source + packedSize;
    uint8_t* t = target;
    uint8_t* const targetEnd = target + unpackedSize;
    const size_t rowBytes = (static_cast<size_t>(width_) + 1) / 2;

    while (t < targetEnd && s < sourceEnd) {
        const size_t bytes = std::min(rowBytes, static_cast<size_t>(targetEnd - t));
        RowWriter row{t, 0, std::min(static_cast<size_t>(width_), bytes * 2)};
        unsigned last = 0;
        while (s < sourceEnd && !row.Full()) {
            const uint8_t code = *s++;
            switch (code >> 6) {
            case 0: {
                const size_t n = std::min<size_t>(code & 0x3F, row.limit - row.count);
                for (size_t i = 0; i < n; ++i)
                    row.Put(last);
                break;
            }
            case 1:
                for (int shift = 4; shift >= 0; shift -= 2) {
                    const int delta = TwoBitDelta[(code >> shift) & 3];
                    if (delta != Skip) {
                        last = (last + delta) & 0x0F;
                        row.Put(last);
                    }
                }
                break;
            case 2:
                for (int shift = 3; shift >= 0; shift -= 3) {
                    const int delta = ThreeBitDelta[(code >> shift) & 7];
                    if (delta != Skip) {
                        last = (last + delta) & 0x0F;
                        row.Put(last);
                    }
                }
                break;
            default:
                last = code & 0x0F;
                row.Put(last);
                break;
            }
        }
        // A row cut short by the end of the input ends after its last pixel.
        t += row.Full() ? bytes : (row.count + 1) / 2;
    }
    source = s;
    target = t;
}

size_t TThunderDecoder::Encode(const uint8_t*, uint8_t*, size_t)
{
    return 0;
}

} // namespace orvane::imaging
