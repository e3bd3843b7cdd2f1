// Settings, gamma, chroma, palettes and pixel formats of the colour manager.
#include "imaging/color/ColorManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace orvane::imaging;

namespace {

template <class F>
std::string ColorErrorOf(F&& f)
{
    try {
        f();
    } catch (const EColorConversionError& e) {
        return e.what();
    }
    return "(no error)";
}

TRGBQuad Gray(uint8_t v)
{
    return TRGBQuad{v, v, v, 0};
}

TRGBQuad Rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return TRGBQuad{b, g, r, 0};
}

const char* const kDepth = "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
const char* const kSamples = "Sample count per pixel does not correspond to the given color scheme.";
const char* const kSubsampling = "Subsampling value is invalid. Allowed are 1, 2 and 4.";
const char* const kVertical = "Vertical subsampling value must be <= horizontal subsampling value.";
const char* const kMix = "Conversion between indexed and non-indexed pixel formats is not supported.";
const char* const kNoMethod = "Color conversion failed. Could not find a proper method.";

} // namespace

TEST(ColorManagerSettings, DepthAndSampleSettersRefuseOutOfRangeValues)
{
    TColorManager m;
    EXPECT_EQ(ColorErrorOf([&] { m.SetSourceBitsPerSample(0); }), kDepth);
    EXPECT_EQ(ColorErrorOf([&] { m.SetTargetBitsPerSample(17); }), kDepth);
    EXPECT_EQ(ColorErrorOf([&] { m.SetSourceSamplesPerPixel(0); }), kSamples);
    EXPECT_EQ(ColorErrorOf([&] { m.SetTargetSamplesPerPixel(5); }), kSamples);
    // Refused values leave the settings as they were.
    EXPECT_EQ(m.SourceBitsPerSample(), 8);
    EXPECT_EQ(m.TargetSamplesPerPixel(), 3);

    // 3 bits is accepted: only 0 and values above 16 are refused.
    m.SetTargetBitsPerSample(3);
    m.SetTargetSamplesPerPixel(1);
    EXPECT_EQ(m.TargetBitsPerSample(), 3);
    EXPECT_EQ(m.PixelFormatFor(true), TPixelFormat::pf4bit);
}

TEST(ColorManagerSettings, PixelFormatFollowsDepthAndSampleCount)
{
    struct Case {
        uint8_t bits, samples;
        TPixelFormat expected;
    };
    const Case cases[] = {
        {1, 1, TPixelFormat::pf1bit},   {2, 1, TPixelFormat::pf4bit},   {4, 1, TPixelFormat::pf4bit},
        {5, 1, TPixelFormat::pfCustom}, {8, 1, TPixelFormat::pf8bit},   {16, 1, TPixelFormat::pf8bit},
        {5, 3, TPixelFormat::pf15bit},  {1, 3, TPixelFormat::pf15bit},  {8, 3, TPixelFormat::pf24bit},
        {16, 3, TPixelFormat::pf24bit}, {8, 4, TPixelFormat::pf32bit},  {4, 4, TPixelFormat::pfCustom},
        {8, 2, TPixelFormat::pfCustom},
    };
    for (const Case& c : cases) {
        TColorManager m;
        m.SetSourceBitsPerSample(c.bits);
        m.SetSourceSamplesPerPixel(c.samples);
        EXPECT_EQ(m.PixelFormatFor(false), c.expected) << int(c.bits) << " bits, " << int(c.samples) << " samples";
        // The target settings stay at their defaults (8 bits, 3 samples).
        EXPECT_EQ(m.PixelFormatFor(true), TPixelFormat::pf24bit);
    }
}

TEST(ColorManagerSettings, ChromaSubsamplingIsChecked)
{
    TColorManager m;
    EXPECT_EQ(ColorErrorOf([&] { m.SetChroma({}, 3, 1); }), kSubsampling);
    EXPECT_EQ(ColorErrorOf([&] { m.SetChroma({}, 2, 0); }), kSubsampling);
    EXPECT_EQ(ColorErrorOf([&] { m.SetChroma({}, 2, 4); }), kVertical);
    m.SetChroma({}, 4, 2);
    EXPECT_EQ(m.HorizontalSubsampling(), 4);
    EXPECT_EQ(m.VerticalSubsampling(), 2);
}

