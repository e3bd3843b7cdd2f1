#pragma once
// Inflating a whole zlib stream in one call, for data that is in memory at
// once and whose decoded size is known (PNG image data, TIFF strips). Uses
// libdeflate where the build has it, zlib otherwise.
#include <cstddef>
#include <cstdint>

namespace orvane::imaging {

class TWholeInflater {
public:
    TWholeInflater();
    ~TWholeInflater();
    TWholeInflater(const TWholeInflater&) = delete;
    TWholeInflater& operator=(const TWholeInflater&) = delete;

    // Inflates the zlib stream at source into target. True only when the
    // stream is complete and valid (header, data and Adler-32) and its data
    // fit into capacity; used and produced then say how many bytes of source
    // the stream took and how many it wrote. False for anything else, with
    // target's content undefined: callers that need the partial result or a
    // precise error decode again with the streaming decoder.
    bool Inflate(const uint8_t* source, size_t size, uint8_t* target, size_t capacity, size_t& used,
                 size_t& produced);

private:
    void* decompressor_ = nullptr; // libdeflate's decompressor, made on first use
};

} // namespace orvane::imaging
