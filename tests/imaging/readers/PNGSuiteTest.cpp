// Every file of PngSuite decoded by the reader (inflated whole and row by
// row) and by libpng: the pictures must be the same; every corrupt file
// (x...) must be refused.
#include "PNGTestFiles.h"

#include "imaging/readers/PNGGraphic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

using namespace orvane::imaging;
namespace png = orvane::test::png;
namespace fs = std::filesystem;

namespace {

std::vector<fs::path> SuiteFiles(const char* folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(ORVANE_TESTDATA_DIR) / folder))
        if (entry.path().extension() == ".png")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

void CompareWithLibpng(const char* folder)
{
    int compared = 0;
    for (const fs::path& path : SuiteFiles(folder)) {
        const std::string name = path.filename().string();
        if (name[0] == 'x')
            continue;
        SCOPED_TRACE(name);
        const png::Bytes file = png::ReadFile(path.string());
        png::Image reference;
        std::string libpngError;
        ASSERT_TRUE(png::DecodeWithLibpng(file, reference, libpngError)) << libpngError;

        // Both decoding paths: the image data inflated whole, and row by row
        // (a memory limit that holds the picture but not its filtered rows).
        size_t pictureBytes = 0;
        for (const bool rowByRow : {false, true}) {
            SCOPED_TRACE(rowByRow ? "row by row" : "inflated whole");
            TBitmap::SetMaxImageBytes(rowByRow ? pictureBytes : 0);
            TPNGGraphic picture;
            TMemoryStream stream(file.data(), file.size());
            ASSERT_NO_THROW(picture.LoadFromStream(stream));
            TBitmap::SetMaxImageBytes(0);
            pictureBytes = picture.ImageSize();
            ASSERT_EQ(picture.Width(), static_cast<int>(reference.width));
            ASSERT_EQ(picture.Height(), static_cast<int>(reference.height));
            const png::Bytes seen = png::SeenRGBA(picture);
            const png::Bytes expected = png::ExpectedRGBA(reference);
            ASSERT_EQ(seen.size(), expected.size());
            size_t firstDifference = seen.size();
            for (size_t i = 0; i < seen.size() && firstDifference == seen.size(); ++i)
                if (seen[i] != expected[i])
                    firstDifference = i;
            EXPECT_EQ(firstDifference, seen.size())
                << "pixel " << firstDifference / 4 << " channel " << firstDifference % 4 << ": seen "
                << int(seen[firstDifference]) << ", expected " << int(expected[firstDifference]);
        }
        ++compared;
    }
    EXPECT_GT(compared, 100);
}

} // namespace

TEST(PNGSuite, EveryValidFileMatchesLibpng)
{
    CompareWithLibpng("pngsuite");
}

TEST(PNGSuite, EveryValidFileWithoutGammaMatchesLibpng)
{
    CompareWithLibpng("pngsuite-nogama");
}

TEST(PNGSuite, EveryCorruptFileIsRefusedWithTheReadersError)
{
    const std::map<std::string, std::string> messages = {
        {"xc1n0g08.png", "Invalid color format in PNG file."},
        {"xc9n2c08.png", "Invalid color format in PNG file."},
        {"xcrn0g04.png", "Cannot load image. Invalid or unexpected PNG image format."},
        {"xcsn0g01.png", "Cannot load image. CRC error found in PNG file."},
        {"xd0n2c08.png", "Invalid color format in PNG file."},
        {"xd3n2c08.png", "Invalid color format in PNG file."},
        {"xd9n2c08.png", "Invalid color format in PNG file."},
        {"xdtn0g01.png", "Cannot load image. Invalid or unexpected PNG image format."},
        {"xhdn0g08.png", "Cannot load image. CRC error found in PNG file."},
        {"xlfn0g04.png", "Cannot load image. Invalid or unexpected PNG image format."},
        {"xs1n0g01.png", "Cannot load image. Invalid or unexpected PNG image format."},
        {"xs2n0g01.png", "Cannot load image. Invalid or unexpected PNG image format."},
        {"xs4n0g01.png", "Cannot load image. Invalid or unexpected PNG image format."},
        {"xs7n0g01.png", "Cannot load image. Invalid or unexpected PNG image format."},
    };
    int refused = 0;
    for (const fs::path& path : SuiteFiles("pngsuite")) {
        const std::string name = path.filename().string();
        if (name[0] != 'x')
            continue;
        SCOPED_TRACE(name);
        const png::Bytes file = png::ReadFile(path.string());
        TPNGGraphic picture;
        TMemoryStream stream(file.data(), file.size());
        std::string message = "(loaded)";
        try {
            picture.LoadFromStream(stream);
        } catch (const EInvalidGraphic& e) {
            message = e.what();
        }
        ASSERT_TRUE(messages.count(name)) << "no expectation for " << name << ": " << message;
        EXPECT_EQ(message, messages.at(name));
        ++refused;
    }
    EXPECT_EQ(refused, static_cast<int>(messages.size()));
}