TEST(ColorManagerSettings, SchemeMixesAreRefusedWhenTheFirstRowIsConverted)
{
    uint8_t source[4] = {};
    uint8_t target[12] = {};
    {
        TColorManager m;
        m.SetSourceColorScheme(TColorScheme::csG);
        m.SetTargetColorScheme(TColorScheme::csRGB);
        EXPECT_EQ(ColorErrorOf([&] { m.ConvertPixels(source, 0xFF, 1, target); }), kMix);
    }
    {
        TColorManager m;
        m.SetSourceColorScheme(TColorScheme::csRGB);
        m.SetTargetColorScheme(TColorScheme::csIndexed);
        EXPECT_EQ(ColorErrorOf([&] { m.ConvertPixels(source, 0xFF, 1, target); }), kMix);
    }
    {
        // CMY has no converter.
        TColorManager m;
        m.SetSourceColorScheme(TColorScheme::csCMY);
        EXPECT_EQ(ColorErrorOf([&] { m.ConvertPixels(source, 0xFF, 1, target); }), kNoMethod);
    }
    {
        // Gray with alpha of 4 bits has none either.
        TColorManager m;
        m.SetSourceColorScheme(TColorScheme::csGA);
        m.SetTargetColorScheme(TColorScheme::csG);
        m.SetSourceBitsPerSample(4);
        EXPECT_EQ(ColorErrorOf([&] { m.ConvertPixels(source, 0xFF, 1, target); }), kNoMethod);
    }
    for (const uint8_t bits : {1, 4, 12}) {
        // Colour converters move 8- and 16-bit samples only.
        TColorManager m;
        m.SetSourceBitsPerSample(bits);
        EXPECT_EQ(ColorErrorOf([&] { m.ConvertPixels(source, 0xFF, 1, target); }), kNoMethod) << int(bits);
    }
    {
        // Two planes cannot hold three samples.
        TColorManager m;
        const uint8_t* planes[2] = {source, source};
        EXPECT_EQ(ColorErrorOf([&] { m.ConvertPixels(planes, 2, 0xFF, 1, target); }), kNoMethod);
    }
    EXPECT_EQ(target[0], 0) << "nothing is converted before the error";
}

TEST(ColorManagerGamma, TableEndsAndMidpointFollowTheGammas)
{
    TColorManager m;
    const auto& table = m.GammaTable();
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[255], 255);
    // 255 * (128 / 255)^(1 / 2.2) = 186.4
    EXPECT_EQ(table[128], 186);

    // A file gamma of 1 / 2.2 cancels the display gamma.
    m.UpdateGamma(0.45455f, 2.2f);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(table[i], i) << i;

    m.UpdateGamma(0, -1);
    EXPECT_FLOAT_EQ(m.MainGamma(), 1.0f);
    EXPECT_FLOAT_EQ(m.DisplayGamma(), 2.2f);
    EXPECT_EQ(table[128], 186);

    // A deeper file gamma darkens: 255 * (128 / 255)^(1 / (2 * 2.2)) = 218.1
    m.UpdateGamma(2.0f, 2.2f);
    EXPECT_EQ(table[128], 218);
}

