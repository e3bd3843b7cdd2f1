// Row conversion: every converter on whole rows with known pixel values,
// masks, 16-bit samples and planes.
#include "imaging/color/ColorManager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace orvane::imaging;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr uint8_t kUntouched = 0xEE;

TColorManager Manager(TColorScheme from, TColorScheme to, uint8_t sourceBits = 8, uint8_t targetBits = 8)
{
    TColorManager m;
    m.SetSourceColorScheme(from);
    m.SetTargetColorScheme(to);
    m.SetSourceBitsPerSample(sourceBits);
    m.SetTargetBitsPerSample(targetBits);
    return m;
}

// Converts count pixels into a target of targetBytes bytes preset to
// kUntouched, and checks nothing is written past it.
Bytes Convert(TColorManager& m, const Bytes& source, size_t count, size_t targetBytes, uint8_t mask = 0xFF)
{
    Bytes target(targetBytes + 16, kUntouched);
    m.ConvertPixels(source.data(), mask, count, target.data());
    for (size_t i = targetBytes; i < target.size(); ++i)
        EXPECT_EQ(target[i], kUntouched) << "byte " << i << " written past the row";
    target.resize(targetBytes);
    return target;
}

Bytes ConvertPlanes(TColorManager& m, const std::vector<const uint8_t*>& planes, size_t count, size_t targetBytes)
{
    Bytes target(targetBytes, kUntouched);
    m.ConvertPixels(planes.data(), planes.size(), 0xFF, count, target.data());
    return target;
}

Bytes BigEndian16(std::initializer_list<uint16_t> values)
{
    Bytes out;
    for (uint16_t v : values) {
        out.push_back(static_cast<uint8_t>(v >> 8));
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

Bytes Host16(std::initializer_list<uint16_t> values)
{
    Bytes out(values.size() * 2);
    std::memcpy(out.data(), std::data(values), out.size());
    return out;
}

constexpr uint8_t U = kUntouched;

} // namespace

TEST(ColorConvertRGB, EightBitOrdersAndAlpha)
{
    const Bytes rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const Bytes rgba = {1, 2, 3, 40, 4, 5, 6, 50, 7, 8, 9, 60};
    {
        auto m = Manager(TColorScheme::csRGB, TColorScheme::csBGR);
        EXPECT_EQ(Convert(m, rgb, 3, 9), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7}));
    }
    {
        auto m = Manager(TColorScheme::csRGB, TColorScheme::csRGB);
        EXPECT_EQ(Convert(m, rgb, 3, 9), rgb);
    }
    {
        auto m = Manager(TColorScheme::csBGR, TColorScheme::csRGB);
        EXPECT_EQ(Convert(m, rgb, 3, 9), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7}));
    }
    {
        auto m = Manager(TColorScheme::csBGR, TColorScheme::csBGR);
        EXPECT_EQ(Convert(m, rgb, 3, 9), rgb);
    }
    {
        auto m = Manager(TColorScheme::csRGBA, TColorScheme::csBGRA);
        EXPECT_EQ(Convert(m, rgba, 3, 12), (Bytes{3, 2, 1, 40, 6, 5, 4, 50, 9, 8, 7, 60}));
    }
    {
        // Without a source alpha the target's alpha byte is left alone.
        auto m = Manager(TColorScheme::csRGB, TColorScheme::csBGRA);
        EXPECT_EQ(Convert(m, rgb, 3, 12), (Bytes{3, 2, 1, U, 6, 5, 4, U, 9, 8, 7, U}));
    }
    {
        // Without a target alpha the source's is skipped.
        auto m = Manager(TColorScheme::csRGBA, TColorScheme::csBGR);
        EXPECT_EQ(Convert(m, rgba, 3, 9), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7}));
    }
    {
        auto m = Manager(TColorScheme::csBGRA, TColorScheme::csRGBA);
        EXPECT_EQ(Convert(m, rgba, 3, 12), (Bytes{3, 2, 1, 40, 6, 5, 4, 50, 9, 8, 7, 60}));
    }
}

