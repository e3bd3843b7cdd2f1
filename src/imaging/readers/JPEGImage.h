#pragma once
// JPEG pictures, decoded by libjpeg straight into the bitmap's scan lines:
// colour pictures as 24-bit BGR, gray pictures as 8-bit with a gray palette,
// CMYK pictures converted to BGR.
#include "imaging/core/Bitmap.h"

namespace orvane::imaging {

// The eighths (1 to 8) a picture of width x height decodes at so that it
// still covers the picture fitted into coverWidth x coverHeight: the
// smallest scale whose result is at least the fitted size. 8 (full size)
// when no cover is given or the picture is no larger than the cover.
unsigned JpegScaleFor(unsigned width, unsigned height, int coverWidth, int coverHeight);

class TJPEGImage : public TBitmap {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    void LoadFromStream(TStream& stream) override;
};

} // namespace orvane::imaging