TEST(ColorManagerPalettes, GrayPalettesSpanBlackToWhite)
{
    TColorManager m;
    m.SetTargetSamplesPerPixel(1);
    m.SetTargetBitsPerSample(1);
    EXPECT_EQ(m.MakeGrayPalette(false), (std::vector<TRGBQuad>{Gray(0), Gray(255)}));
    EXPECT_EQ(m.MakeGrayPalette(true), (std::vector<TRGBQuad>{Gray(255), Gray(0)}));

    m.SetTargetBitsPerSample(2);
    EXPECT_EQ(m.MakeGrayPalette(false), (std::vector<TRGBQuad>{Gray(0), Gray(85), Gray(170), Gray(255)}));

    m.SetTargetBitsPerSample(4);
    auto palette = m.MakeGrayPalette(true);
    ASSERT_EQ(palette.size(), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(palette[i], Gray(static_cast<uint8_t>(255 - 17 * i))) << i;

    // 8 bits or more (and several samples) give 256 levels.
    m.SetTargetBitsPerSample(16);
    palette = m.MakeGrayPalette(false);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[77], Gray(77));

    // 3 bits: 8 entries that still end at white.
    m.SetTargetBitsPerSample(3);
    palette = m.MakeGrayPalette(false);
    ASSERT_EQ(palette.size(), 8u);
    EXPECT_EQ(palette[1], Gray(36));
    EXPECT_EQ(palette[7], Gray(255));
}

TEST(ColorManagerPalettes, GammaReachesPaletteEntriesAtEveryDepth)
{
    TColorManager m;
    m.SetTargetSamplesPerPixel(1);
    m.SetTargetBitsPerSample(4);
    m.SetTargetOptions(coApplyGamma);
    const auto& table = m.GammaTable();
    const auto palette = m.MakeGrayPalette(false);
    ASSERT_EQ(palette.size(), 16u);
    // Palette entries are 8-bit colours even for a 4-bit bitmap: white stays white.
    EXPECT_EQ(palette[15], Gray(255));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(palette[i], Gray(table[17 * i])) << i;
    EXPECT_EQ(palette[1], Gray(74)); // 255 * (17 / 255)^(1 / 2.2) = 74.46
}

TEST(ColorManagerPalettes, ColorPalettesFromEachLayout)
{
    TColorManager m;
    const std::vector<TRGBQuad> expected = {Rgb(10, 20, 30), Rgb(255, 0, 128), Rgb(1, 2, 3)};

    const uint8_t triples[] = {10, 20, 30, 255, 0, 128, 1, 2, 3};
    EXPECT_EQ(m.MakeColorPalette({triples}, TRawPaletteFormat::pfInterlaced8Triple, 3), expected);

    const uint8_t quads[] = {30, 20, 10, 99, 128, 0, 255, 99, 3, 2, 1, 99};
    EXPECT_EQ(m.MakeColorPalette({quads}, TRawPaletteFormat::pfInterlaced8Quad, 3), expected);

    const uint8_t planes[] = {10, 255, 1, 20, 0, 2, 30, 128, 3};
    EXPECT_EQ(m.MakeColorPalette({planes}, TRawPaletteFormat::pfPlane8Triple, 3), expected);
    EXPECT_EQ(m.MakeColorPalette({planes, planes + 3, planes + 6}, TRawPaletteFormat::pfPlane8Triple, 3), expected);

    // 16-bit planes reduce to 8 bits (value * 255 / 65535).
    const uint16_t wide[] = {2570, 65535, 257, 5140, 0, 514, 7710, 32896, 771};
    EXPECT_EQ(m.MakeColorPalette({wide}, TRawPaletteFormat::pfPlane16Triple, 3), expected);
    // ... after swapping when the file's byte order differs.
    uint16_t swapped[9];
    for (int i = 0; i < 9; ++i)
        swapped[i] = static_cast<uint16_t>((wide[i] >> 8) | (wide[i] << 8));
    m.SetSourceOptions(coNeedByteSwap);
    EXPECT_EQ(m.MakeColorPalette({swapped}, TRawPaletteFormat::pfPlane16Triple, 3), expected);

    m.SetTargetOptions(coApplyGamma);
    const auto& t = m.GammaTable();
    EXPECT_EQ(m.MakeColorPalette({triples}, TRawPaletteFormat::pfInterlaced8Triple, 3),
              (std::vector<TRGBQuad>{Rgb(t[10], t[20], t[30]), Rgb(255, 0, t[128]), Rgb(t[1], t[2], t[3])}));
    EXPECT_TRUE(m.MakeColorPalette({triples}, TRawPaletteFormat::pfInterlaced8Triple, 0).empty());
}
