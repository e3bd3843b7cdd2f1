#pragma once
// ThunderScan 4-bit gray (TIFF compression 32809): two pixels per output byte,
// high nibble first, each row starting on a byte boundary. Code bytes repeat
// the last pixel, add two or three small deltas to it, or give a raw pixel.
#include "imaging/decoders/Decoder.h"

namespace orvane::imaging {

class TThunderDecoder : public TDecoder {
public:
    // Width of a row in pixels.
    explicit TThunderDecoder(int width);

    // unpackedSize counts bytes of output: whole rows of (width + 1) / 2
    // bytes, the last one possibly cut. Each row decodes until it has its
    // width of pixels or the input ends; target ends after the last pixel.
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
    size_t Encode(const uint8_t* source, uint8_t* target, size_t count) override;

    int Width() const { return width_; }

private:
    int width_;
};

} // namespace orvane::imaging
