#include "imaging/readers/GoldenPam.h"

#include "imaging/core/PictureLoader.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace orvane::imaging;

namespace orvane::test::readers {

Pam ReadPam(const std::string& path)
{
    const auto bytes = orvane::test::ReadFileBytes(path);
    const std::string text(bytes.begin(), bytes.end());
    const size_t end = text.find("ENDHDR\n");
    Pam pam;
    if (end == std::string::npos) {
        ADD_FAILURE() << path << " is not a PAM file";
        return pam;
    }
    std::istringstream header(text.substr(0, end));
    std::string key;
    while (header >> key) {
        if (key == "WIDTH")
            header >> pam.width;
        else if (key == "HEIGHT")
            header >> pam.height;
        else if (key == "DEPTH")
            header >> pam.depth;
    }
    pam.pixels.assign(bytes.begin() + static_cast<long>(end + 7), bytes.end());
    if (pam.pixels.size() != size_t(pam.width) * size_t(pam.height) * size_t(pam.depth))
        ADD_FAILURE() << path << " holds " << pam.pixels.size() << " bytes of pixels for " << pam.width << " x "
                      << pam.height << " x " << pam.depth;
    return pam;
}

std::array<uint8_t, 4> Seen(const TBitmap& bitmap, int x, int y)
{
    const uint8_t* row = bitmap.ScanLine(y);
    auto entry = [&](unsigned i) {
        const TRGBQuad c = i < bitmap.Palette().size() ? bitmap.Palette()[i] : TRGBQuad{};
        return std::array<uint8_t, 4>{c.rgbRed, c.rgbGreen, c.rgbBlue, 255};
    };
    auto widen = [](unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); };
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf1bit: return entry((row[x / 8] >> (7 - x % 8)) & 1);
    case TPixelFormat::pf4bit: return entry((row[x / 2] >> (x % 2 ? 0 : 4)) & 15);
    case TPixelFormat::pf8bit: return entry(row[x]);
    case TPixelFormat::pf15bit: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        EXPECT_EQ(v & 0x8000, 0u);
        return {widen((v >> 10) & 31), widen((v >> 5) & 31), widen(v & 31), 255};
    }
    case TPixelFormat::pf24bit: return {row[3 * x + 2], row[3 * x + 1], row[3 * x], 255};
    case TPixelFormat::pf32bit:
        return {row[4 * x + 2], row[4 * x + 1], row[4 * x], bitmap.HasAlpha() ? row[4 * x + 3] : uint8_t(255)};
    default: ADD_FAILURE() << "unexpected pixel format"; return {};
    }
}

void ExpectPicture(const TBitmap& bitmap, const Pam& expected, int tolerance, const std::string& name)
{
    ASSERT_EQ(bitmap.Width(), expected.width) << name;
    ASSERT_EQ(bitmap.Height(), expected.height) << name;
    EXPECT_EQ(bitmap.HasAlpha(), expected.depth == 4) << name;
    int wrong = 0;
    for (int y = 0; y < expected.height && wrong < 5; ++y)
        for (int x = 0; x < expected.width && wrong < 5; ++x) {
            const auto seen = Seen(bitmap, x, y);
            const uint8_t* want = &expected.pixels[(size_t(y) * expected.width + x) * expected.depth];
            for (int c = 0; c < expected.depth; ++c)
                if (std::abs(seen[c] - want[c]) > tolerance) {
                    ADD_FAILURE() << name << " at " << x << "," << y << " channel " << c << ": " << int(seen[c])
                                  << " instead of " << int(want[c]);
                    ++wrong;
                    break;
                }
        }
}

std::unique_ptr<orvane::imaging::TBitmap> LoadCase(const std::string& path, const std::string& name)
{
    try {
        return orvane::imaging::TPictureLoader::Instance().LoadFromFile(path);
    } catch (const std::exception& e) {
        ADD_FAILURE() << name << ": " << e.what();
        return nullptr;
    }
}

} // namespace orvane::test::readers
