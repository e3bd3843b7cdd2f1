#include "imaging/core/Orientation.h"

#include <cstring>

namespace orvane::imaging {

namespace {

constexpr uint16_t kOrientationTag = 274;
constexpr uint16_t kShortType = 3;

class TiffBytes {
public:
    TiffBytes(const uint8_t* data, size_t size, bool bigEndian) : data_(data), size_(size), bigEndian_(bigEndian) {}

    bool Has(size_t offset, size_t count) const { return offset <= size_ && count <= size_ - offset; }
    uint16_t U16(size_t at) const
    {
        return bigEndian_ ? uint16_t(data_[at] << 8 | data_[at + 1]) : uint16_t(data_[at + 1] << 8 | data_[at]);
    }
    uint32_t U32(size_t at) const
    {
        return bigEndian_ ? uint32_t(U16(at)) << 16 | U16(at + 2) : uint32_t(U16(at + 2)) << 16 | U16(at);
    }

private:
    const uint8_t* data_;
    size_t size_;
    bool bigEndian_;
};

// Where pixel (x, y) of the upright picture is in the stored one.
void StoredPosition(int orientation, int x, int y, int width, int height, int& sx, int& sy)
{
    // width and height are the stored picture's.
    switch (orientation) {
    case 2: sx = width - 1 - x; sy = y; break;
    case 3: sx = width - 1 - x; sy = height - 1 - y; break;
    case 4: sx = x; sy = height - 1 - y; break;
    case 5: sx = y; sy = x; break;
    case 6: sx = y; sy = height - 1 - x; break;
    case 7: sx = width - 1 - y; sy = height - 1 - x; break;
    case 8: sx = width - 1 - y; sy = x; break;
    default: sx = x; sy = y; break;
    }
}

} // namespace

int ExifOrientation(const uint8_t* block, size_t size)
{
    if (!block || size < 8)
        return 1;
    bool bigEndian;
    if (block[0] == 'I' && block[1] == 'I')
        bigEndian = false;
    else if (block[0] == 'M' && block[1] == 'M')
        bigEndian = true;
    else
        return 1;
    const TiffBytes bytes(block, size, bigEndian);
    if (bytes.U16(2) != 42)
        return 1;
    const uint32_t directory = bytes.U32(4);
    if (!bytes.Has(directory, 2))
        return 1;
    const uint16_t count = bytes.U16(directory);
    if (!bytes.Has(directory + 2, size_t(count) * 12))
        return 1;
    // Only the first directory is read: no offset is followed, so no loop.
    for (uint16_t i = 0; i < count; ++i) {
        const size_t entry = directory + 2 + size_t(i) * 12;
        if (bytes.U16(entry) != kOrientationTag)
            continue;
        if (bytes.U16(entry + 2) != kShortType || bytes.U32(entry + 4) != 1)
            return 1;
        const uint16_t value = bytes.U16(entry + 8);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

int ExifOrientationOfApp1(const uint8_t* data, size_t size)
{
    static const uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!data || size < sizeof kExif || std::memcmp(data, kExif, sizeof kExif) != 0)
        return 1;
    return ExifOrientation(data + sizeof kExif, size - sizeof kExif);
}

std::unique_ptr<TBitmap> Upright(const TBitmap& picture)
{
    const int bits = BitsPerPixel(picture.PixelFormat());
    if (bits != 8 && bits != 24 && bits != 32)
        throw EInvalidGraphic("Only 8, 24 and 32-bit pictures can be turned upright");
    const int orientation = picture.Orientation();
    const int width = picture.Width(), height = picture.Height();
    const int outWidth = SwapsSides(orientation) ? height : width;
    const int outHeight = SwapsSides(orientation) ? width : height;
    auto upright = std::make_unique<TBitmap>();
    upright->SetPixelFormat(picture.PixelFormat());
    upright->SetSize(outWidth, outHeight);
    upright->SetPalette(picture.Palette());
    upright->SetHasAlpha(picture.HasAlpha());
    const size_t pixelBytes = size_t(bits / 8);
    for (int y = 0; y < outHeight; ++y) {
        uint8_t* row = upright->ScanLine(y);
        for (int x = 0; x < outWidth; ++x) {
            int sx, sy;
            StoredPosition(orientation, x, y, width, height, sx, sy);
            std::memcpy(row + size_t(x) * pixelBytes, picture.ScanLine(sy) + size_t(sx) * pixelBytes, pixelBytes);
        }
    }
    return upright;
}

} // namespace orvane::imaging
