#pragma once
// Windows bitmaps (bmp, dib, rle): the file header (optional: a bare DIB is
// read too), the OS/2 core header and the Windows info headers up to V5;
// 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed, run-length (RLE8,
// RLE4) and bit fields; rows bottom-up or top-down.
#include "imaging/core/Bitmap.h"

namespace orvane::imaging {

class TWindowsBitmap : public TBitmap {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    void LoadFromStream(TStream& stream) override;
};

} // namespace orvane::imaging
