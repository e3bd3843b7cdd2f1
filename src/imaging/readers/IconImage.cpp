#include "imaging/readers/IconImage.h"

#include "imaging/core/PictureLoader.h"

#include <algorithm>
#include <cstring>

namespace orvane::imaging {

namespace {

[[noreturn]] void Invalid(const char* reason)
{
    throw EInvalidGraphic(FormatText("Invalid Windows icon (%s).", reason));
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
uint32_t Be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// One image of the icon, as its own data (not the directory) describes it.
struct Entry {
    const uint8_t* data = nullptr;
    size_t size = 0; // bytes from the image's offset to the end of the file
    bool png = false;
    uint64_t width = 0;
    uint64_t height = 0;
    int bits = 0;
};

// Describes the image at [offset, end of file); false when it is neither a
// PNG nor a bitmap we can read.
bool Describe(const uint8_t* file, size_t fileSize, uint32_t offset, Entry& entry)
{
    if (offset >= fileSize)
        return false;
    entry.data = file + offset;
    entry.size = fileSize - offset;
    const uint8_t* p = entry.data;
    if (entry.size >= 26 && std::memcmp(p, pngSignature, 8) == 0 && std::memcmp(p + 12, "IHDR", 4) == 0) {
        entry.png = true;
        entry.width = Be32(p + 16);
        entry.height = Be32(p + 20);
        const int depth = p[24];
        const int channels = p[25] == 2 ? 3 : p[25] == 4 ? 2 : p[25] == 6 ? 4 : 1;
        entry.bits = depth * channels;
        return entry.width > 0 && entry.height > 0;
    }
    if (entry.size < 40 || Le32(p) < 40)
        return false;
    const auto width = static_cast<int32_t>(Le32(p + 4));
    const auto height = static_cast<int32_t>(Le32(p + 8));
    const uint16_t bits = Le16(p + 14);
    const uint32_t compression = Le32(p + 16);
    if (width <= 0 || height < 2 || compression != 0)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    entry.width = static_cast<uint64_t>(width);
    entry.height = static_cast<uint64_t>(height / 2); // colour rows, then mask rows
    entry.bits = bits;
    return true;
}

bool Better(const Entry& a, const Entry& b)
{
    const uint64_t areaA = a.width * a.height, areaB = b.width * b.height;
    return areaA != areaB ? areaA > areaB : a.bits > b.bits;
}

// The palette of a bitmap-format image of up to 8 bits, opaque; indexes
// beyond the stored colours show black. Advances offset past it.
std::vector<TRGBQuad> ReadIconPalette(const Entry& entry, size_t& offset)
{
    const uint8_t* p = entry.data;
    const size_t full = size_t{1} << entry.bits;
    const uint32_t used = Le32(p + 32);
    const size_t count = used == 0 || used > full ? full : used;
    if (count * 4 > entry.size - offset)
        ReadFailed();
    std::vector<TRGBQuad> palette(full, TRGBQuad{0, 0, 0, 255});
    for (size_t i = 0; i < count; ++i)
        palette[i] = TRGBQuad{p[offset + 4 * i], p[offset + 4 * i + 1], p[offset + 4 * i + 2], 255};
    offset += count * 4;
    return palette;
}

void PutPixel(uint8_t* dst, const TRGBQuad& c)
{
    dst[0] = c.rgbBlue;
    dst[1] = c.rgbGreen;
    dst[2] = c.rgbRed;
    dst[3] = c.rgbReserved;
}

// Rows of each depth into 32-bit blue, green, red, alpha.
void IndexedRow(const uint8_t* src, int bits, const std::vector<TRGBQuad>& palette, size_t w, uint8_t* dst)
{
    for (size_t x = 0; x < w; ++x, dst += 4) {
        const unsigned index = bits == 1   ? (src[x / 8] >> (7 - x % 8)) & 1
                               : bits == 4 ? (src[x / 2] >> (x % 2 ? 0 : 4)) & 15
                                           : src[x];
        PutPixel(dst, palette[index]);
    }
}

void FiveBitRow(const uint8_t* src, size_t w, uint8_t* dst)
{
    for (size_t x = 0; x < w; ++x, dst += 4) {
        const unsigned v = Le16(src + 2 * x);
        PutPixel(dst, TRGBQuad{uint8_t(((v & 31) * 255 + 15) / 31), uint8_t((((v >> 5) & 31) * 255 + 15) / 31),
                               uint8_t((((v >> 10) & 31) * 255 + 15) / 31), 255});
    }
}

void BgrRow(const uint8_t* src, size_t w, uint8_t* dst)
{
    for (size_t x = 0; x < w; ++x, dst += 4)
        PutPixel(dst, TRGBQuad{src[3 * x], src[3 * x + 1], src[3 * x + 2], 255});
}

// The mask's set bits are transparent.
void ApplyMask(const uint8_t* mask, size_t w, uint8_t* dst)
{
    for (size_t x = 0; x < w; ++x)
        dst[4 * x + 3] = ((mask[x / 8] >> (7 - x % 8)) & 1) ? 0 : 255;
}

bool HasOwnAlpha(const uint8_t* colors, size_t colorStride, size_t w, size_t h)
{
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x)
            if (colors[y * colorStride + 4 * x + 3] != 0)
                return true;
    return false;
}

// A bitmap-format image: colour rows and a 1-bit mask, both bottom-up,
// into 32-bit BGRA. The mask gives the alpha unless 32-bit pixels carry
// their own.
void DecodeDib(TBitmap& bitmap, const Entry& entry)
{
    const uint8_t* p = entry.data;
    const size_t headerSize = Le32(p);
    const int bits = entry.bits;
    const size_t w = entry.width, h = entry.height;
    if (headerSize > entry.size)
        ReadFailed();
    size_t offset = headerSize;
    const std::vector<TRGBQuad> palette = bits <= 8 ? ReadIconPalette(entry, offset) : std::vector<TRGBQuad>{};

    const char* tooLarge = "The picture is too large to be shown";
    const size_t colorStride = (CheckedMul(w, static_cast<size_t>(bits), tooLarge) + 31) / 32 * 4;
    const size_t maskStride = (w + 31) / 32 * 4;
    const size_t colorBytes = CheckedMul(colorStride, h, tooLarge);
    const size_t maskBytes = CheckedMul(maskStride, h, tooLarge);
    if (colorBytes > entry.size - offset)
        ReadFailed();
    const uint8_t* colors = p + offset;
    offset += colorBytes;
    const uint8_t* mask = maskBytes <= entry.size - offset ? p + offset : nullptr;
    const bool ownAlpha = bits == 32 && HasOwnAlpha(colors, colorStride, w, h);
    if (!mask && !ownAlpha)
        ReadFailed();

    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    bitmap.SetSize(static_cast<int>(w), static_cast<int>(h));
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* src = colors + y * colorStride;
        uint8_t* dst = bitmap.ScanLine(static_cast<int>(h - 1 - y));
        switch (bits) {
        case 16: FiveBitRow(src, w, dst); break;
        case 24: BgrRow(src, w, dst); break;
        case 32: std::memcpy(dst, src, 4 * w); break;
        default: IndexedRow(src, bits, palette, w, dst); break;
        }
        if (!ownAlpha)
            ApplyMask(mask + y * maskStride, w, dst);
    }
    bitmap.SetHasAlpha(true);
}

} // namespace

