#pragma once
// PackBits run-length data (TIFF compression 32773, Photoshop compression 1).
// A control byte 0..127 starts a literal of c + 1 bytes, -127..-1 repeats the
// next byte 1 - c times, -128 does nothing.
#include "imaging/decoders/Decoder.h"

namespace orvane::imaging {

class TPackbitsRLEDecoder : public TDecoder {
public:
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
    size_t Encode(const uint8_t* source, uint8_t* target, size_t count) override;
};

} // namespace orvane::imaging
