#pragma once
// Truevision Targa images (tga, win, vst, vda, icb): indexed, gray and true
// colour, uncompressed or run-length (image types 1-3 and 9-11).
#include "imaging/readers/ReaderGraphic.h"

namespace orvane::imaging {

class TTargaGraphic : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    static bool AcceptsStream(TStream& stream);
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

private:
    void PlaceExpandedRows(TLoadingProgress& progress, uint8_t* bits, size_t available, size_t rowBytes,
                           bool topDown, bool fifteenBit);
};

} // namespace orvane::imaging
