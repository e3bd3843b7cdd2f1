#pragma once
// Truevision Targa images (tga, win, vst, vda, icb): indexed, gray and true
// colour, uncompressed or run-length (image types 1-3 and 9-11).
#include "imaging/readers/ReaderGraphic.h"

#include <memory>
#include <vector>

namespace orvane::imaging {

class TTargaGraphic : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    static bool AcceptsStream(TStream& stream);
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

private:
    struct TLayout;

    // Loading steps, in order.
    void PrepareBitmap(const TLayout& layout, const std::vector<TRGBQuad>& colorMap);
    // Expands run-length pixels; true when they went straight into the
    // bitmap and are placed already, else they are in expanded.
    bool ExpandPacked(const TLayout& layout, std::unique_ptr<uint8_t[]>& expanded, size_t& available,
                      TLoadingProgress& progress);
    void PlaceExpandedRows(TLoadingProgress& progress, uint8_t* bits, size_t available, size_t rowBytes,
                           bool topDown, bool fifteenBit);
    void TransferRows(const TLayout& layout, const uint8_t* pixels, size_t available, TLoadingProgress& progress);
};

} // namespace orvane::imaging