TEST(ColorConvertRGB, LongRowsMatchPixelByPixelSwapAtEveryLength)
{
    // Lengths around the block sizes of the bulk loops, so the tails are covered.
    for (size_t count : {1, 5, 6, 7, 8, 9, 15, 16, 17, 33, 100}) {
        for (int bytes : {3, 4}) {
            Bytes source(count * bytes);
            for (size_t i = 0; i < source.size(); ++i)
                source[i] = static_cast<uint8_t>(i * 7 + 1);
            Bytes expected = source;
            for (size_t p = 0; p < count; ++p)
                std::swap(expected[p * bytes], expected[p * bytes + 2]);
            auto m = bytes == 3 ? Manager(TColorScheme::csRGB, TColorScheme::csBGR)
                                : Manager(TColorScheme::csRGBA, TColorScheme::csBGRA);
            EXPECT_EQ(Convert(m, source, count, source.size()), expected) << count << " pixels of " << bytes;
        }
    }
}

TEST(ColorConvertRGB, GammaAppliesToColourButNotAlpha)
{
    auto m = Manager(TColorScheme::csRGBA, TColorScheme::csBGRA);
    m.SetTargetOptions(coApplyGamma);
    const auto& t = m.GammaTable();
    EXPECT_EQ(Convert(m, {0, 128, 255, 128, 17, 34, 51, 200}, 2, 8),
              (Bytes{255, t[128], 0, 128, t[51], t[34], t[17], 200}));
    // A new gamma between rows takes effect on the next row, also after a
    // table that changed nothing.
    auto later = Manager(TColorScheme::csRGB, TColorScheme::csBGR);
    later.SetTargetOptions(coApplyGamma);
    later.UpdateGamma(0.45455f, 2.2f);
    EXPECT_EQ(Convert(later, {17, 128, 200}, 1, 3), (Bytes{200, 128, 17}));
    later.UpdateGamma(1.0f, 2.2f);
    EXPECT_EQ(Convert(later, {17, 128, 200}, 1, 3), (Bytes{t[200], t[128], t[17]}));
    // 16-bit samples: reduced first, then through the table.
    auto wide = Manager(TColorScheme::csRGB, TColorScheme::csBGR, 16, 8);
    wide.SetSourceOptions(coNeedByteSwap);
    wide.SetTargetOptions(coApplyGamma);
    EXPECT_EQ(Convert(wide, BigEndian16({32896, 0, 65535}), 1, 3), (Bytes{255, 0, t[128]}));
}

TEST(ColorConvertRGB, SixteenBitSamplesSwapAndReduce)
{
    const Bytes stored = BigEndian16({65535, 32768, 257, 0, 65280, 4660});
    auto m = Manager(TColorScheme::csRGB, TColorScheme::csBGR, 16, 8);
    m.SetSourceOptions(coNeedByteSwap);
    // value * 255 / 65535: 65535 -> 255, 32768 -> 127, 257 -> 1, 65280 -> 254, 4660 -> 18
    EXPECT_EQ(Convert(m, stored, 2, 6), (Bytes{1, 127, 255, 18, 254, 0}));

    // Already in host order: no swap.
    auto host = Manager(TColorScheme::csRGB, TColorScheme::csRGB, 16, 8);
    EXPECT_EQ(Convert(host, Host16({65535, 32768, 257}), 1, 3), (Bytes{255, 127, 1}));

    // 16 -> 16 keeps the values; 8 -> 16 widens by 65535 / 255.
    auto keep = Manager(TColorScheme::csRGBA, TColorScheme::csBGRA, 16, 16);
    keep.SetSourceOptions(coNeedByteSwap);
    EXPECT_EQ(Convert(keep, BigEndian16({1, 2, 3, 4}), 1, 8), Host16({3, 2, 1, 4}));
    auto widen = Manager(TColorScheme::csRGB, TColorScheme::csBGR, 8, 16);
    EXPECT_EQ(Convert(widen, {1, 128, 255}, 1, 6), Host16({65535, 32896, 257}));
}

