#pragma once
// Shared by the readers whose colour pictures are stored plane by plane
// (Alias/Wavefront, Photoshop, Paint Shop Pro): 8-bit planes are interleaved
// into one row before the colour manager converts it, because its converter
// for interleaved 8-bit samples is many times faster than the one that
// walks separate planes, and both give the same pixels.
#include "imaging/color/ColorManager.h"

#include <cstddef>
#include <cstdint>
#include <vector>

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

// Hands rows stored plane by plane (red, green, blue, alpha; or one plane)
// to the colour manager: interleaved first, in the bitmap's blue, green, red
// order, when the reader asks for it; as separate planes otherwise.
class TPlanarRows {
public:
    TPlanarRows(TColorManager& colorManager, size_t planeCount, size_t width, bool interleave)
        : colorManager_(colorManager), planeCount_(planeCount), width_(width), interleave_(interleave),
          interleaved_(interleave ? width * planeCount : 0)
    {
    }

    void Convert(const uint8_t* const* planes, uint8_t* target)
    {
        if (!interleave_) {
            colorManager_.ConvertPixels(planes, planeCount_, 0xFF, width_, target);
            return;
        }
        const uint8_t* order[4] = {planes[2], planes[1], planes[0], planeCount_ > 3 ? planes[3] : nullptr};
        InterleavePlanes(order, planeCount_, width_, interleaved_.data());
        colorManager_.ConvertPixels(interleaved_.data(), 0xFF, width_, target);
    }

private:
    TColorManager& colorManager_;
    size_t planeCount_;
    size_t width_;
    bool interleave_;
    std::vector<uint8_t> interleaved_;
};

} // namespace orvane::imaging
