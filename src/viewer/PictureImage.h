#pragma once
// Our bitmap as a QImage for drawing: the QImage shares the bitmap's pixels
// wherever the pixel format allows (24, 32, 15, 8 and 1 bits), so showing a
// picture holds one decoded copy of it.
#include "imaging/core/Bitmap.h"

#include <QImage>

namespace orvane::viewer {

// A view of the bitmap's pixels (or, for 4-bit pictures, an 8-bit copy).
// The bitmap must outlive the image and keep its size and format.
QImage BitmapView(const imaging::TBitmap& bitmap);

} // namespace orvane::viewer
