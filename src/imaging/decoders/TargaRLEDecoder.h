#pragma once
// Run-length packets of Targa images (types 9, 10 and 11).
#include "imaging/decoders/Decoder.h"

namespace orvane::imaging {

class TTargaRLEDecoder : public TDecoder {
public:
    // Color depth in bits per pixel: 8, 15, 16, 24 or 32; any other depth
    // decodes nothing.
    explicit TTargaRLEDecoder(int colorDepth);

    // unpackedSize counts pixels (1, 2, 3 or 4 bytes each). A packet that runs
    // past the pixels wanted is cut there; the source still moves past it.
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
    size_t Encode(const uint8_t* source, uint8_t* target, size_t count) override;

    int ColorDepth() const { return colorDepth_; }

private:
    int colorDepth_;
};

} // namespace orvane::imaging
