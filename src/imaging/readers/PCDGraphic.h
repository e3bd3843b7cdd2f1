#pragma once
// Kodak Photo-CD images (pcd): 2048-byte sectors, Photo YCC samples with
// chroma at half resolution in each direction. The viewer shows the base
// image (768 x 512), or the first thumbnail of an overview file, turned by the
// rotation stored in the file.
#include "imaging/readers/ReaderGraphic.h"

#include <cstdint>
#include <vector>

namespace orvane::imaging {

class TPCDGraphic : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // More than 6144 bytes left and "PCD_OPA" at the start (overview file)
    // or "PCD" at 2048. The position is kept.
    static bool AcceptsStream(TStream& stream);
    // The image index is the resolution, 0 (192 x 128) to 5 (6144 x 4096).
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

    // Doubles a chroma plane of width x height samples in both directions:
    // stored samples keep their places, new ones are the rounded mean of the
    // two or four stored ones around them, and the last column and row copy
    // their neighbours.
    static void Upsample(const uint8_t* plane, size_t width, size_t height, uint8_t* target);
};

} // namespace orvane::imaging
