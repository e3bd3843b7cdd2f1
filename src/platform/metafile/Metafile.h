#pragma once
// Windows metafiles (wmf, with or without the placeable header) and
// enhanced metafiles (emf), drawn at 96 dpi into a 32-bit picture on white.
// Whichever of the two a file holds is read, whatever its extension. The
// picture is at most 8192 pixels on its longer side (and within the bitmap
// memory limit): larger drawings are scaled down to fit.
#include "imaging/core/Bitmap.h"

namespace orvane::imaging {

class TMetafile : public TBitmap {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    void LoadFromStream(TStream& stream) override;

    // The longest side a metafile picture gets.
    static constexpr int kMaxSide = 8192;
};

// Registers the metafile class with the picture loader for "wmf" and "emf".
void RegisterMetafilePictureClass();

} // namespace orvane::imaging
