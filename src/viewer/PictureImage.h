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
// The same for rows top .. top+rows-1 only (clipped to the picture).
QImage BitmapBand(const imaging::TBitmap& bitmap, int top, int rows);
// The colour a pixel of zero bytes shows: the first palette entry for
// indexed pictures, else black (transparent where the picture has alpha).
QRgb ZeroPixelColor(const imaging::TBitmap& bitmap);

} // namespace orvane::viewer
