#pragma once
// Run-length rows of Dr. Halo CUT images, one row per call: a 2-byte row
// length (skipped), then control bytes: 0 ends the row, bit 7 set repeats the
// next byte (c and $7F) times, else a literal of c bytes follows.
#include "imaging/decoders/Decoder.h"

namespace orvane::imaging {

class TCUTRLEDecoder : public TDecoder {
public:
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
    size_t Encode(const uint8_t* source, uint8_t* target, size_t count) override;
};

} // namespace orvane::imaging
