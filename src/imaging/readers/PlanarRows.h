#pragma once
// Shared by the readers whose colour pictures are stored plane by plane
// (Alias/Wavefront, Photoshop, Paint Shop Pro): 8-bit planes are interleaved
// into one row before the colour manager converts it, because its converter
// for interleaved 8-bit samples is many times faster than the one that
// walks separate planes, and both give the same pixels.
#include <cstddef>
#include <cstdint>

namespace orvane::imaging {

// Interleaves count samples of three or four planes into target, in the
// order of the planes given.
inline void InterleavePlanes(const uint8_t* const* planes, size_t planeCount, size_t count, uint8_t* target)
{
    const uint8_t* __restrict a = planes[0];
    const uint8_t* __restrict b = planes[1];
    const uint8_t* __restrict c = planes[2];
    uint8_t* __restrict t = target;
    if (planeCount == 3) {
        for (size_t i = 0; i < count; ++i, t += 3) {
            t[0] = a[i];
            t[1] = b[i];
            t[2] = c[i];
        }
        return;
    }
    const uint8_t* __restrict d = planes[3];
    for (size_t i = 0; i < count; ++i, t += 4) {
        t[0] = a[i];
        t[1] = b[i];
        t[2] = c[i];
        t[3] = d[i];
    }
}

} // namespace orvane::imaging
