#pragma once
// JPEG XL pictures, decoded by libjxl straight into the bitmap's scan lines:
// upright as the file's orientation says, as 24-bit BGR, 32-bit BGRA with
// alpha (straight), or 8-bit gray; the first frame of an animation.
// Samples of more than 8 bits are reduced to 8. The colour profile of the
// decoded pixels goes with them unless they are sRGB.
#include "imaging/readers/ReaderGraphic.h"

namespace orvane::imaging {

class TJXLImage : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // A bare JPEG XL codestream or the JPEG XL container.
    static bool AcceptsStream(TStream& stream);

    void LoadFromStream(TStream& stream) override;
};

} // namespace orvane::imaging
