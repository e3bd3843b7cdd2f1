#pragma once
// HEIF (HEIC) and AVIF pictures, decoded by libheif: the primary image,
// upright as its rotation and mirroring boxes say, as 24-bit BGR or, with
// alpha, 32-bit BGRA (straight alpha). Depth images and thumbnails are left
// out; samples of more than 8 bits are reduced to 8. The file's colour
// profile, or one made from its colour description, goes with the pixels.
#include "imaging/readers/ReaderGraphic.h"

namespace orvane::imaging {

class THEIFImage : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // A file type box whose brands libheif reads.
    static bool AcceptsStream(TStream& stream);

    void LoadFromStream(TStream& stream) override;
};

} // namespace orvane::imaging
