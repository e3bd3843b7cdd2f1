#include "TIFFTestSupport.h"

#include <png.h>

using namespace orvane::imaging;
using namespace orvane::test;

namespace {

const std::string Dir = std::string(ORVANE_TEST_FILES_DIR) + "/tiff/";

// The expected picture beside a case, as RGBA.
RgbaPixels ReadExpected(const std::string& name, int& width, int& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, (Dir + name + ".png").c_str()))
        return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr))
        return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    RgbaPixels pixels(bytes.size() / 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = Pack(bytes[i * 4], bytes[i * 4 + 1], bytes[i * 4 + 2], bytes[i * 4 + 3]);
    return pixels;
}

struct GoldenCase {
    const char* name;
    TPixelFormat format;
};

// Made by tests/files/tiff/generate.cpp.
const GoldenCase Cases[] = {
    {"rgb8-le-strips", TPixelFormat::pf24bit},
    {"rgb8-be-strips", TPixelFormat::pf24bit},
    {"rgb8-deflate-predictor", TPixelFormat::pf24bit},
    {"rgb8-be-packbits", TPixelFormat::pf24bit},
    {"rgba8-packbits", TPixelFormat::pf32bit},
    {"rgb16-be", TPixelFormat::pf24bit},
    {"rgb16-le-deflate-predictor", TPixelFormat::pf24bit},
    {"rgb16-be-deflate-predictor", TPixelFormat::pf24bit},
    {"rgb8-planar-be", TPixelFormat::pf24bit},
    {"rgb8-planar-deflate", TPixelFormat::pf24bit},
    {"gray1-minisblack", TPixelFormat::pf1bit},
    {"gray2-minisblack", TPixelFormat::pf4bit},
    {"gray4-miniswhite", TPixelFormat::pf4bit},
    {"gray8-miniswhite-packbits", TPixelFormat::pf8bit},
    {"gray16-be", TPixelFormat::pf8bit},
    {"gray8-alpha", TPixelFormat::pf8bit},
    {"palette2", TPixelFormat::pf4bit},
    {"palette4-be", TPixelFormat::pf4bit},
    {"palette8-deflate", TPixelFormat::pf8bit},
    {"cmyk8", TPixelFormat::pf24bit},
    {"ycbcr-subsampled", TPixelFormat::pf24bit},
    {"fax-g3", TPixelFormat::pf1bit},
    {"fax-g3-fillorder2", TPixelFormat::pf1bit},
    {"fax-mh", TPixelFormat::pf1bit},
    {"fax-mh-word-aligned", TPixelFormat::pf1bit},
    {"thunderscan", TPixelFormat::pf4bit},
    {"jpeg-rgb", TPixelFormat::pf24bit},
    {"jpeg-ycbcr", TPixelFormat::pf24bit},
    {"jpeg-gray", TPixelFormat::pf8bit},
};

} // namespace

TEST(TIFFGolden, EveryCaseDecodesToItsExpectedPicture)
{
    for (const GoldenCase& c : Cases) {
        SCOPED_TRACE(c.name);
        int width = 0, height = 0;
        const RgbaPixels expected = ReadExpected(c.name, width, height);
        ASSERT_FALSE(expected.empty());
        TFileStream stream(Dir + c.name + ".tif");
        TTIFFGraphic tiff;
        ASSERT_EQ(LoadError(tiff, stream), "");
        ASSERT_EQ(tiff.Width(), width);
        ASSERT_EQ(tiff.Height(), height);
        EXPECT_EQ(tiff.PixelFormat(), c.format);
        const RgbaPixels actual = BitmapToRgba(tiff);
        EXPECT_EQ(MaxChannelDifference(actual, expected, true), 0);
    }
}

TEST(TIFFGolden, TwoBitPaletteIndexesStayUnscaledInTheFourBitBitmap)
{
    TFileStream stream(Dir + "palette2.tif");
    TTIFFGraphic tiff;
    ASSERT_EQ(LoadError(tiff, stream), "");
    ASSERT_EQ(tiff.PixelFormat(), TPixelFormat::pf4bit);
    // Pixel x of row 0 has index x % 4: nibbles 0 1 2 3 0 1 ...
    const uint8_t* row = tiff.ScanLine(0);
    EXPECT_EQ(row[0], 0x01);
    EXPECT_EQ(row[1], 0x23);
    EXPECT_EQ(tiff.Palette().size(), 16u);
}

TEST(TIFFGolden, BigEndianAndLittleEndianTwinsGiveTheSameProperties)
{
    TTIFFGraphic little, big;
    TFileStream littleStream(Dir + "rgb8-le-strips.tif"), bigStream(Dir + "rgb8-be-strips.tif");
    ASSERT_TRUE(little.ReadHeader(littleStream, 0));
    ASSERT_TRUE(big.ReadHeader(bigStream, 0));
    const TImageProperties& a = little.ImageProperties();
    const TImageProperties& b = big.ImageProperties();
    EXPECT_EQ(a.Options, 0);
    EXPECT_EQ(b.Options, ioBigEndian);
    EXPECT_EQ(a.Width, b.Width);
    EXPECT_EQ(a.Height, b.Height);
    EXPECT_EQ(a.BitsPerSample, b.BitsPerSample);
    EXPECT_EQ(a.SamplesPerPixel, b.SamplesPerPixel);
    EXPECT_EQ(a.ColorScheme, b.ColorScheme);
    EXPECT_EQ(a.Compression, b.Compression);
    EXPECT_EQ(a.RowsPerStrip, b.RowsPerStrip);
    EXPECT_EQ(a.PlanarConfig, b.PlanarConfig);
    EXPECT_EQ(a.Version, 42u);
    EXPECT_EQ(b.Version, 42u);
}
