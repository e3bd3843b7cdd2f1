#pragma once
// Splits a fuzzer's bytes into decoder parameters (taken from the front) and
// the packed data (the rest, copied to a buffer of exactly its size so the
// sanitizer sees any read past it).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/decoders/Decoder.h"

namespace orvane::fuzz {

class DecoderInput {
public:
    DecoderInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // The next parameter byte (0 when the bytes run out).
    uint8_t Byte()
    {
        if (size_ == 0)
            return 0;
        --size_;
        return *data_++;
    }
    uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }

    // Everything not taken as parameters.
    std::vector<uint8_t> Rest() const { return std::vector<uint8_t>(data_, data_ + size_); }

private:
    const uint8_t* data_;
    size_t size_;
};

// Runs one Decode over the packed data into an output of exactly `bytes`
// bytes (`units` is what the decoder is asked for: bytes or pixels), and
// traps when the decoder moved either position outside its buffer.
inline void DecodeOnce(orvane::imaging::TDecoder& decoder, std::vector<uint8_t> packed, size_t units, size_t bytes)
{
    std::vector<uint8_t> output(bytes);
    const uint8_t* source = packed.data();
    uint8_t* target = output.data();
    decoder.BeginDecoding();
    decoder.Decode(source, target, packed.size(), units);
    decoder.EndDecoding();
    if (source < packed.data() || source > packed.data() + packed.size() || target < output.data() ||
        target > output.data() + output.size())
        __builtin_trap();
}

} // namespace orvane::fuzz
