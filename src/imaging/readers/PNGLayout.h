#pragma once
// How PNG image data is laid out: the Adam7 passes and the size of a stored
// (filtered) row.
#include "imaging/core/Bitmap.h"

#include <cstddef>
#include <cstdint>

namespace orvane::imaging::png_detail {

struct TAdam7Pass {
    uint8_t startRow, startColumn, rowStep, columnStep, mask;
};

// The pixel mask selects the pass's pixels of each group of 8 target pixels.
inline constexpr TAdam7Pass kPasses[7] = {
    {0, 0, 8, 8, 0x80}, {0, 4, 8, 8, 0x08}, {4, 0, 8, 4, 0x88}, {0, 2, 4, 4, 0x22},
    {2, 0, 4, 2, 0xAA}, {0, 1, 2, 2, 0x55}, {1, 0, 2, 1, 0xFF},
};

inline constexpr const char* kTooLarge = "The picture is too large to be shown";

// Pixels of one row of a pass in a picture `width` pixels wide; 0 when the
// pass has no column.
inline size_t PassPixels(const TAdam7Pass& p, size_t width)
{
    return p.startColumn >= width ? 0 : (width + p.columnStep - p.startColumn - 1) / p.columnStep;
}

// Rows of a pass in a picture `height` rows high.
inline size_t PassRows(const TAdam7Pass& p, size_t height)
{
    return p.startRow >= height ? 0 : (height + p.rowStep - p.startRow - 1) / p.rowStep;
}

// Bytes of a stored row of `pixels` pixels with its filter-type byte.
inline size_t StoredRowBytes(size_t pixels, unsigned depth, size_t bytesPerSampleGroup)
{
    const size_t bits = CheckedMul(pixels, depth, kTooLarge);
    return CheckedMul(bits / 8 + (bits % 8 != 0), bytesPerSampleGroup, kTooLarge) + 1;
}

} // namespace orvane::imaging::png_detail
