#pragma once
// Run-length rows of SGI images. With 8-bit samples a control byte holds a
// count in its low 7 bits (0 ends the row) and bit 7 for a literal (set) or a
// repeat of the next byte (clear). With 16-bit samples the control is a
// big-endian 16-bit word whose low byte is read the same way, and literals and
// repeats move 16-bit samples, copied in file byte order.
#include "imaging/decoders/Decoder.h"

namespace orvane::imaging {

class TSGIRLEDecoder : public TDecoder {
public:
    // Sample size in bits, 8 or 16 (anything but 16 is taken as 8).
    explicit TSGIRLEDecoder(int sampleSize);

    // Both sizes count bytes.
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
    size_t Encode(const uint8_t* source, uint8_t* target, size_t count) override;

    int SampleSize() const { return sampleSize_; }

private:
    int sampleSize_;
};

} // namespace orvane::imaging