TEST(ColorConvertRGB, PlanesAdvanceOneSamplePerPixel)
{
    const Bytes r = {1, 2, 3}, g = {10, 20, 30}, b = {100, 200, 250}, a = {7, 8, 9};
    auto m = Manager(TColorScheme::csRGB, TColorScheme::csBGR);
    EXPECT_EQ(ConvertPlanes(m, {r.data(), g.data(), b.data()}, 3, 9), (Bytes{100, 10, 1, 200, 20, 2, 250, 30, 3}));
    auto alpha = Manager(TColorScheme::csRGBA, TColorScheme::csBGRA);
    EXPECT_EQ(ConvertPlanes(alpha, {r.data(), g.data(), b.data(), a.data()}, 2, 8), (Bytes{100, 10, 1, 7, 200, 20, 2, 8}));
}

TEST(ColorConvertMask, MaskAAWritesEveryOtherPixelFromConsecutiveSource)
{
    // Four source pixels fill target pixels 0, 2, 4 and 6; 1, 3, 5 and 7 stay.
    const Bytes source = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    auto m = Manager(TColorScheme::csRGB, TColorScheme::csBGR);
    EXPECT_EQ(Convert(m, source, 8, 24, 0xAA), (Bytes{3, 2, 1, U, U, U, 6, 5, 4, U, U, U,
                                                      9, 8, 7, U, U, U, 12, 11, 10, U, U, U}));
}

TEST(ColorConvertMask, MasksRepeatEveryEightPixels)
{
    // 10 target pixels, gray 8 -> 8: mask $80 writes pixels 0 and 8, $08
    // pixel 4, $55 pixels 1, 3, 5, 7, 9, and the irregular $C1 pixels 0, 1,
    // 7, 8, 9.
    const Bytes source = {10, 20, 30, 40, 50};
    auto m = Manager(TColorScheme::csG, TColorScheme::csG);
    m.SetSourceSamplesPerPixel(1);
    m.SetTargetSamplesPerPixel(1);
    EXPECT_EQ(Convert(m, source, 10, 10, 0x80), (Bytes{10, U, U, U, U, U, U, U, 20, U}));
    EXPECT_EQ(Convert(m, source, 10, 10, 0x08), (Bytes{U, U, U, U, 10, U, U, U, U, U}));
    EXPECT_EQ(Convert(m, source, 10, 10, 0x55), (Bytes{U, 10, U, 20, U, 30, U, 40, U, 50}));
    EXPECT_EQ(Convert(m, source, 10, 10, 0xC1), (Bytes{10, 20, U, U, U, U, U, 30, 40, 50}));
    EXPECT_EQ(Convert(m, source, 10, 10, 0x00), Bytes(10, U));

    // The same for colour rows through the general converter (16-bit source).
    auto wide = Manager(TColorScheme::csRGB, TColorScheme::csBGR, 16, 8);
    const Bytes stored = Host16({65535, 0, 0, 0, 65535, 0});
    EXPECT_EQ(Convert(wide, stored, 3, 9, 0x22), (Bytes{U, U, U, U, U, U, 0, 0, 255}));
    EXPECT_EQ(Convert(wide, stored, 8, 24, 0x44),
              (Bytes{U, U, U, 0, 0, 255, U, U, U, U, U, U, U, U, U, 0, 255, 0, U, U, U, U, U, U}));
}

