// Golden files of the HEIF, AVIF and JPEG XL readers (tests/files/heif, avif
// and jxl, each made by the generate.sh there): every picture, loaded the way
// the viewer loads it, is what the format's own decoder made of it (its
// .pam), within the difference its <case>.tolerance allows where the two
// round differently. A case with <case>.icc beside it carries that colour
// profile; one with <case>.colours carries a profile that shows the stored
// colours listed there as the sRGB ones beside them; every other case is
// plain sRGB and carries none.
#include "imaging/color/SrgbConversion.h"
#include "imaging/core/PictureLoader.h"
#include "imaging/readers/GoldenPam.h"
#include "imaging/registry/FormatRegistration.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace orvane::imaging;
using namespace orvane::test::readers;
namespace fs = std::filesystem;

namespace {

struct Folder {
    const char* name;
    const char* extension; // of its cases
};

int ToleranceOf(const fs::path& file)
{
    std::ifstream in(fs::path(file).replace_extension(".tolerance"));
    int tolerance = 0;
    in >> tolerance;
    return tolerance;
}

// Each stored colour converted by the profile must come within 2 of the sRGB
// colour listed beside it (the profile and lcms2's 8-bit transform round).
void ExpectColoursShown(const std::vector<uint8_t>& profile, const fs::path& colours, const std::string& name)
{
    std::ifstream in(colours);
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream values(line);
        int stored[3], shown[3];
        values >> stored[0] >> stored[1] >> stored[2] >> shown[0] >> shown[1] >> shown[2];
        uint8_t bgr[3] = {uint8_t(stored[2]), uint8_t(stored[1]), uint8_t(stored[0])};
        ASSERT_TRUE(ConvertToSrgb(profile, TSrgbLayout::Bgr, bgr, 1, 1, 3)) << name << ": profile not usable";
        for (int c = 0; c < 3; ++c)
            EXPECT_LE(std::abs(bgr[2 - c] - shown[c]), 2)
                << name << ": " << line << " shows channel " << c << " as " << int(bgr[2 - c]);
        ++checked;
    }
    EXPECT_GE(checked, 3) << colours;
}

class LibraryGoldenFiles : public ::testing::TestWithParam<Folder> {
protected:
    static void SetUpTestSuite() { InitializeImageFormats(); }
    static void TearDownTestSuite() { FinalizeImageFormats(); }
};

TEST_P(LibraryGoldenFiles, EveryCaseIsItsReferencePictureWithItsColourProfile)
{
    const fs::path folder = fs::path(ORVANE_TEST_FILES_DIR) / GetParam().name;
    int cases = 0;
    for (const auto& item : fs::directory_iterator(folder)) {
        const fs::path file = item.path();
        if (file.extension() != GetParam().extension)
            continue;
        ++cases;
        const std::string name = file.filename().string();
        std::unique_ptr<TBitmap> picture;
        try {
            picture = TPictureLoader::Instance().LoadFromFile(file.string());
        } catch (const std::exception& e) {
            ADD_FAILURE() << name << ": " << e.what();
            continue;
        }
        ExpectPicture(*picture, ReadPam(fs::path(file).replace_extension(".pam").string()), ToleranceOf(file), name);

        const fs::path icc = fs::path(file).replace_extension(".icc");
        const fs::path colours = fs::path(file).replace_extension(".colours");
        if (fs::exists(icc))
            EXPECT_EQ(picture->IccProfile(), orvane::test::ReadFileBytes(icc.string())) << name;
        else if (fs::exists(colours))
            ExpectColoursShown(picture->IccProfile(), colours, name);
        else
            EXPECT_TRUE(picture->IccProfile().empty()) << name << " is plain sRGB";
    }
    EXPECT_GE(cases, 5) << "golden files missing in " << folder;
}

INSTANTIATE_TEST_SUITE_P(LibraryFormats, LibraryGoldenFiles,
                         ::testing::Values(Folder{"heif", ".heic"}, Folder{"avif", ".avif"}, Folder{"jxl", ".jxl"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
