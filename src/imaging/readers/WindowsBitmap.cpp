#include "imaging/readers/WindowsBitmap.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace orvane::imaging {

namespace {

enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_JPEG = 4, BI_PNG = 5, BI_ALPHABITFIELDS = 6 };

[[noreturn]] void Invalid(const char* reason)
{
    throw EInvalidGraphic(FormatText("Invalid Windows bitmap (%s).", reason));
}

[[noreturn]] void ReadFailed()
{
    throw EReadError("Stream read error");
}

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// The bytes of the file from where loading started, and checked access.
struct Bytes {
    const uint8_t* data;
    size_t size;
    // Throws the stream's read error unless [offset, offset + count) is there.
    const uint8_t* At(size_t offset, size_t count) const
    {
        if (offset > size || count > size - offset)
            ReadFailed();
        return data + offset;
    }
};

// One colour channel of a bit-field pixel, scaled to 8 bits.
class Channel {
public:
    explicit Channel(uint32_t mask) : mask_(mask)
    {
        if (mask == 0)
            return;
        shift_ = std::countr_zero(mask);
        max_ = mask >> shift_;
        if (max_ <= 0xFFFF) {
            table_.resize(size_t{max_} + 1);
            for (uint32_t v = 0; v <= max_; ++v)
                table_[v] = static_cast<uint8_t>((uint64_t{v} * 255 + max_ / 2) / max_);
        }
    }
    uint8_t Get(uint32_t pixel) const
    {
        if (mask_ == 0)
            return 0;
        const uint32_t v = (pixel & mask_) >> shift_;
        if (!table_.empty())
            return table_[v];
        return static_cast<uint8_t>((uint64_t{v} * 255 + max_ / 2) / max_);
    }
    bool Present() const { return mask_ != 0; }

private:
    uint32_t mask_;
    int shift_ = 0;
    uint32_t max_ = 0;
    std::vector<uint8_t> table_;
};

struct DibHeader {
    size_t headerSize = 0;
    bool core = false; // OS/2 1.x: 3-byte palette entries
    bool os2v2 = false;
    int64_t width = 0;
    int64_t height = 0; // as stored: negative = top-down
    uint16_t bitCount = 0;
    uint32_t compression = BI_RGB;
    uint32_t colorsUsed = 0;
    uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    bool hasMasks = false;
    size_t afterHeader = 0; // offset of the palette (after any masks)
};

DibHeader ParseHeader(const Bytes& bytes, size_t offset)
{
    DibHeader h;
    h.headerSize = Le32(bytes.At(offset, 4));
    if (h.headerSize < 12 || (h.headerSize > 12 && h.headerSize < 16) || h.headerSize > 4096)
        Invalid("header");
    const uint8_t* p = bytes.At(offset, h.headerSize);
    if (h.headerSize == 12) {
        h.core = true;
        h.width = Le16(p + 4);
        h.height = Le16(p + 6);
        h.bitCount = Le16(p + 10);
    } else {
        h.width = static_cast<int32_t>(Le32(p + 4));
        h.height = static_cast<int32_t>(Le32(p + 8));
        h.bitCount = Le16(p + 14);
        if (h.headerSize >= 20)
            h.compression = Le32(p + 16);
        if (h.headerSize >= 36)
            h.colorsUsed = Le32(p + 32);
        // Windows headers are 40, 52, 56, 108 and 124 bytes; the rest are OS/2.
        h.os2v2 = h.headerSize != 40 && h.headerSize != 52 && h.headerSize != 56 && h.headerSize != 108 &&
                  h.headerSize != 124;
    }
    h.afterHeader = offset + h.headerSize;
    if (!h.os2v2 && (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS)) {
        h.hasMasks = true;
        const size_t count = h.compression == BI_ALPHABITFIELDS ? 4 : 3;
        if (h.headerSize >= 52) {
            // V2 and later hold the masks themselves (V3+ also alpha).
            for (size_t i = 0; i < 3; ++i)
                h.masks[i] = Le32(p + 40 + 4 * i);
            if (h.headerSize >= 56)
                h.masks[3] = Le32(p + 52);
        } else {
            const uint8_t* m = bytes.At(h.afterHeader, 4 * count);
            for (size_t i = 0; i < count; ++i)
                h.masks[i] = Le32(m + 4 * i);
            h.afterHeader += 4 * count;
        }
    }
    return h;
}

