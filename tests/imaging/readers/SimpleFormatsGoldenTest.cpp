// Golden files of the Targa, PCX, SGI, Autodesk, portable map and Dr. Halo
// readers (tests/files/<format>/, made by generate_simple_formats.py): every
// case is loaded the way the viewer loads it and compared whole with the
// RGB(A) pixels of its .pam beside it.
#include "imaging/core/PictureLoader.h"
#include "imaging/readers/CUTGraphic.h"
#include "imaging/readers/GoldenPam.h"
#include "imaging/registry/FormatRegistration.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orvane::imaging;
using namespace orvane::test::readers;
namespace fs = std::filesystem;

namespace {

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
        ExpectPicture(*picture, expected, 0, name);
    }
    EXPECT_GE(cases, 2) << "golden files missing in " << folder;
}

INSTANTIATE_TEST_SUITE_P(SimpleFormats, GoldenFiles,
                         ::testing::Values("targa", "pcx", "sgi", "autodesk", "ppm", "cut"));

} // namespace
