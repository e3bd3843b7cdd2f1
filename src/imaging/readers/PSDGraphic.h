#pragma once
// Photoshop images (psd, pdd): the merged picture that follows the header,
// the colour mode data, the image resources and the layers. Its channels are
// stored one after the other, raw or PackBits coded row by row.
#include "imaging/readers/ReaderGraphic.h"

namespace orvane::imaging {

class TPSDGraphic : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // More than 26 bytes left, "8BPS" and version 1. The position is kept.
    static bool AcceptsStream(TStream& stream);
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

private:
    struct TLayout;
    struct TRowIndex;

    // Loading steps, in order.
    TLayout ChooseLayout();
    TRowIndex IndexRows(const TStreamBytes& file, size_t imageData, const TLayout& layout) const;
    void PrepareBitmap(const TStreamBytes& file, size_t colorData, size_t colorDataLength, const TLayout& layout);
    void TransferRows(const TRowIndex& rows, const TLayout& layout, TLoadingProgress& progress);
};

} // namespace orvane::imaging
