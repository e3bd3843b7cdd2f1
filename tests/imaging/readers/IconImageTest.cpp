#include "imaging/core/PictureLoader.h"
#include "imaging/LittleEndianBytes.h"
#include "imaging/readers/IconImage.h"
#include "imaging/readers/ReaderTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orvane::imaging;
using namespace orvane::test::readers;
using orvane::test::Put16;
using orvane::test::Put32;

namespace {

// An icon picture: w x h colours (BGRA, top row first) and which pixels are
// transparent in the mask.
struct IconPicture {
    int w = 0, h = 0;
    std::vector<TRGBQuad> pixels;
    std::vector<bool> transparent;
    TRGBQuad& At(int x, int y) { return pixels[size_t(y * w + x)]; }
};

IconPicture MakePicture(int w, int h, int seed)
{
    IconPicture p;
    p.w = w;
    p.h = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            p.pixels.push_back({uint8_t(x * 7 + seed), uint8_t(y * 5 + seed), uint8_t(x * y + seed), 255});
            p.transparent.push_back((x + y * 3) % 5 == 0);
        }
    return p;
}

// The image data of one icon entry in bitmap format. Indexed depths use
// a palette of the picture's first colours (pixel i gets index i % colours).
std::vector<uint8_t> EncodeDib(const IconPicture& p, int bits, bool writeMask = true, bool zeroAlpha = false)
{
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, uint32_t(p.w));
    Put32(out, uint32_t(p.h * 2));
    Put16(out, 1);
    Put16(out, uint16_t(bits));
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    const size_t colors = bits <= 8 ? size_t{1} << bits : 0;
    for (size_t i = 0; i < colors; ++i) {
        const TRGBQuad& c = p.pixels[i % p.pixels.size()];
        out.insert(out.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed, 0});
    }
    const size_t stride = (size_t(p.w) * bits + 31) / 32 * 4;
    for (int y = p.h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < p.w; ++x) {
            const size_t i = size_t(y * p.w + x);
            const TRGBQuad& c = p.pixels[i];
            if (bits <= 8) {
                const size_t index = i % colors;
                row[size_t(x) * bits / 8] |= uint8_t(index << (8 - bits - (size_t(x) * bits) % 8));
            } else if (bits == 24) {
                std::memcpy(&row[size_t(x) * 3], &c, 3);
            } else {
                std::memcpy(&row[size_t(x) * 4], &c, 4);
                if (zeroAlpha)
                    row[size_t(x) * 4 + 3] = 0;
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    if (writeMask) {
        const size_t maskStride = (size_t(p.w) + 31) / 32 * 4;
        for (int y = p.h - 1; y >= 0; --y) {
            std::vector<uint8_t> row(maskStride, 0);
            for (int x = 0; x < p.w; ++x)
                if (p.transparent[size_t(y * p.w + x)])
                    row[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
            out.insert(out.end(), row.begin(), row.end());
        }
    }
    return out;
}

std::vector<uint8_t> FakePng(uint32_t w, uint32_t h)
{
    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (uint32_t v : {w, h})
        for (int s = 24; s >= 0; s -= 8)
            out.push_back(uint8_t(v >> s));
    out.insert(out.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
    return out;
}

// An .ico file of the given images (directory sizes deliberately zero:
// the images' own headers count).
std::vector<uint8_t> EncodeIco(const std::vector<std::vector<uint8_t>>& images, uint16_t type = 1)
{
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, type);
    Put16(out, uint16_t(images.size()));
    size_t offset = 6 + 16 * images.size();
    for (const auto& image : images) {
        out.insert(out.end(), {0, 0, 0, 0});
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, uint32_t(image.size()));
        Put32(out, uint32_t(offset));
        offset += image.size();
    }
    for (const auto& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

TRGBQuad Pixel(const TBitmap& bitmap, int x, int y)
{
    const uint8_t* p = bitmap.ScanLine(y) + 4 * x;
    return {p[0], p[1], p[2], p[3]};
}

// Expected colour with the mask's alpha applied.
TRGBQuad Masked(const IconPicture& p, int x, int y, TRGBQuad c)
{
    c.rgbReserved = p.transparent[size_t(y * p.w + x)] ? 0 : 255;
    return c;
}

TEST(WindowsIcon, PicksTheLargestDeepestImageAndAppliesItsAlpha)
{
    IconPicture small = MakePicture(16, 16, 1);
    IconPicture large = MakePicture(33, 20, 9);
    for (int y = 0; y < large.h; ++y)
        for (int x = 0; x < large.w; ++x)
            large.At(x, y).rgbReserved = uint8_t(x * 7 + y);
    const auto bytes =
        EncodeIco({EncodeDib(small, 32), EncodeDib(large, 8), EncodeDib(large, 32), EncodeDib(large, 24)});
    const auto icon = Load<TIcon>(bytes);
    ASSERT_EQ(icon->Width(), 33);
    ASSERT_EQ(icon->Height(), 20);
    EXPECT_EQ(icon->PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_TRUE(icon->HasAlpha());
    for (int y = 0; y < large.h; ++y)
        for (int x = 0; x < large.w; ++x)
            ASSERT_EQ(Pixel(*icon, x, y), large.At(x, y)) << x << "," << y;
}

TEST(WindowsIcon, MaskGivesTheAlphaOfEveryOtherDepth)
{
    for (int bits : {1, 4, 8, 24, 32}) {
        IconPicture p = MakePicture(35, 9, bits);
        const auto icon = Load<TIcon>(EncodeIco({EncodeDib(p, bits, true, true)}));
        ASSERT_EQ(icon->Width(), 35) << bits;
        const size_t colors = bits <= 8 ? size_t{1} << bits : 0;
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x) {
                const size_t i = size_t(y * p.w + x);
                const TRGBQuad colour = colors ? p.pixels[(i % colors) % p.pixels.size()] : p.pixels[i];
                ASSERT_EQ(Pixel(*icon, x, y), Masked(p, x, y, colour)) << bits << " at " << x << "," << y;
            }
    }
}

TEST(WindowsIcon, ThirtyTwoBitImageWithAlphaNeedsNoMask)
{
    IconPicture p = MakePicture(4, 4, 3);
    p.At(1, 1).rgbReserved = 17;
    const auto icon = Load<TIcon>(EncodeIco({EncodeDib(p, 32, false)}));
    EXPECT_EQ(Pixel(*icon, 1, 1), p.At(1, 1));
    // Without alpha of its own the mask is needed.
    EXPECT_EQ(LoadError<TIcon>(EncodeIco({EncodeDib(p, 24, false)})), "Stream read error");
}

// Stands in for the PNG reader: a 2 x 1 picture of known colours.
class FakePngGraphic : public TBitmap {
public:
    void LoadFromStream(TStream& stream) override
    {
        uint8_t signature[8];
        stream.ReadBuffer(signature, 8);
        SetPixelFormat(TPixelFormat::pf32bit);
        SetSize(2, 1);
        std::memcpy(ScanLine(0), "\x01\x02\x03\x04\x05\x06\x07\x08", 8);
        SetHasAlpha(true);
    }
};

TEST(WindowsIcon, PngImagesGoThroughTheRegisteredPngReader)
{
    const auto bytes = EncodeIco({EncodeDib(MakePicture(16, 16, 1), 8), FakePng(64, 64)});
    EXPECT_EQ(Load<TIcon>(bytes)->Width(), 16) << "without a PNG reader the bitmap image is taken";
    EXPECT_EQ(LoadError<TIcon>(EncodeIco({FakePng(64, 64)})),
              "This icon holds only PNG images, and no PNG reader is registered.");

    static const TGraphicClass fakePng{"TFakePng", [] { return std::unique_ptr<TBitmap>(new FakePngGraphic); }};
    TPictureLoader::Instance().RegisterFileFormat("png", "test", fakePng);
    const auto icon = Load<TIcon>(bytes);
    TPictureLoader::Instance().UnregisterGraphicClass(fakePng);
    ASSERT_EQ(icon->Width(), 2);
    EXPECT_EQ(Pixel(*icon, 1, 0), (TRGBQuad{5, 6, 7, 8}));
}

TEST(WindowsIcon, DamagedFilesGiveClearErrors)
{
    const auto good = EncodeIco({EncodeDib(MakePicture(8, 8, 1), 8)});
    for (size_t cut : {size_t{0}, size_t{5}, size_t{12}, good.size() - 10})
        EXPECT_EQ(LoadError<TIcon>(std::vector<uint8_t>(good.begin(), good.begin() + long(cut))), "Stream read error") << cut;
    auto bad = good;
    bad[2] = 3;
    EXPECT_EQ(LoadError<TIcon>(bad), "Invalid Windows icon (header).");
    bad = good;
    bad[4] = 0;
    EXPECT_EQ(LoadError<TIcon>(bad), "Invalid Windows icon (no images).");
    bad = good;
    bad[6 + 12] = 0xF0; // image offset past the end
    bad[6 + 13] = 0xFF;
    EXPECT_EQ(LoadError<TIcon>(bad), "Invalid Windows icon (no readable image).");
    // A cursor file has the same layout.
    auto cursor = good;
    cursor[2] = 2;
    EXPECT_EQ(Load<TIcon>(cursor)->Width(), 8);
}

} // namespace
