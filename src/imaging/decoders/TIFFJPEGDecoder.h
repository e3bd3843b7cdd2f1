#pragma once
// JPEG-compressed TIFF strips (compression 7), decoded by libjpeg. Colour
// strips come out as blue, green, red; gray strips as one byte per pixel.
// libjpeg's warnings and a strip that ends early are shown to the user as
// warnings (captioned "Warning"); an end of image is supplied in place of the
// missing data.
#include "imaging/core/ImageProperties.h"
#include "imaging/decoders/Decoder.h"

#include <memory>
#include <vector>

namespace orvane::imaging {

class TTIFFJPEGDecoder : public TDecoder {
public:
    // The properties are the reader's (not owned): size, samples, planar
    // configuration, rows per strip, rows done, row length, subsampling and
    // JPEG tables are read from them at each step.
    explicit TTIFFJPEGDecoder(TImageProperties* properties);
    ~TTIFFJPEGDecoder() override;

    // Creates the decompressor and reads the JPEG tables when the image has
    // them ("Bogus JPEG tables field." when they are not a tables-only stream).
    void BeginDecoding() override;
    // Decodes one strip of packedSize bytes into whole rows of the row length
    // kept in the properties, at most unpackedSize bytes. Raises
    // EDecoderError with the strip's fault.
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
    void EndDecoding() override;
    size_t Encode(const uint8_t* source, uint8_t* target, size_t count) override;

    uint16_t HorizontalSubsampling() const { return hSampling_; }
    uint16_t VerticalSubsampling() const { return vSampling_; }

    struct State; // libjpeg's objects; defined where libjpeg is included

private:
    std::unique_ptr<State> state_;
    TImageProperties* properties_;
    uint16_t hSampling_ = 1;
    uint16_t vSampling_ = 1;
    std::vector<uint8_t> tables_;
};

} // namespace orvane::imaging
