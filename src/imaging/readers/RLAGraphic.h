#pragma once
// Alias/Wavefront images (rla, rpf): a 740-byte big-endian header, a table of
// scan line offsets, and per scan line one run-length coded block for each
// colour channel and the matte. Rows are usually stored bottom to top.
#include "imaging/readers/ReaderGraphic.h"

namespace orvane::imaging {

class TRLAGraphic : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // More than 740 bytes left, revision $FFFE and channel type "rgb" or
    // "xyz" (any case). The position is kept.
    static bool AcceptsStream(TStream& stream);
    // Also false for an active window without pixels.
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

private:
    struct TChannels;

    // Loading steps, in order.
    void ConfigureColors(const TChannels& channels);
    void CheckScanLines(const TStreamBytes& file, const TChannels& channels) const;
    void TransferScanLines(const TStreamBytes& file, const TChannels& channels, TLoadingProgress& progress);
};

} // namespace orvane::imaging
