#include "imaging/core/Orientation.h"

#include "support/TestImages.h"

#include <gtest/gtest.h>

using namespace orvane::imaging;
using orvane::test::ExifApp1;
using orvane::test::ExifBlock;

TEST(ExifOrientation, EveryValueInBothByteOrders)
{
    for (bool bigEndian : {false, true})
        for (int value = 1; value <= 8; ++value) {
            const auto block = ExifBlock(value, bigEndian);
            EXPECT_EQ(ExifOrientation(block.data(), block.size()), value) << value << bigEndian;
            const auto app1 = ExifApp1(value, bigEndian);
            EXPECT_EQ(ExifOrientationOfApp1(app1.data(), app1.size()), value) << value << bigEndian;
        }
}

TEST(ExifOrientation, ADamagedBlockIsNeverTrusted)
{
    struct Case {
        const char* what;
        size_t at;     // byte changed (or the size cut to, when cut)
        uint8_t value;
        bool cut;
    };
    // The little-endian block: header 0-7, entry count 8-9, the entry 10-21.
    for (const Case c : {Case{"byte order", 0, 'X', false}, Case{"magic number", 2, 43, false},
                         Case{"directory past the end", 4, 0xF0, false}, Case{"entries past the end", 8, 0x40, false},
                         Case{"type LONG", 12, 4, false}, Case{"count 2", 14, 2, false},
                         Case{"value 9", 18, 9, false}, Case{"value 0", 18, 0, false},
                         Case{"cut inside the entry", 15, 0, true}, Case{"cut inside the header", 5, 0, true}}) {
        auto block = ExifBlock(6);
        if (c.cut)
            block.resize(c.at);
        else
            block[c.at] = c.value;
        EXPECT_EQ(ExifOrientation(block.data(), block.size()), 1) << c.what;
    }
    const auto block = ExifBlock(6);
    EXPECT_EQ(ExifOrientationOfApp1(block.data(), block.size()), 1) << "no Exif prefix";
    EXPECT_EQ(ExifOrientation(nullptr, 0), 1);
}

TEST(ExifOrientation, EachValueTurnsThePixelsUpright)
{
    // Stored 3 x 2: a b c / d e f, one gray level per pixel.
    TBitmap stored;
    stored.SetPixelFormat(TPixelFormat::pf8bit);
    stored.SetSize(3, 2);
    const char* rows[] = {"abc", "def"};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            stored.ScanLine(y)[x] = uint8_t(rows[y][x]);
    struct Case {
        int orientation;
        std::vector<std::string> upright;
    };
    for (const Case& c : {Case{1, {"abc", "def"}}, Case{2, {"cba", "fed"}}, Case{3, {"fed", "cba"}},
                          Case{4, {"def", "abc"}}, Case{5, {"ad", "be", "cf"}}, Case{6, {"da", "eb", "fc"}},
                          Case{7, {"fc", "eb", "da"}}, Case{8, {"cf", "be", "ad"}}}) {
        stored.SetOrientation(c.orientation);
        const auto upright = Upright(stored);
        std::vector<std::string> seen;
        for (int y = 0; y < upright->Height(); ++y)
            seen.emplace_back(reinterpret_cast<const char*>(upright->ScanLine(y)), size_t(upright->Width()));
        EXPECT_EQ(seen, c.upright) << c.orientation;
        EXPECT_EQ(upright->Orientation(), 1);
    }
}
