#pragma once
// One image file directory of a TIFF file: its 12-byte entries, sorted by tag,
// and the typed access to their values. Values that do not fit into an entry
// are read from the stream at their offset (relative to the base position);
// data lying beyond the stream raises the stream's read error before anything
// is allocated for it.
#include "imaging/core/Stream.h"

#include <cstdint>
#include <vector>

namespace orvane::imaging {

// Field types.
enum TTIFFFieldType : uint16_t {
    ftByte = 1,
    ftASCII = 2,
    ftShort = 3,
    ftLong = 4,
    ftRational = 5,
    ftSByte = 6,
    ftUndefined = 7,
    ftSShort = 8,
    ftSLong = 9,
    ftSRational = 10,
    ftFloat = 11,
    ftDouble = 12,
};

struct TIFDEntry {
    uint16_t Tag = 0;
    uint16_t DataType = 0;
    uint32_t DataLength = 0; // count of values
    // The value field: in-entry values already in host order value by value,
    // or the offset of the values.
    uint32_t Offset = 0;
};

class TTIFFDirectory {
public:
    // Bytes per value of a field type; 0 for types of no known size.
    static uint32_t FieldSize(uint16_t type);

    // Reads the directory at base + offset (entry count, entries, offset of
    // the next directory) and sorts the entries by tag.
    void Read(TStream& stream, int64_t base, uint32_t offset, bool bigEndian);
    void Clear() { entries_.clear(); }

    const std::vector<TIFDEntry>& Entries() const { return entries_; }
    uint32_t NextIFD() const { return nextIFD_; }
    bool BigEndian() const { return bigEndian_; }

    // The entry of a tag (the first one when a file repeats it), or null.
    const TIFDEntry* Find(uint16_t tag) const;
    bool Has(uint16_t tag) const { return Find(tag) != nullptr; }

    // Single value: the default when the tag is missing; with one value that
    // value by type (BYTE, SHORT, SSHORT, LONG, SLONG; other types give the
    // default); with another count the raw value field.
    uint32_t Value(uint16_t tag, uint32_t defaultValue) const;
    // All values of an integer tag (BYTE, SHORT, SSHORT, LONG, SLONG); empty
    // for a missing tag or another type.
    std::vector<uint32_t> Array(uint16_t tag) const;
    std::vector<uint8_t> ByteArray(uint16_t tag) const;
    // Numbers of any numeric type, rationals divided out.
    std::vector<float> FloatArray(uint16_t tag) const;
    // One number: BYTE, SHORT, LONG, RATIONAL, SRATIONAL, FLOAT or DOUBLE;
    // the default for a missing tag, another count or type, or a zero
    // denominator.
    float Float(uint16_t tag, float defaultValue) const;
    // The bytes of an entry's values as stored in the file (file byte order).
    std::vector<uint8_t> RawData(const TIFDEntry& entry) const;

private:
    uint16_t Get16(const uint8_t* p) const;
    uint32_t Get32(const uint8_t* p) const;
    // Value i of an integer field whose raw bytes are data.
    uint32_t IntegerAt(const TIFDEntry& entry, const uint8_t* data, size_t i) const;
    double NumberAt(const TIFDEntry& entry, const uint8_t* data, size_t i, bool& valid) const;

    TStream* stream_ = nullptr;
    int64_t base_ = 0;
    bool bigEndian_ = false;
    std::vector<TIFDEntry> entries_;
    uint32_t nextIFD_ = 0;
};

} // namespace orvane::imaging
