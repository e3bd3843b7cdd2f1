#pragma once
// Windows icons (ico): the largest, deepest image of the file becomes the
// bitmap, 32-bit with alpha from the icon's mask or its own alpha channel.
#include "imaging/core/Bitmap.h"

namespace orvane::imaging {

class TIcon : public TBitmap {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    void LoadFromStream(TStream& stream) override;
};

} // namespace orvane::imaging
