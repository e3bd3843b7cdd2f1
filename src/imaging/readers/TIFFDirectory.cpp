#include "imaging/readers/TIFFDirectory.h"

#include "imaging/core/Errors.h"

#include <algorithm>
#include <cstring>

namespace orvane::imaging {

namespace {

[[noreturn]] void ReadError()
{
    throw EReadError("Stream read error");
}

} // namespace

uint32_t TTIFFDirectory::FieldSize(uint16_t type)
{
    switch (type) {
    case ftByte:
    case ftASCII:
    case ftSByte:
    case ftUndefined:
        return 1;
    case ftShort:
    case ftSShort:
        return 2;
    case ftLong:
    case ftSLong:
    case ftFloat:
        return 4;
    case ftRational:
    case ftSRational:
    case ftDouble:
        return 8;
    default:
        return 0;
    }
}

uint16_t TTIFFDirectory::Get16(const uint8_t* p) const
{
    return bigEndian_ ? static_cast<uint16_t>((p[0] << 8) | p[1]) : static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t TTIFFDirectory::Get32(const uint8_t* p) const
{
    if (bigEndian_)
        return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void TTIFFDirectory::Read(TStream& stream, int64_t base, uint32_t offset, bool bigEndian)
{
    stream_ = &stream;
    base_ = base;
    bigEndian_ = bigEndian;
    entries_.clear();
    nextIFD_ = 0;

    stream.SetPosition(base + offset);
    if (stream.Position() != base + offset)
        ReadError();
    uint8_t countBytes[2];
    stream.ReadBuffer(countBytes, 2);
    const uint16_t count = Get16(countBytes);
    if (stream.Remaining() < int64_t{count} * 12)
        ReadError();
    std::vector<uint8_t> raw(size_t{count} * 12);
    stream.ReadBuffer(raw.data(), raw.size());

    entries_.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &raw[i * 12];
        TIFDEntry& entry = entries_[i];
        entry.Tag = Get16(p);
        entry.DataType = Get16(p + 2);
        entry.DataLength = Get32(p + 4);
        // The value field becomes host order value by value: values that fit
        // in the entry keep their places, anything else is an offset.
        const uint32_t size = FieldSize(entry.DataType);
        const uint64_t bytes = uint64_t{size} * entry.DataLength;
        uint8_t field[4];
        std::memcpy(field, p + 8, 4);
        if (bigEndian_) {
            if (size == 2 && bytes <= 4) {
                for (int k = 0; k < 4; k += 2)
                    std::swap(field[k], field[k + 1]);
            } else if (size != 1 || bytes > 4) {
                std::swap(field[0], field[3]);
                std::swap(field[1], field[2]);
            }
        }
        entry.Offset = uint32_t(field[0]) | (uint32_t(field[1]) << 8) | (uint32_t(field[2]) << 16) |
                       (uint32_t(field[3]) << 24);
    }
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const TIFDEntry& a, const TIFDEntry& b) { return a.Tag < b.Tag; });

    uint8_t next[4];
    if (stream.Read(next, 4) == 4)
        nextIFD_ = Get32(next);
}

const TIFDEntry* TTIFFDirectory::Find(uint16_t tag) const
{
    auto it = std::lower_bound(entries_.begin(), entries_.end(), tag,
                               [](const TIFDEntry& entry, uint16_t value) { return entry.Tag < value; });
    return it != entries_.end() && it->Tag == tag ? &*it : nullptr;
}

uint32_t TTIFFDirectory::Value(uint16_t tag, uint32_t defaultValue) const
{
    const TIFDEntry* entry = Find(tag);
    if (!entry)
        return defaultValue;
    if (entry->DataLength != 1)
        return entry->Offset;
    switch (entry->DataType) {
    case ftByte:
        return entry->Offset & 0xFF;
    case ftShort:
    case ftSShort:
        return entry->Offset & 0xFFFF;
    case ftLong:
    case ftSLong:
        return entry->Offset;
    default:
        return defaultValue;
    }
}

std::vector<uint8_t> TTIFFDirectory::RawData(const TIFDEntry& entry) const
{
    const uint64_t bytes = uint64_t{FieldSize(entry.DataType)} * entry.DataLength;
    if (bytes == 0)
        return {};
    if (bytes <= 4) {
        // In the entry: back to file order.
        uint8_t field[4];
        for (int k = 0; k < 4; ++k)
            field[k] = static_cast<uint8_t>(entry.Offset >> (8 * k));
        if (bigEndian_) {
            const uint32_t size = FieldSize(entry.DataType);
            if (size == 2) {
                std::swap(field[0], field[1]);
                std::swap(field[2], field[3]);
            } else if (size == 4) {
                std::swap(field[0], field[3]);
                std::swap(field[1], field[2]);
            }
        }
        return std::vector<uint8_t>(field, field + bytes);
    }
    const int64_t start = base_ + entry.Offset;
    if (start > stream_->Size() || static_cast<uint64_t>(stream_->Size() - start) < bytes)
        ReadError();
    std::vector<uint8_t> data(static_cast<size_t>(bytes));
    stream_->SetPosition(start);
    stream_->ReadBuffer(data.data(), data.size());
    return data;
}

