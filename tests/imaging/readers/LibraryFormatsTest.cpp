// The HEIF, AVIF and JPEG XL readers. Golden files (tests/files/heif, avif
// and jxl, made by the generate.sh there): each picture, loaded as the viewer
// loads it, is what the format's own decoder made of it (its .pam), within
// its <case>.tolerance where the two round differently; it carries the
// profile <case>.icc, or one showing the stored colours of <case>.colours as
// the sRGB ones beside them, or, plain sRGB, none. Damaged and hostile files
// made from them are refused with their reason before a picture of the size
// they claim is allocated.
#include "imaging/color/SrgbConversion.h"
#include "imaging/core/PictureLoader.h"
#include "imaging/readers/GoldenPam.h"
#include "imaging/readers/HEIFImage.h"
#include "imaging/readers/JXLImage.h"
#include "imaging/readers/ReaderTestSupport.h"
#include "imaging/registry/FormatRegistration.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace orvane::imaging;
using namespace orvane::test::readers;
namespace fs = std::filesystem;

namespace {

const fs::path Files = ORVANE_TEST_FILES_DIR;

// Each stored colour converted by the profile comes within 2 of the sRGB
// colour listed beside it (lcms2's 8-bit transform rounds).
void ExpectColoursShown(const std::vector<uint8_t>& profile, const fs::path& colours, const std::string& name)
{
    std::ifstream in(colours);
    int checked = 0;
    for (std::string line; std::getline(in, line);) {
        std::istringstream values(line);
        int stored[3], shown[3];
        if (!(values >> stored[0] >> stored[1] >> stored[2] >> shown[0] >> shown[1] >> shown[2]))
            continue; // a comment
        uint8_t bgr[3] = {uint8_t(stored[2]), uint8_t(stored[1]), uint8_t(stored[0])};
        ASSERT_TRUE(ConvertToSrgb(profile, TSrgbLayout::Bgr, bgr, 1, 1, 3)) << name << ": profile not usable";
        for (int c = 0; c < 3; ++c)
            EXPECT_LE(std::abs(bgr[2 - c] - shown[c]), 2) << name << ": " << line << ", channel " << c;
        ++checked;
    }
    EXPECT_GE(checked, 3) << colours;
}

struct Folder {
    const char* name;
    const char* extension; // of its cases
};

class LibraryGoldenFiles : public ::testing::TestWithParam<Folder> {
protected:
    static void SetUpTestSuite() { InitializeImageFormats(); }
    static void TearDownTestSuite() { FinalizeImageFormats(); }
};

TEST_P(LibraryGoldenFiles, EveryCaseIsItsReferencePictureWithItsColourProfile)
{
    int cases = 0;
    for (const auto& item : fs::directory_iterator(Files / GetParam().name)) {
        const fs::path file = item.path();
        if (file.extension() != GetParam().extension || file.filename().string().starts_with("regress-"))
            continue; // hostile files: HostileFilesTest
        ++cases;
        const std::string name = file.filename().string();
        auto beside = [&](const char* extension) { return fs::path(file).replace_extension(extension); };
        const std::unique_ptr<TBitmap> picture = LoadCase(file.string(), name);
        if (!picture)
            continue;
        int tolerance = 0;
        std::ifstream(beside(".tolerance")) >> tolerance;
        ExpectPicture(*picture, ReadPam(beside(".pam").string()), tolerance, name);
        if (fs::exists(beside(".icc")))
            EXPECT_EQ(picture->IccProfile(), orvane::test::ReadFileBytes(beside(".icc").string())) << name;
        else if (fs::exists(beside(".colours")))
            ExpectColoursShown(picture->IccProfile(), beside(".colours"), name);
        else
            EXPECT_TRUE(picture->IccProfile().empty()) << name << " is plain sRGB";
    }
    EXPECT_GE(cases, 5) << "golden files missing in " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(LibraryFormats, LibraryGoldenFiles,
                         ::testing::Values(Folder{"heif", ".heic"}, Folder{"avif", ".avif"}, Folder{"jxl", ".jxl"}),
                         [](const auto& info) { return std::string(info.param.name); });

Bytes Golden(const std::string& path) { return orvane::test::ReadFileBytes((Files / path).string()); }

Bytes FirstPart(Bytes bytes, size_t numerator, size_t denominator)
{
    bytes.resize(bytes.size() * numerator / denominator);
    return bytes;
}

// Deterministic noise over bytes [from, end).
Bytes Scrambled(Bytes bytes, size_t from)
{
    uint32_t state = 12345;
    for (size_t i = from; i < bytes.size(); ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}

// Every image spatial extents box ('ispe') of the file claims width x height.
Bytes ClaimingSize(Bytes bytes, uint32_t width, uint32_t height)
{
    for (size_t at = 4; at + 16 <= bytes.size(); ++at)
        if (std::memcmp(&bytes[at], "ispe", 4) == 0) {
            Put32BE(bytes, at + 8, width);
            Put32BE(bytes, at + 12, height);
        }
    return bytes;
}

// A bare JPEG XL code stream whose size header claims 65535 x 65535 (both
// in the 30-bit form), with default metadata, then noise.
Bytes JxlClaiming65535Square()
{
    Bytes bytes{0xFF, 0x0A, 0xF6, 0xFF, 0x07, 0x00, 0xB0, 0xFF, 0x3F, 0x00, 0x10};
    bytes.resize(bytes.size() + 256);
    return Scrambled(bytes, 11);
}

class LibraryBadInput : public ::testing::Test {
protected:
    // Claimed sizes beyond this are refused from the header.
    void SetUp() override { TBitmap::SetMaxImageBytes(size_t{256} << 20); }
    void TearDown() override { TBitmap::SetMaxImageBytes(0); }
};

TEST_F(LibraryBadInput, IsRefusedWithItsReason)
{
    const Bytes heic = Golden("heif/lossless.heic"), avif = Golden("avif/alpha.avif"), jxl = Golden("jxl/lossless.jxl");
    const char* const invalidJxl = "Cannot load image. Invalid or unexpected JPEG XL image format.";
    struct BadFile {
        const char* what;
        Bytes bytes;
        bool jxl;
        const char* message; // the start of the message
    };
    const BadFile files[] = {
        {"HEIC cut short", FirstPart(heic, 1, 2), false, "HEIF error: Invalid input: Unexpected end of file"},
        {"AVIF cut short", FirstPart(avif, 1, 2), false, "HEIF error: Invalid input: Unexpected end of file"},
        {"HEIC boxes scrambled", Scrambled(heic, 32), false, "HEIF error: "},
        {"AVIF boxes scrambled", Scrambled(avif, 32), false, "HEIF error: "},
        {"no file type box", Scrambled(heic, 0), false, "Cannot load image. Invalid or unexpected HEIF image format."},
        {"HEIC claiming 20000 x 20000", ClaimingSize(heic, 20000, 20000), false,
         "The picture is too large to be shown (20000 x 20000 pixels)"},
        {"AVIF beyond libheif's limit", ClaimingSize(avif, 65535, 65535), false, "The picture is too large to be shown"},
        {"JPEG XL cut short", FirstPart(jxl, 1, 2), true, "JPEG XL error: Premature end of JPEG XL file"},
        {"JPEG XL data scrambled", Scrambled(jxl, jxl.size() / 2), true, invalidJxl},
        {"no JPEG XL signature", Scrambled(jxl, 0), true, invalidJxl},
        {"JPEG XL claiming 65535 x 65535", JxlClaiming65535Square(), true,
         "The picture is too large to be shown (65535 x 65535 pixels)"},
    };
    for (const BadFile& file : files) {
        const std::string message = file.jxl ? LoadError<TJXLImage>(file.bytes) : LoadError<THEIFImage>(file.bytes);
        EXPECT_TRUE(message.starts_with(file.message)) << file.what << ": " << message;
    }
}

TEST_F(LibraryBadInput, JpegXlCutShortAfterItsFirstGroupsShowsTheWholePictureRoughly)
{
    const Pam expected = ReadPam((Files / "jxl/groups.pam").string());
    const auto picture = Load<TJXLImage>(FirstPart(Golden("jxl/groups.jxl"), 2, 3));
    ASSERT_EQ(picture->Width(), expected.width);
    ASSERT_EQ(picture->Height(), expected.height);
    EXPECT_EQ(picture->WrittenRowsEnd(), expected.height);
    // Its coarse version: far nearer the picture than black would be.
    long difference = 0;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            for (int c = 0; c < 3; ++c)
                difference += std::abs(Seen(*picture, x, y)[c] - expected.pixels[(size_t(y) * expected.width + x) * 3 + c]);
    EXPECT_LT(difference / (long(expected.width) * expected.height * 3), 16);
}

} // namespace