TPixelFormat FormatForDepth(int bits)
{
    switch (bits) {
    case 1: return TPixelFormat::pf1bit;
    case 4: return TPixelFormat::pf4bit;
    case 8: return TPixelFormat::pf8bit;
    default: return TPixelFormat::pf24bit;
    }
}

// Run-length data: pairs (count, value) and escapes 0 0 (end of row),
// 0 1 (end of picture), 0 2 dx dy (move) and 0 n (n literal pixels, padded
// to a 16-bit boundary). Pixels past the row end are dropped; pixels never
// written stay index 0.
void DecodeRle(TBitmap& bitmap, const Bytes& bytes, size_t offset, bool four, bool bottomUp)
{
    const int64_t width = bitmap.Width();
    const int64_t height = bitmap.Height();
    const uint8_t* p = bytes.data + std::min(offset, bytes.size);
    const uint8_t* end = bytes.data + bytes.size;
    int64_t x = 0, y = 0;
    uint8_t* row = bitmap.ScanLine(static_cast<int>(bottomUp ? height - 1 : 0));
    auto put = [&](uint8_t value) {
        if (x < width && row) {
            if (four) {
                uint8_t& b = row[x >> 1];
                b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                            : static_cast<uint8_t>((b & 0x0F) | (value << 4));
            } else {
                row[x] = value;
            }
        }
        ++x;
    };
    auto selectRow = [&] {
        row = y < height ? bitmap.ScanLine(static_cast<int>(bottomUp ? height - 1 - y : y)) : nullptr;
    };
    while (y < height) {
        if (end - p < 2)
            ReadFailed();
        const uint8_t count = p[0];
        const uint8_t value = p[1];
        p += 2;
        if (count > 0) {
            // Runs longer than the rest of the row only cost the loop up to
            // the row's end.
            const int64_t n = std::min<int64_t>(count, std::max<int64_t>(width - x, 0));
            if (four) {
                const int64_t from = x;
                for (int64_t i = 0; i < n; ++i)
                    put((i & 1) ? value & 0x0F : value >> 4);
                x = from;
            } else if (n > 0) {
                std::memset(row + x, value, static_cast<size_t>(n));
            }
            x += count;
            continue;
        }
        switch (value) {
        case 0: // end of row
            x = 0;
            ++y;
            selectRow();
            break;
        case 1: // end of picture
            return;
        case 2: { // move right and up (down in a top-down picture)
            if (end - p < 2)
                ReadFailed();
            x += p[0];
            y += p[1];
            p += 2;
            selectRow();
            break;
        }
        default: { // literal pixels
            const size_t n = value;
            const size_t used = four ? (n + 1) / 2 : n;
            const size_t padded = (used + 1) & ~size_t{1};
            if (static_cast<size_t>(end - p) < used)
                ReadFailed();
            for (size_t i = 0; i < n; ++i)
                put(four ? ((i & 1) ? p[i / 2] & 0x0F : p[i / 2] >> 4) : p[i]);
            p += std::min(padded, static_cast<size_t>(end - p));
            break;
        }
        }
    }
}

void DecodeBitFields(TBitmap& bitmap, const uint8_t* pixels, size_t srcStride, int bits, const uint32_t masks[4],
                     bool bottomUp)
{
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const bool withAlpha = bitmap.PixelFormat() == TPixelFormat::pf32bit;
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = pixels + srcStride * static_cast<size_t>(y);
        uint8_t* dst = bitmap.ScanLine(bottomUp ? height - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            const uint32_t v = bits == 16 ? Le16(src + 2 * size_t(x)) : Le32(src + 4 * size_t(x));
            dst[0] = blue.Get(v);
            dst[1] = green.Get(v);
            dst[2] = red.Get(v);
            if (withAlpha) {
                dst[3] = alpha.Get(v);
                dst += 4;
            } else {
                dst += 3;
            }
        }
    }
}

// The file header is optional: a bare DIB starts with its info header. With
// one, it gives the offset of the pixels.
struct FileHeader {
    size_t infoOffset = 0;
    size_t pixelOffset = 0;
    bool hasPixelOffset = false;
};

