#include "imaging/LittleEndianBytes.h"
#include "imaging/readers/ReaderTestSupport.h"
#include "imaging/readers/WindowsBitmap.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orvane::imaging;
using namespace orvane::test::readers;
using orvane::test::Put16;
using orvane::test::Put32;

namespace {

// A Windows bitmap writer for the tests: any header size, depth,
// compression, masks and palette; pixel data as given.
struct BmpFile {
    int32_t width = 0;
    int32_t height = 0; // negative: top-down
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t headerSize = 40;
    bool fileHeader = true;
    uint32_t colorsUsed = 0;
    std::vector<TRGBQuad> palette;
    std::vector<uint32_t> masks; // written after a 40-byte header, or inside a larger one
    std::vector<uint8_t> pixels;

    std::vector<uint8_t> Bytes() const
    {
        std::vector<uint8_t> h;
        Put32(h, headerSize);
        if (headerSize == 12) {
            Put16(h, uint16_t(width));
            Put16(h, uint16_t(height));
            Put16(h, 1);
            Put16(h, bits);
        } else {
            Put32(h, uint32_t(width));
            Put32(h, uint32_t(height));
            Put16(h, 1);
            Put16(h, bits);
            Put32(h, compression);
            Put32(h, uint32_t(pixels.size()));
            Put32(h, 2835);
            Put32(h, 2835);
            Put32(h, colorsUsed);
            Put32(h, 0);
            for (size_t i = 0; headerSize > 40 && i < 4; ++i)
                Put32(h, i < masks.size() ? masks[i] : 0);
            h.resize(headerSize, 0);
            if (headerSize == 40)
                for (uint32_t m : masks)
                    Put32(h, m);
        }
        for (const TRGBQuad& q : palette) {
            h.push_back(q.rgbBlue);
            h.push_back(q.rgbGreen);
            h.push_back(q.rgbRed);
            if (headerSize != 12)
                h.push_back(0);
        }
        std::vector<uint8_t> out;
        if (fileHeader) {
            out = {'B', 'M'};
            Put32(out, uint32_t(14 + h.size() + pixels.size()));
            Put32(out, 0);
            Put32(out, uint32_t(14 + h.size()));
        }
        out.insert(out.end(), h.begin(), h.end());
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

// Rows of values (one per pixel) packed at `bits`, each row padded to 4 bytes.
std::vector<uint8_t> PackRows(const std::vector<std::vector<uint32_t>>& rows, int bits)
{
    std::vector<uint8_t> out;
    for (const auto& row : rows) {
        std::vector<uint8_t> line((row.size() * bits + 31) / 32 * 4, 0);
        for (size_t x = 0; x < row.size(); ++x) {
            if (bits < 8) {
                const size_t bit = x * bits;
                line[bit / 8] |= uint8_t(row[x] << (8 - bits - bit % 8));
            } else {
                for (int b = 0; b < bits / 8; ++b)
                    line[x * (bits / 8) + b] = uint8_t(row[x] >> (8 * b));
            }
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

// The colour a user sees at (x, y), whatever the bitmap's format.
TRGBQuad PixelAt(const TBitmap& bitmap, int x, int y)
{
    const uint8_t* row = bitmap.ScanLine(y);
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf1bit: return bitmap.Palette().at((row[x / 8] >> (7 - x % 8)) & 1);
    case TPixelFormat::pf4bit: return bitmap.Palette().at((row[x / 2] >> (x % 2 ? 0 : 4)) & 15);
    case TPixelFormat::pf8bit: return bitmap.Palette().at(row[x]);
    case TPixelFormat::pf15bit: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        return {uint8_t((v & 31) * 255 / 31), uint8_t(((v >> 5) & 31) * 255 / 31), uint8_t(((v >> 10) & 31) * 255 / 31),
                0};
    }
    case TPixelFormat::pf24bit: return {row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
    case TPixelFormat::pf32bit:
        return {row[4 * x], row[4 * x + 1], row[4 * x + 2], uint8_t(bitmap.HasAlpha() ? row[4 * x + 3] : 0)};
    default: ADD_FAILURE() << "unexpected format"; return {};
    }
}

std::vector<TRGBQuad> TestPalette(size_t count)
{
    std::vector<TRGBQuad> palette;
    for (size_t i = 0; i < count; ++i)
        palette.push_back({uint8_t(i * 37 + 1), uint8_t(i * 11 + 2), uint8_t(255 - i * 5), 0});
    return palette;
}

// Index pattern of a w x h picture (top row first) with values below `colors`.
std::vector<std::vector<uint32_t>> Pattern(int w, int h, uint32_t colors)
{
    std::vector<std::vector<uint32_t>> rows(h, std::vector<uint32_t>(w));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            rows[y][x] = uint32_t(x * 3 + y * 5 + x * y) % colors;
    return rows;
}

std::vector<std::vector<uint32_t>> Flip(std::vector<std::vector<uint32_t>> rows)
{
    std::reverse(rows.begin(), rows.end());
    return rows;
}

TEST(WindowsBitmap, IndexedDepthsWithEveryHeaderAndRowOrderDecodeWhole)
{
    struct Case {
        uint16_t bits;
        uint32_t headerSize;
        bool topDown;
        bool fileHeader;
        TPixelFormat format;
    };
    const Case cases[] = {
        {1, 40, false, true, TPixelFormat::pf1bit},   {1, 12, false, true, TPixelFormat::pf1bit},
        {4, 40, true, true, TPixelFormat::pf4bit},    {4, 108, false, true, TPixelFormat::pf4bit},
        {8, 124, false, true, TPixelFormat::pf8bit},  {8, 40, true, false, TPixelFormat::pf8bit},
        {8, 12, false, false, TPixelFormat::pf8bit},  {8, 64, false, true, TPixelFormat::pf8bit},
    };
    for (const Case& c : cases) {
        const int w = 13, h = 7;
        const uint32_t colors = 1u << c.bits;
        const auto rows = Pattern(w, h, colors);
        BmpFile file;
        file.width = w;
        file.height = c.topDown ? -h : h;
        file.bits = c.bits;
        file.headerSize = c.headerSize;
        file.fileHeader = c.fileHeader;
        file.palette = TestPalette(colors);
        file.pixels = PackRows(c.topDown ? rows : Flip(rows), c.bits);
        const auto holder = Load<TWindowsBitmap>(file.Bytes());
    const TBitmap& bitmap = *holder;
        const std::string name = "bits " + std::to_string(c.bits) + " header " + std::to_string(c.headerSize);
        ASSERT_EQ(bitmap.Width(), w) << name;
        ASSERT_EQ(bitmap.Height(), h) << name;
        EXPECT_EQ(bitmap.PixelFormat(), c.format) << name;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(PixelAt(bitmap, x, y), file.palette[rows[y][x]]) << name << " at " << x << "," << y;
    }
}

TEST(WindowsBitmap, ShortPaletteIsFilledWithBlackSoEveryIndexHasAColour)
{
    BmpFile file;
    file.width = 4;
    file.height = 1;
    file.bits = 8;
    file.colorsUsed = 2;
    file.palette = TestPalette(2);
    file.pixels = PackRows({{0, 1, 200, 255}}, 8);
    const auto holder = Load<TWindowsBitmap>(file.Bytes());
    const TBitmap& bitmap = *holder;
    ASSERT_EQ(bitmap.Palette().size(), 256u);
    EXPECT_EQ(PixelAt(bitmap, 1, 0), file.palette[1]);
    EXPECT_EQ(PixelAt(bitmap, 2, 0), (TRGBQuad{0, 0, 0, 0}));
}

TEST(WindowsBitmap, TwentyFourBitFileFromTheSharedWriter)
{
    const auto image = orvane::test::RgbImage::Gradient(31, 9);
    const auto holder = Load<TWindowsBitmap>(orvane::test::EncodeBmp24(image));
    const TBitmap& bitmap = *holder;
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 31; ++x) {
            const uint8_t* p = &image.rgb[(y * 31 + x) * 3];
            ASSERT_EQ(PixelAt(bitmap, x, y), (TRGBQuad{p[2], p[1], p[0], 0}));
        }
}

TEST(WindowsBitmap, SixteenBitPixels)
{
    // 555 without masks stays 15-bit (the top bit is dropped).
    BmpFile file;
    file.width = 3;
    file.height = 1;
    file.bits = 16;
    file.pixels = PackRows({{0x7C00, 0x83E0, 0x001F}}, 16);
    auto bitmap = Load<TWindowsBitmap>(file.Bytes());
    ASSERT_EQ(bitmap->PixelFormat(), TPixelFormat::pf15bit);
    EXPECT_EQ(bitmap->ScanLine(0)[0] | (bitmap->ScanLine(0)[1] << 8), 0x7C00);
    EXPECT_EQ(bitmap->ScanLine(0)[2] | (bitmap->ScanLine(0)[3] << 8), 0x03E0);

    // 565 bit fields become 24-bit, each channel scaled to 0..255.
    file.compression = 3;
    file.masks = {0xF800, 0x07E0, 0x001F};
    file.pixels = PackRows({{0xF800, 0x07E0, (10u << 11) | (33u << 5) | 7u}}, 16);
    bitmap = Load<TWindowsBitmap>(file.Bytes());
    ASSERT_EQ(bitmap->PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(PixelAt(*bitmap, 0, 0), (TRGBQuad{0, 0, 255, 0}));
    EXPECT_EQ(PixelAt(*bitmap, 1, 0), (TRGBQuad{0, 255, 0, 0}));
    // 10 * 255 / 31 = 82.3, 33 * 255 / 63 = 133.6, 7 * 255 / 31 = 57.6
    EXPECT_EQ(PixelAt(*bitmap, 2, 0), (TRGBQuad{58, 134, 82, 0}));

    // Masks inside a V4 header, with alpha: 32-bit with alpha.
    file.headerSize = 108;
    file.masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
    file.pixels = PackRows({{0x8F00, 0xF0F0, 0x0001}}, 16);
    bitmap = Load<TWindowsBitmap>(file.Bytes());
    ASSERT_EQ(bitmap->PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_TRUE(bitmap->HasAlpha());
    EXPECT_EQ(PixelAt(*bitmap, 0, 0), (TRGBQuad{0, 0, 255, 136}));
    EXPECT_EQ(PixelAt(*bitmap, 1, 0), (TRGBQuad{0, 255, 0, 255}));
    EXPECT_EQ(PixelAt(*bitmap, 2, 0), (TRGBQuad{17, 0, 0, 0}));
}

TEST(WindowsBitmap, ThirtyTwoBitPixels)
{
    BmpFile file;
    file.width = 2;
    file.height = 2;
    file.bits = 32;
    file.pixels = PackRows({{0x00112233, 0x80445566}, {0x01020304, 0xFFFFFFFF}}, 32);
    // Plain 32-bit: the fourth byte is padding, shown opaque.
    auto bitmap = Load<TWindowsBitmap>(file.Bytes());
    ASSERT_EQ(bitmap->PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_FALSE(bitmap->HasAlpha());
    EXPECT_EQ(PixelAt(*bitmap, 0, 1), (TRGBQuad{0x33, 0x22, 0x11, 0}));
    EXPECT_EQ(bitmap->ScanLine(1)[7], 0xFF);

    // V5 header with an alpha mask: kept as alpha.
    file.headerSize = 124;
    file.compression = 3;
    file.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    bitmap = Load<TWindowsBitmap>(file.Bytes());
    EXPECT_TRUE(bitmap->HasAlpha());
    EXPECT_EQ(PixelAt(*bitmap, 1, 1), (TRGBQuad{0x66, 0x55, 0x44, 0x80}));

    // Ten bits per channel, red in the low bits.
    file.headerSize = 40;
    file.masks = {0x3FF, 0xFFC00, 0x3FF00000};
    file.pixels = PackRows({{1023u | (512u << 10) | (1u << 20), 0}}, 32);
    file.height = 1;
    bitmap = Load<TWindowsBitmap>(file.Bytes());
    ASSERT_EQ(bitmap->PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(PixelAt(*bitmap, 0, 0), (TRGBQuad{0, 128, 255, 0}));
}

// Indexes of an RLE picture as the rows read top to bottom.
std::vector<std::vector<int>> Indexes(const TBitmap& bitmap)
{
    std::vector<std::vector<int>> rows(bitmap.Height(), std::vector<int>(bitmap.Width()));
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const uint8_t* row = bitmap.ScanLine(y);
            rows[y][x] = bitmap.PixelFormat() == TPixelFormat::pf8bit ? row[x] : (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
        }
    return rows;
}

TEST(WindowsBitmap, RunLengthEightBit)
{
    BmpFile file;
    file.width = 6;
    file.height = 4;
    file.bits = 8;
    file.compression = 1;
    file.palette = TestPalette(256);
    file.pixels = {
        3, 7, 0, 3, 1, 2, 3, 0, 0, 0, // bottom row: run of 7, literal 1 2 3 (padded)
        9, 5, 0, 0,                   // run longer than the row: cut at its end
        0, 2, 2, 1,                   // move 2 right, 1 up: to x 2 of the top row
        2, 4, 0, 1,                   // run of 4 there, end of picture
        0xEE, 0xEE,                   // never read
    };
    const auto holder = Load<TWindowsBitmap>(file.Bytes());
    const TBitmap& bitmap = *holder;
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf8bit);
    const std::vector<std::vector<int>> expected{
        {0, 0, 4, 4, 0, 0},
        {0, 0, 0, 0, 0, 0},
        {5, 5, 5, 5, 5, 5},
        {7, 7, 7, 1, 2, 3},
    };
    EXPECT_EQ(Indexes(bitmap), expected);
    EXPECT_EQ(PixelAt(bitmap, 2, 0), file.palette[4]);
}

TEST(WindowsBitmap, RunLengthFourBit)
{
    BmpFile file;
    file.width = 7;
    file.height = 2;
    file.bits = 4;
    file.compression = 2;
    file.palette = TestPalette(16);
    file.pixels = {
        5, 0x12,          // 1 2 1 2 1
        0, 3, 0xAB, 0xC0, // literal A B C (two bytes, already even)
        0, 0,             // end of row
        0, 5, 0x34, 0x56, 0x70, 0x00, // literal 3 4 5 6 7, padded to 4 bytes
        4, 0x89,          // run cut after the 7th pixel
        0, 1,
    };
    const auto holder = Load<TWindowsBitmap>(file.Bytes());
    const TBitmap& bitmap = *holder;
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf4bit);
    const std::vector<std::vector<int>> expected{
        {3, 4, 5, 6, 7, 8, 9},
        {1, 2, 1, 2, 1, 10, 11},
    };
    EXPECT_EQ(Indexes(bitmap), expected);
}

TEST(WindowsBitmap, RunLengthDataThatEndsEarlyOrMovesOutsideThePicture)
{
    BmpFile file;
    file.width = 4;
    file.height = 3;
    file.bits = 8;
    file.compression = 1;
    file.palette = TestPalette(4);
    file.pixels = {4, 1, 0, 0, 4, 2};
    EXPECT_EQ(LoadError<TWindowsBitmap>(file.Bytes()), "Stream read error");

    // A move far past the last row simply ends the picture.
    file.pixels = {4, 1, 0, 2, 250, 250, 4, 3};
    const auto holder = Load<TWindowsBitmap>(file.Bytes());
    const TBitmap& bitmap = *holder;
    EXPECT_EQ(Indexes(bitmap)[2], (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(Indexes(bitmap)[0], (std::vector<int>{0, 0, 0, 0}));
}

TEST(WindowsBitmap, DamagedFilesGiveClearErrors)
{
    BmpFile good;
    good.width = 4;
    good.height = 4;
    good.bits = 24;
    good.pixels = PackRows(Pattern(4, 4, 1u << 24), 24);
    const auto bytes = good.Bytes();
    for (size_t cut : {size_t{0}, size_t{1}, size_t{10}, size_t{20}, size_t{54}, bytes.size() - 1})
        EXPECT_EQ(LoadError<TWindowsBitmap>(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut))), "Stream read error")
            << cut;

    BmpFile bad = good;
    bad.bits = 7;
    EXPECT_EQ(LoadError<TWindowsBitmap>(bad.Bytes()), "Invalid Windows bitmap (bit depth).");
    bad = good;
    bad.width = 0;
    EXPECT_EQ(LoadError<TWindowsBitmap>(bad.Bytes()), "Invalid Windows bitmap (size).");
    bad = good;
    bad.height = INT32_MIN;
    EXPECT_EQ(LoadError<TWindowsBitmap>(bad.Bytes()), "Invalid Windows bitmap (size).");
    bad = good;
    bad.compression = 1; // RLE8 needs 8 bits
    EXPECT_EQ(LoadError<TWindowsBitmap>(bad.Bytes()), "Invalid Windows bitmap (bit depth).");
    bad = good;
    bad.compression = 4;
    EXPECT_EQ(LoadError<TWindowsBitmap>(bad.Bytes()), "Invalid Windows bitmap (embedded JPEG or PNG data).");
    bad = good;
    bad.headerSize = 13;
    EXPECT_EQ(LoadError<TWindowsBitmap>(bad.Bytes()), "Invalid Windows bitmap (header).");
    // A huge picture with little data is refused before anything is allocated.
    bad = good;
    bad.width = 100000;
    bad.height = 100000;
    EXPECT_EQ(LoadError<TWindowsBitmap>(bad.Bytes()), "Stream read error");
    bad.bits = 8;
    bad.compression = 1;
    bad.palette = TestPalette(256);
    bad.pixels = {0, 1};
    const size_t limit = TBitmap::MaxImageBytes();
    TBitmap::SetMaxImageBytes(1 << 20);
    EXPECT_EQ(LoadError<TWindowsBitmap>(bad.Bytes()), "The picture is too large to be shown (100000 x 100000 pixels)");
    TBitmap::SetMaxImageBytes(limit);
}

} // namespace
