#pragma once
// Paint Shop Pro images (psp), file versions 3 and later: a signature, then
// blocks. The general image attributes block gives the size and depth, the
// colour palette block the palette, and the first raster layer of the layer
// block the pixels, one compressed channel per colour plane.
#include "imaging/readers/ReaderGraphic.h"

#include <cstdint>
#include <vector>

namespace orvane::imaging {

class TPSPGraphic : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // More than 36 bytes left, "Paint Shop Pro Image File" (any case) and a
    // major version of at least 3. The position is kept.
    static bool AcceptsStream(TStream& stream);
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

    // A block header, positions relative to the stream.
    struct TBlock {
        uint16_t id = 0;
        int64_t start = 0; // first byte after the header
        int64_t end = 0;   // first byte after the block, within the stream
    };

private:
    struct TPlane {
        std::vector<uint8_t> bytes;
        size_t stride = 0;
    };

    bool ReadBlockHeader(TBlock& block, int64_t limit);
    void ReadPalette(const TBlock& block);
    bool ReadLayer(const TBlock& layer);
    void ConfigureColors();
    void ReadChannel(const TBlock& channel, bool alpha);
    // The plane a channel of this type fills, or -1 for none.
    int PlaneOf(uint16_t channelType, bool alpha) const;
    // Bytes per row of a channel that unpacks to unpackedSize bytes.
    size_t ChannelStride(uint32_t unpackedSize) const;
    // The size of the channel's plane, once its data can fill it.
    size_t CheckChannelData(uint32_t packedSize, size_t stride) const;
    // The channel's packed bytes at the stream's position: a view into the
    // stream's memory or a copy in holder.
    const uint8_t* ChannelData(uint32_t packedSize, std::vector<uint8_t>& holder);
    void UnpackChannel(const uint8_t* data, uint32_t packedSize, TPlane& plane) const;
    void TransferRows(TLoadingProgress& progress);

    // Per load.
    size_t rowSize_ = 0;        // bytes per stored row as the depth gives it
    TPlane planes_[4];          // single or red, green, blue; alpha
    bool alpha_ = false;
    bool pixelsFound_ = false;
};

} // namespace orvane::imaging