uint32_t TTIFFDirectory::IntegerAt(const TIFDEntry& entry, const uint8_t* data, size_t i) const
{
    switch (entry.DataType) {
    case ftByte:
    case ftSByte:
    case ftUndefined:
    case ftASCII:
        return data[i];
    case ftShort:
    case ftSShort:
        return Get16(data + 2 * i);
    default:
        return Get32(data + 4 * i);
    }
}

std::vector<uint32_t> TTIFFDirectory::Array(uint16_t tag) const
{
    const TIFDEntry* entry = Find(tag);
    if (!entry)
        return {};
    switch (entry->DataType) {
    case ftByte:
    case ftShort:
    case ftSShort:
    case ftLong:
    case ftSLong:
        break;
    default:
        return {};
    }
    const std::vector<uint8_t> data = RawData(*entry);
    std::vector<uint32_t> values(entry->DataLength);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = IntegerAt(*entry, data.data(), i);
    return values;
}

std::vector<uint8_t> TTIFFDirectory::ByteArray(uint16_t tag) const
{
    const TIFDEntry* entry = Find(tag);
    if (!entry)
        return {};
    switch (entry->DataType) {
    case ftByte:
    case ftSByte:
    case ftUndefined:
    case ftASCII:
        return RawData(*entry);
    case ftShort:
    case ftSShort:
    case ftLong:
    case ftSLong: {
        const std::vector<uint8_t> data = RawData(*entry);
        std::vector<uint8_t> values(entry->DataLength);
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = static_cast<uint8_t>(IntegerAt(*entry, data.data(), i));
        return values;
    }
    default:
        return {};
    }
}

double TTIFFDirectory::NumberAt(const TIFDEntry& entry, const uint8_t* data, size_t i, bool& valid) const
{
    valid = true;
    switch (entry.DataType) {
    case ftByte:
    case ftShort:
    case ftLong:
        return IntegerAt(entry, data, i);
    case ftSByte:
        return static_cast<int8_t>(data[i]);
    case ftSShort:
        return static_cast<int16_t>(Get16(data + 2 * i));
    case ftSLong:
        return static_cast<int32_t>(Get32(data + 4 * i));
    case ftRational:
    case ftSRational: {
        const uint32_t numerator = Get32(data + 8 * i);
        const uint32_t denominator = Get32(data + 8 * i + 4);
        if (denominator == 0) {
            valid = false;
            return 0;
        }
        if (entry.DataType == ftSRational)
            return double(static_cast<int32_t>(numerator)) / double(static_cast<int32_t>(denominator));
        return double(numerator) / double(denominator);
    }
    case ftFloat: {
        const uint32_t bits = Get32(data + 4 * i);
        float value;
        std::memcpy(&value, &bits, 4);
        return value;
    }
    case ftDouble: {
        const uint64_t high = Get32(data + 8 * i + (bigEndian_ ? 0 : 4));
        const uint64_t low = Get32(data + 8 * i + (bigEndian_ ? 4 : 0));
        const uint64_t bits = (high << 32) | low;
        double value;
        std::memcpy(&value, &bits, 8);
        return value;
    }
    default:
        valid = false;
        return 0;
    }
}

std::vector<float> TTIFFDirectory::FloatArray(uint16_t tag) const
{
    const TIFDEntry* entry = Find(tag);
    if (!entry || FieldSize(entry->DataType) == 0 || entry->DataType == ftASCII ||
        entry->DataType == ftUndefined)
        return {};
    const std::vector<uint8_t> data = RawData(*entry);
    std::vector<float> values;
    values.reserve(entry->DataLength);
    for (size_t i = 0; i < entry->DataLength; ++i) {
        bool valid = false;
        const double value = NumberAt(*entry, data.data(), i, valid);
        values.push_back(valid ? static_cast<float>(value) : 0.0f);
    }
    return values;
}

float TTIFFDirectory::Float(uint16_t tag, float defaultValue) const
{
    const TIFDEntry* entry = Find(tag);
    if (!entry || entry->DataLength != 1)
        return defaultValue;
    switch (entry->DataType) {
    case ftByte:
    case ftShort:
    case ftLong:
    case ftRational:
    case ftSRational:
    case ftFloat:
    case ftDouble:
        break;
    default:
        return defaultValue;
    }
    const std::vector<uint8_t> data = RawData(*entry);
    bool valid = false;
    const double value = NumberAt(*entry, data.data(), 0, valid);
    return valid ? static_cast<float>(value) : defaultValue;
}

} // namespace orvane::imaging