FileHeader ReadFileHeader(const Bytes& bytes)
{
    FileHeader f;
    if (bytes.size >= 2 && bytes.data[0] == 'B' && bytes.data[1] == 'M') {
        f.pixelOffset = Le32(bytes.At(0, 14) + 10);
        f.hasPixelOffset = true;
        f.infoOffset = 14;
    }
    return f;
}

void CheckHeader(const DibHeader& h)
{
    if (h.width <= 0 || h.height == 0 || h.height == std::numeric_limits<int32_t>::min())
        Invalid("size");
    const uint32_t c = h.compression;
    if (h.os2v2 && c > BI_RLE4)
        Invalid("OS/2 compression");
    if (c == BI_JPEG || c == BI_PNG)
        Invalid("embedded JPEG or PNG data");
    if (c > BI_ALPHABITFIELDS)
        Invalid("compression");
    const int bits = h.bitCount;
    const bool depthOk = c == BI_RGB ? (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)
                         : c == BI_RLE8 ? bits == 8
                         : c == BI_RLE4 ? bits == 4
                                        : (bits == 16 || bits == 32);
    if (!depthOk)
        Invalid("bit depth");
}

// The palette of up to 8 bits: the colours used, or all 2^bits; entries past
// the pixel data offset are not part of it. Without a usable pixel offset
// the pixels follow the palette (or the header).
std::vector<TRGBQuad> ReadPalette(const Bytes& bytes, const DibHeader& h, FileHeader& f)
{
    std::vector<TRGBQuad> palette;
    const bool offsetUsable = f.hasPixelOffset && f.pixelOffset >= h.afterHeader;
    if (h.bitCount > 8) {
        if (!offsetUsable)
            f.pixelOffset = h.afterHeader;
        return palette;
    }
    const size_t full = size_t{1} << h.bitCount;
    size_t count = h.colorsUsed == 0 || h.colorsUsed > full ? full : h.colorsUsed;
    const size_t entry = h.core ? 3 : 4;
    if (offsetUsable)
        count = std::min(count, (f.pixelOffset - h.afterHeader) / entry);
    const uint8_t* p = bytes.At(h.afterHeader, count * entry);
    palette.resize(full); // indexes beyond the stored colours show black
    for (size_t i = 0; i < count; ++i, p += entry)
        palette[i] = TRGBQuad{p[0], p[1], p[2], 0};
    if (!offsetUsable)
        f.pixelOffset = h.afterHeader + count * entry;
    return palette;
}

// Stored rows as the file holds them: bottom-up or top-down, padded to 4 bytes.
struct StoredRows {
    const uint8_t* pixels;
    size_t stride;
    bool bottomUp;
    int width;
    int height;
    const uint8_t* Row(int y) const { return pixels + stride * static_cast<size_t>(y); }
    int Target(int y) const { return bottomUp ? height - 1 - y : y; }
};

// Indexed and 24-bit rows are the bitmap's own layout.
void CopyRows(TBitmap& bitmap, const StoredRows& rows, int bits, std::vector<TRGBQuad> palette)
{
    bitmap.SetPixelFormat(FormatForDepth(bits));
    bitmap.SetSize(rows.width, rows.height);
    bitmap.SetPalette(std::move(palette));
    const size_t rowBytes = (static_cast<size_t>(rows.width) * static_cast<size_t>(bits) + 7) / 8;
    for (int y = 0; y < rows.height; ++y)
        std::memcpy(bitmap.ScanLine(rows.Target(y)), rows.Row(y), rowBytes);
}

// 16-bit pixels of 5 bits each are our 15-bit format (top bit clear).
void FifteenBitRows(TBitmap& bitmap, const StoredRows& rows)
{
    bitmap.SetPixelFormat(TPixelFormat::pf15bit);
    bitmap.SetSize(rows.width, rows.height);
    for (int y = 0; y < rows.height; ++y) {
        const uint8_t* src = rows.Row(y);
        uint8_t* dst = bitmap.ScanLine(rows.Target(y));
        for (int x = 0; x < rows.width; ++x) {
            dst[2 * x] = src[2 * x];
            dst[2 * x + 1] = src[2 * x + 1] & 0x7F;
        }
    }
}

