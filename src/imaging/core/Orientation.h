#pragma once
// The EXIF orientation of a picture: read from an EXIF block (the TIFF
// structure of JPEG's APP1, PNG's eXIf, WebP's EXIF), and applied to a
// bitmap's pixels. A damaged block (bad offsets, a count past its end, a
// wrong type) counts as no orientation, never as a reason to fail.
#include "imaging/core/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orvane::imaging {

// The orientation tag (274) of the first directory of a TIFF-structured
// block, 1 to 8; 1 when there is none or the block cannot be trusted.
int ExifOrientation(const uint8_t* block, size_t size);
// The same for an APP1 segment's data, which starts "Exif\0\0".
int ExifOrientationOfApp1(const uint8_t* data, size_t size);

// Whether the upright picture exchanges width and height.
inline bool SwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// The picture's pixels turned upright, with width and height exchanged for
// orientations 5 to 8; the result has orientation 1. Byte-sized pixel
// formats (8, 24 and 32 bits) are turned as they are; the caller expands
// other formats first.
std::unique_ptr<TBitmap> Upright(const TBitmap& picture);

} // namespace orvane::imaging