TEST(ColorConvertIndexed, PackedDepthsCopyAndScale)
{
    auto make = [](TColorScheme scheme, uint8_t sourceBits, uint8_t targetBits) {
        auto m = Manager(scheme, scheme == TColorScheme::csIndexed ? TColorScheme::csIndexed : TColorScheme::csG,
                         sourceBits, targetBits);
        m.SetSourceSamplesPerPixel(1);
        m.SetTargetSamplesPerPixel(1);
        return m;
    };
    {
        // Equal depths copy whole bytes: 10 one-bit pixels are 2 bytes.
        auto m = make(TColorScheme::csIndexed, 1, 1);
        EXPECT_EQ(Convert(m, {0xA5, 0xC0}, 10, 2), (Bytes{0xA5, 0xC0}));
    }
    {
        // 2-bit gray 0, 1, 2, 3 -> 4-bit 0, 5, 10, 15 (white stays white).
        auto m = make(TColorScheme::csG, 2, 4);
        EXPECT_EQ(Convert(m, {0x1B, 0xE4}, 8, 4), (Bytes{0x05, 0xAF, 0xFA, 0x50}));
    }
    {
        // 2-bit palette indexes keep their values in a 4-bit bitmap.
        auto m = make(TColorScheme::csIndexed, 2, 4);
        EXPECT_EQ(Convert(m, {0x1B, 0xE4}, 8, 4), (Bytes{0x01, 0x23, 0x32, 0x10}));
    }
    {
        // 4-bit gray to 8 bits scales by 17; 4-bit indexes stay.
        auto gray = make(TColorScheme::csG, 4, 8);
        EXPECT_EQ(Convert(gray, {0x0F, 0x71}, 4, 4), (Bytes{0, 255, 119, 17}));
        auto indexed = make(TColorScheme::csIndexed, 4, 8);
        EXPECT_EQ(Convert(indexed, {0x0F, 0x71}, 4, 4), (Bytes{0, 15, 7, 1}));
    }
    {
        // 1-bit gray into 8 bits: 0 and 255.
        auto m = make(TColorScheme::csG, 1, 8);
        EXPECT_EQ(Convert(m, {0xA0}, 4, 4), (Bytes{255, 0, 255, 0}));
    }
    {
        // Narrowing scales: 8-bit gray to 4 bits.
        auto m = make(TColorScheme::csG, 8, 4);
        EXPECT_EQ(Convert(m, {255, 0, 136, 17}, 4, 2), (Bytes{0xF0, 0x81}));
    }
    {
        // Masked 1-bit rows keep the target's other bits.
        auto m = make(TColorScheme::csIndexed, 1, 1);
        Bytes target = {0x00, 0xFF};
        m.ConvertPixels(Bytes{0xF0}.data(), 0xAA, 16, target.data());
        EXPECT_EQ(target, (Bytes{0xAA, 0x55}));
    }
    {
        // 2-bit into 4-bit rows with mask $55: odd pixels only.
        auto m = make(TColorScheme::csIndexed, 2, 4);
        Bytes target = {0xEE, 0xEE, 0xEE, 0xEE};
        m.ConvertPixels(Bytes{0x1B}.data(), 0x55, 8, target.data());
        EXPECT_EQ(target, (Bytes{0xE0, 0xE1, 0xE2, 0xE3}));
    }
}

TEST(ColorConvertIndexed, SixteenBitIndexes)
{
    auto make = [](uint8_t sourceBits, uint8_t targetBits) {
        auto m = Manager(TColorScheme::csIndexed, TColorScheme::csIndexed, sourceBits, targetBits);
        m.SetSourceOptions(coNeedByteSwap);
        return m;
    };
    auto same = make(16, 16);
    EXPECT_EQ(Convert(same, BigEndian16({1, 65535, 4660}), 3, 6), Host16({1, 65535, 4660}));
    auto fewer = make(16, 8);
    EXPECT_EQ(Convert(fewer, BigEndian16({0, 65535, 32768}), 3, 3), (Bytes{0, 255, 127}));
    auto four = make(16, 4);
    EXPECT_EQ(Convert(four, BigEndian16({65535, 4369}), 2, 1), (Bytes{0xF1}));
    auto widen = make(4, 16);
    EXPECT_EQ(Convert(widen, {0x3F}, 2, 4), Host16({3, 15}));
}

TEST(ColorConvertGray, SixteenBitAndAlphaSamples)
{
    {
        auto m = Manager(TColorScheme::csG, TColorScheme::csG, 16, 8);
        m.SetSourceOptions(coNeedByteSwap);
        EXPECT_EQ(Convert(m, BigEndian16({65535, 32768, 0}), 3, 3), (Bytes{255, 127, 0}));
    }
    {
        // The alpha sample is skipped.
        auto m = Manager(TColorScheme::csGA, TColorScheme::csG, 8, 8);
        EXPECT_EQ(Convert(m, {10, 255, 20, 0, 30, 128}, 3, 3), (Bytes{10, 20, 30}));
    }
    {
        auto m = Manager(TColorScheme::csGA, TColorScheme::csIndexed, 16, 8);
        m.SetSourceOptions(coNeedByteSwap);
        EXPECT_EQ(Convert(m, BigEndian16({65535, 0, 257, 65535}), 2, 2), (Bytes{255, 1}));
    }
    {
        auto m = Manager(TColorScheme::csG, TColorScheme::csG, 8, 16);
        EXPECT_EQ(Convert(m, {0, 1, 255}, 3, 6), Host16({0, 257, 65535}));
    }
    {
        // Gamma is not applied to gray rows (their palette carries it).
        auto m = Manager(TColorScheme::csG, TColorScheme::csG, 16, 8);
        m.SetTargetOptions(coApplyGamma);
        EXPECT_EQ(Convert(m, Host16({32896}), 1, 1), (Bytes{128}));
    }
}

