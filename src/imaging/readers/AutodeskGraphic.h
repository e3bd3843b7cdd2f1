#pragma once
// Autodesk Animator cel and pic images: 8-bit indexed with a 6-bit palette.
#include "imaging/readers/ReaderGraphic.h"

namespace orvane::imaging {

class TAutodeskGraphic : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    static bool AcceptsStream(TStream& stream);
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;
};

} // namespace orvane::imaging
