#pragma once
// Internal helpers of the row converters: walking the pixels a mask selects,
// 16-bit sample access.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orvane::imaging::color_detail {

// Calls op(i) for each target pixel i < count whose mask bit is set, in
// order. Bit 7 belongs to pixel 0 and the mask repeats every 8 pixels. The
// regular Adam7 masks (one pixel in every 2, 4 or 8) step straight from one
// selected pixel to the next.
template <class Op>
inline void ForEachSelected(uint8_t mask, size_t count, Op&& op)
{
    if (mask == 0xFF) {
        for (size_t i = 0; i < count; ++i)
            op(i);
        return;
    }
    if (mask == 0)
        return;
    const unsigned first = static_cast<unsigned>(std::countl_zero(mask));
    for (unsigned step : {2u, 4u, 8u}) {
        if (first >= step)
            continue;
        unsigned pattern = 0;
        for (unsigned b = first; b < 8; b += step)
            pattern |= 0x80u >> b;
        if (pattern == mask) {
            for (size_t i = first; i < count; i += step)
                op(i);
            return;
        }
    }
    unsigned bit = 0x80;
    for (size_t i = 0; i < count; ++i) {
        if (mask & bit)
            op(i);
        bit = bit == 1 ? 0x80 : bit >> 1;
    }
}

inline uint16_t Load16(const uint8_t* p)
{
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

inline void Store16(uint8_t* p, uint16_t v)
{
    std::memcpy(p, &v, 2);
}

inline uint16_t Swap16(uint16_t v)
{
    return static_cast<uint16_t>((v >> 8) | (v << 8));
}

inline uint8_t Reduce16(uint32_t v)
{
    return static_cast<uint8_t>(v * 255 / 65535);
}

inline uint16_t Widen8(uint32_t v)
{
    return static_cast<uint16_t>(v * 65535 / 255);
}

} // namespace orvane::imaging::color_detail
