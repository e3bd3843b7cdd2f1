#pragma once
// Run-length data of PCX and SCR images: a byte of $C0 or above repeats the
// next byte (c and $3F) times, any other byte stands for itself. Decodes until
// the output is full.
#include "imaging/decoders/Decoder.h"

namespace orvane::imaging {

class TPCXRLEDecoder : public TDecoder {
public:
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
    size_t Encode(const uint8_t* source, uint8_t* target, size_t count) override;
};

} // namespace orvane::imaging
