#pragma once
// Huffman-coded differences of the three largest Photo-CD resolutions. They
// are added to planes the reader has already upsampled from the next lower
// resolution: a luma plane of rows x width bytes and two chroma planes of
// (rows / 2) x (width / 2) bytes.
#include "imaging/core/Stream.h"
#include "imaging/decoders/Decoder.h"

namespace orvane::imaging {

class TPCDDecoder : public TDecoder {
public:
    struct TPlanes {
        uint8_t* luma = nullptr;
        uint8_t* chroma1 = nullptr;
        uint8_t* chroma2 = nullptr;
    };

    // Reads from the stream's current position (not owned).
    explicit TPCDDecoder(TStream& stream);

    // Applies the differences to the planes. An invalid table ends decoding
    // silently; a row header naming plane 1 raises EAbort.
    void DecodePlanes(const TPlanes& planes, int rowCount, int rowWidth);

    // The same through the common interface: target holds the three planes one
    // after the other, packedSize is the row width and unpackedSize the row
    // count; source is not used. target moves past the planes.
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
    size_t Encode(const uint8_t* source, uint8_t* target, size_t count) override;

private:
    TStream& stream_;
};

} // namespace orvane::imaging