// 32-bit blue, green, red pixels, with alpha or padding.
void BgraRows(TBitmap& bitmap, const StoredRows& rows, bool alpha)
{
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    bitmap.SetSize(rows.width, rows.height);
    for (int y = 0; y < rows.height; ++y) {
        uint8_t* dst = bitmap.ScanLine(rows.Target(y));
        std::memcpy(dst, rows.Row(y), static_cast<size_t>(rows.width) * 4);
        if (!alpha)
            for (int x = 0; x < rows.width; ++x)
                dst[4 * x + 3] = 0xFF;
    }
    bitmap.SetHasAlpha(alpha);
}

// Any other 16 or 32-bit masks, each channel scaled to 8 bits.
void BitFieldRows(TBitmap& bitmap, const StoredRows& rows, int bits, const uint32_t masks[4])
{
    const bool alpha = masks[3] != 0;
    bitmap.SetPixelFormat(alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
    bitmap.SetSize(rows.width, rows.height);
    DecodeBitFields(bitmap, rows.pixels, rows.stride, bits, masks, rows.bottomUp);
    bitmap.SetHasAlpha(alpha);
}

// Uncompressed pixels by their layout; returns the offset of their end.
size_t DecodeUncompressed(TBitmap& bitmap, const Bytes& bytes, const DibHeader& h, size_t pixelOffset,
                          std::vector<TRGBQuad> palette)
{
    const bool bottomUp = h.height > 0;
    const int64_t height = bottomUp ? h.height : -h.height;
    const int bits = h.bitCount;
    const char* tooLarge = "The picture is too large to be shown";
    const size_t stride = ((CheckedMul(static_cast<size_t>(h.width), static_cast<size_t>(bits), tooLarge) + 31) / 32) * 4;
    const size_t dataSize = CheckedMul(stride, static_cast<size_t>(height), tooLarge);
    const StoredRows rows{bytes.At(pixelOffset, dataSize), stride, bottomUp, static_cast<int>(h.width),
                          static_cast<int>(height)};

    uint32_t masks[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
    if (!h.hasMasks) {
        if (bits == 16) {
            masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F, masks[3] = 0;
        } else if (bits == 32) {
            masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF, masks[3] = 0;
        }
    }
    if (bits <= 8 || bits == 24)
        CopyRows(bitmap, rows, bits, std::move(palette));
    else if (bits == 16 && masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F && masks[3] == 0)
        FifteenBitRows(bitmap, rows);
    else if (bits == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF &&
             (masks[3] == 0 || masks[3] == 0xFF000000u))
        BgraRows(bitmap, rows, masks[3] != 0);
    else
        BitFieldRows(bitmap, rows, bits, masks);
    return pixelOffset + dataSize;
}

} // namespace

const TGraphicClass& TWindowsBitmap::ClassInfo()
{
    return PictureClassInfo<TWindowsBitmap>("TWindowsBitmap");
}

void TWindowsBitmap::LoadFromStream(TStream& stream)
{
    FreeImage();
    const int64_t start = stream.Position();
    const TStreamBytes file(stream, start);
    const Bytes bytes{file.Data(), file.Size()};
    FileHeader f = ReadFileHeader(bytes);
    const DibHeader h = ParseHeader(bytes, f.infoOffset);
    CheckHeader(h);
    std::vector<TRGBQuad> palette = ReadPalette(bytes, h, f);

    if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
        const bool bottomUp = h.height > 0;
        SetPixelFormat(FormatForDepth(h.bitCount));
        SetSize(static_cast<int>(h.width), static_cast<int>(bottomUp ? h.height : -h.height));
        SetPalette(std::move(palette));
        DecodeRle(*this, bytes, f.pixelOffset, h.compression == BI_RLE4, bottomUp);
        stream.Seek(start + static_cast<int64_t>(bytes.size), TSeekOrigin::soBeginning);
        return;
    }
    const size_t end = DecodeUncompressed(*this, bytes, h, f.pixelOffset, std::move(palette));
    stream.Seek(start + static_cast<int64_t>(end), TSeekOrigin::soBeginning);
}

} // namespace orvane::imaging