TEST(ColorConvertCMYK, InkCombinesWithBlack)
{
    auto m = Manager(TColorScheme::csCMYK, TColorScheme::csBGR);
    // white, cyan, black from K, all ink, half cyan at half black:
    // 128 * 128 / 255 - 128 - 128 + 255 = 63
    const Bytes cmyk = {0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 128, 0, 0, 128};
    EXPECT_EQ(Convert(m, cmyk, 5, 15), (Bytes{255, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 127, 127, 63}));
    auto rgb = Manager(TColorScheme::csCMYK, TColorScheme::csRGBA);
    EXPECT_EQ(Convert(rgb, {255, 0, 0, 0}, 1, 4), (Bytes{0, 255, 255, U}));
}

TEST(ColorConvertLab, WhiteGrayBlackAndChroma)
{
    auto m = Manager(TColorScheme::csCIELab, TColorScheme::csRGB);
    // L = 100: white; L = 50: f = 66 / 116, f^3 * 255 = 46.97; L = 5 (below
    // 7.9996): 5 / 903.3 * 255 = 1.41; L = 100, a = -20: X = 0.96^3, giving
    // red 166.6, green above 255, blue 252.1.
    const Bytes lab = {100, 0, 0, 50, 0, 0, 5, 0, 0, 0, 0, 0, 100, 236, 0};
    EXPECT_EQ(Convert(m, lab, 5, 15), (Bytes{255, 255, 255, 47, 47, 47, 1, 1, 1, 0, 0, 0, 167, 255, 252}));

    // L stored 0..255 and a*, b* with an offset of 128.
    auto byteRange = Manager(TColorScheme::csCIELab, TColorScheme::csBGR);
    byteRange.SetSourceOptions(coLabByteRange | coLabChromaOffset);
    EXPECT_EQ(Convert(byteRange, {255, 128, 128, 0, 128, 128, 255, 108, 128}, 3, 9),
              (Bytes{255, 255, 255, 0, 0, 0, 252, 255, 167}));
}

TEST(ColorConvertYCbCr, NeutralChromaGivesGrayAndTablesFollowTheWeights)
{
    auto m = Manager(TColorScheme::csYCbCr, TColorScheme::csRGB);
    // Y 100, Cr 200: red 100 + round(1.402 * 72) = 201,
    // green 100 - round(0.299 * 1.402 / 0.587 * 72) = 49.
    EXPECT_EQ(Convert(m, {128, 128, 128, 100, 128, 200, 255, 128, 255}, 3, 9),
              (Bytes{128, 128, 128, 201, 49, 100, 255, 164, 255}));
    EXPECT_EQ(m.ChromaTables().BlueFromCb[0], -227); // round(1.772 * -128)

    // Luma weights of HD video: red 100 + round(1.5748 * 72) = 213.
    m.SetChroma({0.2126f, 0.7152f, 0.0722f}, 1, 1);
    const Bytes out = Convert(m, {100, 128, 200}, 1, 3);
    EXPECT_EQ(out[0], 213);

    // Photo YCC centres its chroma on 156 (blue) and 137 (red).
    auto ycc = Manager(TColorScheme::csPhotoYCC, TColorScheme::csBGR);
    EXPECT_EQ(Convert(ycc, {100, 156, 137, 100, 156, 237}, 2, 6), (Bytes{100, 100, 100, 100, 29, 240}));
}
