#pragma once
// Runs a decoder over real byte arrays with output buffers of exactly the
// requested size, so a sanitizer sees any write past the end.
#include "imaging/decoders/Decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orvane::test {

using Bytes = std::vector<uint8_t>;

struct DecodeResult {
    Bytes output;      // the whole output buffer
    size_t consumed;   // bytes the source position moved
    size_t produced;   // bytes the target position moved
};

// Decodes input into an output buffer of outputBytes bytes (filled with fill
// beforehand), passing unpackedSize (defaults to outputBytes).
inline DecodeResult RunDecoder(imaging::TDecoder& decoder, const Bytes& input, size_t outputBytes,
                               size_t unpackedSize = SIZE_MAX, uint8_t fill = 0)
{
    if (unpackedSize == SIZE_MAX)
        unpackedSize = outputBytes;
    DecodeResult result{Bytes(outputBytes, fill), 0, 0};
    // An empty input still needs a valid pointer.
    Bytes source = input.empty() ? Bytes() : input;
    const uint8_t* s = source.data();
    uint8_t* t = result.output.data();
    decoder.BeginDecoding();
    decoder.Decode(s, t, source.size(), unpackedSize);
    decoder.EndDecoding();
    result.consumed = static_cast<size_t>(s - source.data());
    result.produced = static_cast<size_t>(t - result.output.data());
    EXPECT_LE(result.consumed, input.size());
    EXPECT_LE(result.produced, outputBytes);
    return result;
}

// Pseudo-random bytes for hostile inputs.
inline Bytes NoiseBytes(size_t size, uint32_t seed)
{
    Bytes bytes(size);
    for (auto& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return bytes;
}

} // namespace orvane::test
