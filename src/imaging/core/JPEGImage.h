#pragma once
// JPEG pictures, decoded by libjpeg straight into the bitmap's scan lines:
// colour pictures as 24-bit BGR, gray pictures as 8-bit with a gray palette,
// CMYK pictures converted to BGR.
#include "imaging/core/Bitmap.h"

namespace orvane::imaging {

class TJPEGImage : public TBitmap {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    void LoadFromStream(TStream& stream) override;
};

} // namespace orvane::imaging