const TGraphicClass& TIcon::ClassInfo()
{
    return PictureClassInfo<TIcon>("TIcon");
}

void TIcon::LoadFromStream(TStream& stream)
{
    FreeImage();
    const TStreamBytes bytes(stream, stream.Position());
    const uint8_t* file = bytes.Data();
    const size_t size = bytes.Size();
    stream.Seek(0, TSeekOrigin::soEnd);

    if (size < 6)
        ReadFailed();
    const uint16_t type = Le16(file + 2);
    const uint16_t count = Le16(file + 4);
    if (Le16(file) != 0 || (type != 1 && type != 2))
        Invalid("header");
    if (count == 0)
        Invalid("no images");
    if (6 + size_t{count} * 16 > size)
        ReadFailed();

    // The directory's own sizes are bytes (0 meaning 256) and often wrong,
    // so the images' headers decide which one is largest and deepest.
    const TGraphicClass* pngClass = TPictureLoader::Instance().FindClass("png");
    Entry best, bestBitmap;
    bool haveBest = false, haveBitmap = false;
    for (size_t i = 0; i < count; ++i) {
        Entry entry;
        if (!Describe(file, size, Le32(file + 6 + 16 * i + 12), entry))
            continue;
        if (!haveBest || Better(entry, best)) {
            best = entry;
            haveBest = true;
        }
        if (!entry.png && (!haveBitmap || Better(entry, bestBitmap))) {
            bestBitmap = entry;
            haveBitmap = true;
        }
    }
    if (!haveBest)
        Invalid("no readable image");

    if (best.png && pngClass) {
        std::unique_ptr<TBitmap> png = pngClass->Create();
        TMemoryStream pngStream(best.data, best.size);
        png->LoadFromStream(pngStream);
        TBitmap::Assign(*png);
        return;
    }
    if (!haveBitmap)
        throw EInvalidGraphic("This icon holds only PNG images, and no PNG reader is registered.");
    DecodeDib(*this, bestBitmap);
}

} // namespace orvane::imaging
