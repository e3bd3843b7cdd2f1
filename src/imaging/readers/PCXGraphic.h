#pragma once
// ZSoft Paintbrush images (pcx, pcc) and Word 5.x screen captures (scr):
// 1, 2, 4 and 8-bit indexed, 16 colours in four 1-bit planes, and 24-bit
// colour in three 8-bit planes, raw or run-length.
#include "imaging/readers/ReaderGraphic.h"

namespace orvane::imaging {

class TPCXGraphic : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    static bool AcceptsStream(TStream& stream);
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

private:
    struct TLayout;

    void TransferRows(const TLayout& layout, const uint8_t*& source, const uint8_t* end,
                      TLoadingProgress& progress);
};

} // namespace orvane::imaging
