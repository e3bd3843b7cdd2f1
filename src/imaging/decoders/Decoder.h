#pragma once
// The common interface of the stream decoders. A reader reads compressed
// pixel data into memory and lets a decoder expand it into its own buffer:
// create, BeginDecoding, Decode once per strip, row or plane, EndDecoding.
//
// Every decoder is bounded by both sizes it is given: it never reads more than
// packedSize bytes from source and never writes more than unpackedSize units
// to target, whatever the data says. Malformed run-length data gives wrong
// pixels, never a crash.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace orvane::imaging {

// Errors of the decoders (deflate set-up, JPEG strips).
class EDecoderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Ends loading without a message (the user sees nothing); used where the data
// says decoding cannot go on but the picture so far is kept.
class EAbort : public std::runtime_error {
public:
    EAbort() : std::runtime_error("Operation aborted") {}
};

class TDecoder {
public:
    TDecoder() = default;
    virtual ~TDecoder() = default;
    TDecoder(const TDecoder&) = delete;
    TDecoder& operator=(const TDecoder&) = delete;

    // Expands at most packedSize bytes at source into at most unpackedSize
    // units at target (bytes unless the decoder says pixels) and moves both
    // positions past what was used.
    virtual void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) = 0;
    virtual void EndDecoding() {}
    virtual void BeginDecoding() {}

    // The encoding side. This program only reads pictures, so the decoders
    // write nothing here and report 0 bytes.
    virtual size_t Encode(const uint8_t* source, uint8_t* target, size_t count) = 0;
    virtual void BeginEncoding() {}
    virtual void EndEncoding() {}
};

} // namespace orvane::imaging
