#pragma once
// Run-length channels of Alias/Wavefront (RLA) images: a negative control
// byte starts a literal of -c bytes, 0..127 repeats the next byte c + 1 times.
// Decodes until the input is used up.
#include "imaging/decoders/Decoder.h"

namespace orvane::imaging {

class TRLADecoder : public TDecoder {
public:
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
    size_t Encode(const uint8_t* source, uint8_t* target, size_t count) override;
};

} // namespace orvane::imaging
