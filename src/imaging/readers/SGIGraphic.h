#pragma once
// SGI images (sgi, rgb, rgba, bw): 1 to 4 channels of 8 or 16 bits, stored
// channel after channel, rows bottom to top, raw or run-length.
#include "imaging/readers/ReaderGraphic.h"

namespace orvane::imaging {

class TSGIGraphic : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    static bool AcceptsStream(TStream& stream);
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

private:
    struct TChannels;

    // Loading steps, in order.
    void IndexRows(const TStreamBytes& file, const TChannels& channels);
    void PrepareBitmap(const TChannels& channels);
    void TransferRows(const TStreamBytes& file, const TChannels& channels, TLoadingProgress& progress);

    // Run-length files: where each channel row starts and how long it is,
    // indexed by row + channel * height.
    std::vector<uint32_t> rowStart_;
    std::vector<uint32_t> rowSize_;
};

} // namespace orvane::imaging
