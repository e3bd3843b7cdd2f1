#pragma once
// Run-length channels of Paint Shop Pro images (compression 1): a byte of 128
// or above repeats the next byte c - 128 times, else a literal of c bytes
// follows. Decodes until the input is used up.
#include "imaging/decoders/Decoder.h"

namespace orvane::imaging {

class TPSPRLEDecoder : public TDecoder {
public:
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
    size_t Encode(const uint8_t* source, uint8_t* target, size_t count) override;
};

} // namespace orvane::imaging
