// Pictures with a colour profile converted to sRGB: every pixel layout the
// display and the converter hand over, the fourth byte kept, profiles that
// cannot be used leaving the pixels as decoded.
#include "imaging/color/SrgbConversion.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <lcms2.h>

#include <vector>

using namespace orvane::imaging;
using orvane::test::SwappedRedGreenProfile;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes SavedProfile(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    Bytes bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

struct LayoutCase {
    TSrgbLayout layout;
    Bytes pixels;   // stored: one red pixel, then one blue one
    Bytes expected; // shown: green and blue, the fourth byte as it was
};

TEST(SrgbConversion, SwappedProfileShowsRedAsGreenInEveryLayoutAndKeepsTheFourthByte)
{
    const LayoutCase cases[] = {
        {TSrgbLayout::Bgr, {0, 0, 255, 255, 0, 0}, {0, 255, 0, 255, 0, 0}},
        {TSrgbLayout::Bgrx, {0, 0, 255, 7, 255, 0, 0, 9}, {0, 255, 0, 7, 255, 0, 0, 9}},
        {TSrgbLayout::Bgra, {0, 0, 255, 128, 255, 0, 0, 0}, {0, 255, 0, 128, 255, 0, 0, 0}},
    };
    for (const LayoutCase& c : cases) {
        Bytes pixels = c.pixels;
        ASSERT_TRUE(ConvertToSrgb(SwappedRedGreenProfile(), c.layout, pixels.data(), 2, 1, pixels.size()));
        for (size_t i = 0; i < pixels.size(); ++i)
            EXPECT_NEAR(pixels[i], c.expected[i], 2) << "layout " << int(c.layout) << " byte " << i;
    }
}

TEST(SrgbConversion, RowsAreConvertedByTheirStrideAndThePaddingBetweenIsLeftAlone)
{
    // Two rows of one pixel, 8 bytes apart: the bytes between are not pixels.
    Bytes pixels = {0, 0, 255, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0, 0, 255, 0xAA};
    ASSERT_TRUE(ConvertToSrgb(SwappedRedGreenProfile(), TSrgbLayout::Bgr, pixels.data(), 1, 2, 8));
    EXPECT_NEAR(pixels[1], 255, 2);
    EXPECT_NEAR(pixels[2], 0, 2);
    EXPECT_EQ(Bytes(pixels.begin() + 3, pixels.begin() + 8), Bytes(5, 0xAA));
    EXPECT_NEAR(pixels[9], 255, 2);
}

TEST(SrgbConversion, AnSrgbProfileChangesNothingAndAGrayProfileGivesGray)
{
    Bytes pixels = {10, 100, 200, 255, 60, 60, 60, 255};
    ASSERT_TRUE(ConvertToSrgb(SavedProfile(cmsCreate_sRGBProfile()), TSrgbLayout::Bgrx, pixels.data(), 2, 1, 8));
    const Bytes stored = {10, 100, 200, 255, 60, 60, 60, 255};
    for (size_t i = 0; i < pixels.size(); ++i)
        EXPECT_NEAR(pixels[i], stored[i], 1) << i;

    // A gray profile of gamma 1.0 lightens mid gray (sRGB's curve is darker).
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    const Bytes gray = SavedProfile(cmsCreateGrayProfile(cmsD50_xyY(), linear));
    cmsFreeToneCurve(linear);
    Bytes mid = {128, 128, 128, 255};
    ASSERT_TRUE(ConvertToSrgb(gray, TSrgbLayout::Bgrx, mid.data(), 1, 1, 4));
    EXPECT_GT(mid[0], 180);
    EXPECT_EQ(mid[0], mid[1]);
    EXPECT_EQ(mid[1], mid[2]);
    EXPECT_EQ(mid[3], 255);
}

TEST(SrgbConversion, AProfileThatCannotBeUsedLeavesThePixelsAsDecoded)
{
    Bytes swapped = SwappedRedGreenProfile();
    Bytes truncated(swapped.begin(), swapped.begin() + static_cast<long>(swapped.size() / 2));
    const Bytes broken[] = {
        {},
        Bytes(200, 0x5A),
        truncated,
        SavedProfile(cmsCreateLab4Profile(nullptr)), // not an RGB or gray profile
    };
    for (const Bytes& profile : broken) {
        Bytes pixels = {0, 0, 255};
        EXPECT_FALSE(ConvertToSrgb(profile, TSrgbLayout::Bgr, pixels.data(), 1, 1, 3)) << profile.size();
        EXPECT_EQ(pixels, (Bytes{0, 0, 255}));
        EXPECT_FALSE(UsableProfile(profile));
    }
}

TEST(SrgbConversion, ABitmapIsConvertedByItsOwnProfileAndThenCarriesNone)
{
    TBitmap colour;
    colour.SetPixelFormat(TPixelFormat::pf24bit);
    colour.SetSize(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            colour.ScanLine(y)[x * 3 + 2] = 255; // red
    colour.SetIccProfile(SwappedRedGreenProfile());
    ASSERT_TRUE(ConvertBitmapToSrgb(colour));
    EXPECT_TRUE(colour.IccProfile().empty());
    EXPECT_NEAR(colour.ScanLine(1)[2 * 3 + 1], 255, 2);
    EXPECT_NEAR(colour.ScanLine(1)[2 * 3 + 2], 0, 2);
    EXPECT_FALSE(ConvertBitmapToSrgb(colour)); // nothing left to convert

    // An indexed picture has its palette converted.
    TBitmap indexed;
    indexed.SetPixelFormat(TPixelFormat::pf8bit);
    indexed.SetSize(1, 1);
    indexed.SetPalette({TRGBQuad{0, 0, 255, 0}, TRGBQuad{255, 0, 0, 0}});
    indexed.SetIccProfile(SwappedRedGreenProfile());
    ASSERT_TRUE(ConvertBitmapToSrgb(indexed));
    EXPECT_NEAR(indexed.Palette()[0].rgbGreen, 255, 2);
    EXPECT_NEAR(indexed.Palette()[1].rgbBlue, 255, 2);
}

} // namespace
