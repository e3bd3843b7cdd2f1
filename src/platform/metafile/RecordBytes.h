#pragma once
// Checked little-endian access to the parameters of one metafile record. A
// field outside the record reads as zero and marks the view as short, so a
// player can drop a record that is too small for what it claims to hold
// without ever reading past it.
#include "imaging/core/Errors.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orvane::imaging::metafile {

// What every damaged or unknown metafile raises.
inline constexpr const char* kInvalidMetafile = "Cannot load image. Invalid or unexpected metafile image format.";

[[noreturn]] inline void InvalidMetafile()
{
    throw EInvalidGraphic(kInvalidMetafile);
}

class RecordBytes {
public:
    RecordBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Size() const { return size_; }
    const uint8_t* Data() const { return data_; }
    bool Short() const { return short_; }

    // True when [offset, offset + count) lies inside the record.
    bool Has(size_t offset, size_t count) const { return offset <= size_ && count <= size_ - offset; }
    // The bytes at offset, or nullptr (and short) when they are not all there.
    const uint8_t* At(size_t offset, size_t count) const
    {
        if (!Has(offset, count)) {
            short_ = true;
            return nullptr;
        }
        return data_ + offset;
    }

    uint8_t U8(size_t offset) const
    {
        const uint8_t* p = At(offset, 1);
        return p ? p[0] : 0;
    }
    uint16_t U16(size_t offset) const
    {
        const uint8_t* p = At(offset, 2);
        return p ? static_cast<uint16_t>(p[0] | (p[1] << 8)) : 0;
    }
    int16_t I16(size_t offset) const { return static_cast<int16_t>(U16(offset)); }
    uint32_t U32(size_t offset) const
    {
        const uint8_t* p = At(offset, 4);
        return p ? uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24) : 0;
    }
    int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
    float F32(size_t offset) const
    {
        const uint32_t bits = U32(offset);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    const uint8_t* data_;
    size_t size_;
    mutable bool short_ = false;
};

} // namespace orvane::imaging::metafile
