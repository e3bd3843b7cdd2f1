// Golden files of the Targa, PCX, SGI, Autodesk, portable map and Dr. Halo
// readers (tests/files/<format>/, made by generate_simple_formats.py): every
// case is loaded the way the viewer loads it and compared whole with the
// RGB(A) pixels of its .pam beside it.
#include "imaging/core/PictureLoader.h"
#include "imaging/readers/CUTGraphic.h"
#include "imaging/registry/FormatRegistration.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace orvane::imaging;
namespace fs = std::filesystem;

namespace {

struct Pam {
    int width = 0, height = 0, depth = 0;
    std::vector<uint8_t> pixels;
};

Pam ReadPam(const std::string& path)
{
    const auto bytes = orvane::test::ReadFileBytes(path);
    const std::string text(bytes.begin(), bytes.end());
    const size_t end = text.find("ENDHDR\n");
    Pam pam;
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
    return pam;
}

// What a user sees at (x, y): red, green, blue, alpha (255 without alpha).
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

std::unique_ptr<TBitmap> LoadCase(const std::string& path)
{
    if (fs::path(path).extension() == ".cut") {
        // The palette file is found from the picture's name.
        auto cut = std::make_unique<TCUTGraphic>();
        cut->LoadFromFile(path);
        return cut;
    }
    return TPictureLoader::Instance().LoadFromFile(path);
}

class GoldenFiles : public ::testing::TestWithParam<std::string> {
protected:
    static void SetUpTestSuite() { InitializeImageFormats(); }
    static void TearDownTestSuite() { FinalizeImageFormats(); }
};

TEST_P(GoldenFiles, EveryCaseDecodesToItsExpectedPicture)
{
    const fs::path folder = fs::path(ORVANE_TEST_FILES_DIR) / GetParam();
    int cases = 0;
    for (const auto& item : fs::directory_iterator(folder)) {
        const fs::path file = item.path();
        if (file.extension() == ".pam" || file.extension() == ".pal")
            continue;
        if (file.filename().string().starts_with("regress-"))
            continue; // hostile files: HostileFilesTest
        ++cases;
        const std::string name = file.filename().string();
        const Pam expected = ReadPam(fs::path(file).replace_extension(".pam").string());
        std::unique_ptr<TBitmap> picture;
        try {
            picture = LoadCase(file.string());
        } catch (const std::exception& e) {
            ADD_FAILURE() << name << ": " << e.what();
            continue;
        }
        ASSERT_EQ(picture->Width(), expected.width) << name;
        ASSERT_EQ(picture->Height(), expected.height) << name;
        EXPECT_EQ(picture->HasAlpha(), expected.depth == 4) << name;
        int wrong = 0;
        for (int y = 0; y < expected.height && wrong < 5; ++y)
            for (int x = 0; x < expected.width && wrong < 5; ++x) {
                const auto seen = Seen(*picture, x, y);
                const uint8_t* want = &expected.pixels[(size_t(y) * expected.width + x) * expected.depth];
                for (int c = 0; c < expected.depth; ++c)
                    if (seen[c] != want[c]) {
                        ADD_FAILURE() << name << " at " << x << "," << y << " channel " << c << ": "
                                      << int(seen[c]) << " instead of " << int(want[c]);
                        ++wrong;
                        break;
                    }
            }
    }
    EXPECT_GE(cases, 2) << "golden files missing in " << folder;
}

INSTANTIATE_TEST_SUITE_P(SimpleFormats, GoldenFiles,
                         ::testing::Values("targa", "pcx", "sgi", "autodesk", "ppm", "cut"));

} // namespace
