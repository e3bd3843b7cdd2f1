#include "imaging/decoders/PCDDecoder.h"

#include <algorithm>
#include <array>
#include <vector>

namespace orvane::imaging {

namespace {

// The stream read in blocks of 2048 bytes into a 32-bit window whose most
// significant bit is the next bit. Past the end of the stream zeros come in;
// Exhausted() tells when no bit of the window came from the stream any more.
class BitWindow {
public:
    explicit BitWindow(TStream& stream) : stream_(stream) { Refill(); }

    uint32_t Window() const { return window_; }
    bool Exhausted() const { return dataBits_ <= 0; }

    void Drop(int n)
    {
        window_ = n >= 32 ? 0 : window_ << n;
        bits_ -= n;
        dataBits_ -= n;
        Refill();
    }

    uint32_t TakeByte()
    {
        const uint32_t value = window_ >> 24;
        Drop(8);
        return value;
    }

private:
    void Refill()
    {
        while (bits_ <= 24) {
            if (position_ == length_) {
                length_ = stream_.Read(block_.data(), block_.size());
                position_ = 0;
            }
            uint32_t byte = 0;
            if (position_ < length_) {
                byte = block_[position_++];
                dataBits_ = std::max(dataBits_, bits_) + 8;
            }
            window_ |= byte << (24 - bits_);
            bits_ += 8;
        }
    }

    TStream& stream_;
    std::array<uint8_t, 2048> block_{};
    size_t position_ = 0;
    size_t length_ = 0;
    uint32_t window_ = 0;
    int bits_ = 0;     // bits in the window
    int dataBits_ = 0; // of them, bits that came from the stream
};

struct Entry {
    uint32_t mask;
    uint32_t code;
    int length;
    int difference;
};

using Table = std::vector<Entry>;

// Reads one table; false when a code length is invalid.
bool ReadTable(BitWindow& bits, Table& table)
{
    const uint32_t count = bits.TakeByte() + 1;
    table.clear();
    for (uint32_t i = 0; i < count; ++i) {
        const int length = static_cast<int>(bits.TakeByte()) + 1;
        if (length > 16)
            return false;
        const uint32_t high = bits.TakeByte();
        const uint32_t code = (high << 8) | bits.TakeByte();
        const int difference = static_cast<int8_t>(bits.TakeByte());
        const uint32_t mask = 0xFFFFFFFFu << (32 - length);
        table.push_back({mask, (code << 16) & mask, length, difference});
    }
    return !bits.Exhausted();
}

bool Synchronise(BitWindow& bits)
{
    while ((bits.Window() & 0xFFF000u) != 0xFFF000u && !bits.Exhausted())
        bits.Drop(8);
    while ((bits.Window() & 0xFFFFFF00u) != 0xFFFFFE00u && !bits.Exhausted())
        bits.Drop(1);
    return !bits.Exhausted();
}

} // namespace

TPCDDecoder::TPCDDecoder(TStream& stream) : stream_(stream) {}

void TPCDDecoder::DecodePlanes(const TPlanes& planes, int rowCount, int rowWidth)
{
    if (rowCount <= 0 || rowWidth <= 0)
        return;
    BitWindow bits(stream_);
    std::array<Table, 3> tables;
    const int tableCount = rowWidth > 1536 ? 3 : 1;
    for (int i = 0; i < tableCount; ++i)
        if (!ReadTable(bits, tables[static_cast<size_t>(i)]))
            return;

    const size_t lumaWidth = static_cast<size_t>(rowWidth);
    const size_t chromaWidth = lumaWidth / 2;
    const uint32_t lumaRows = static_cast<uint32_t>(rowCount);
    const uint32_t chromaRows = lumaRows / 2;

    uint8_t* row = nullptr; // null while the row header named no valid row
    size_t rowLength = 0;
    size_t pixel = 0;
    const Table* table = &tables[0];

    if (!Synchronise(bits))
        return;
    while (!bits.Exhausted()) {
        if ((bits.Window() & 0xFFFFFF00u) == 0xFFFFFE00u) {
            bits.Drop(16);
            const uint32_t number = (bits.Window() >> 9) & 0x1FFF;
            if (number == lumaRows)
                return;
            bits.Drop(8);
            const uint32_t plane = bits.Window() >> 30;
            bits.Drop(16);
            row = nullptr;
            pixel = 0;
            switch (plane) {
            case 0:
                table = &tables[0];
                if (number < lumaRows && planes.luma) {
                    row = planes.luma + number * lumaWidth;
                    rowLength = lumaWidth;
                }
                break;
            case 2:
            case 3: {
                table = &tables[tableCount == 3 ? plane - 1 : 0];
                uint8_t* base = plane == 2 ? planes.chroma1 : planes.chroma2;
                if (number / 2 < chromaRows && base) {
                    row = base + (number / 2) * chromaWidth;
                    rowLength = chromaWidth;
                }
                break;
            }
            default:
                throw EAbort();
            }
            continue;
        }
        const uint32_t window = bits.Window();
        const Entry* match = nullptr;
        for (const Entry& entry : *table)
            if ((window & entry.mask) == entry.code) {
                match = &entry;
                break;
            }
        if (!match) {
            if (!Synchronise(bits))
                return;
            continue;
        }
        if (row && pixel < rowLength) {
            const int value = row[pixel] + match->difference;
            row[pixel] = static_cast<uint8_t>(std::clamp(value, 0, 255));
        }
        ++pixel;
        bits.Drop(match->length);
    }
}

void TPCDDecoder::Decode(const uint8_t*&, uint8_t*& target, size_t packedSize, size_t unpackedSize)
{
    const size_t width = packedSize;
    const size_t rows = unpackedSize;
    if (width == 0 || rows == 0 || width > 0x7FFFFFFF || rows > 0x7FFFFFFF || width > SIZE_MAX / 2 / rows)
        return;
    TPlanes planes;
    planes.luma = target;
    planes.chroma1 = planes.luma + rows * width;
    planes.chroma2 = planes.chroma1 + (rows / 2) * (width / 2);
    DecodePlanes(planes, static_cast<int>(rows), static_cast<int>(width));
    target = planes.chroma2 + (rows / 2) * (width / 2);
}

size_t TPCDDecoder::Encode(const uint8_t*, uint8_t*, size_t)
{
    return 0;
}

} // namespace orvane::imaging
