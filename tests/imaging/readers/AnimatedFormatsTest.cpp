// WebP and GIF through their libraries (tests/files/webp and gif, each made
// by the make.sh there): every picture is what the format's own decoder made
// of it, an animation steps through its frames as the reference composes
// them, and damaged, cut-short or hostile files end as a user should see.
#include "imaging/core/Animation.h"
#include "imaging/core/PictureLoader.h"
#include "imaging/readers/GIFImage.h"
#include "imaging/readers/GoldenPam.h"
#include "imaging/readers/ReaderTestSupport.h"
#include "imaging/readers/WebPImage.h"
#include "imaging/registry/FormatRegistration.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using namespace orvane::imaging;
using namespace orvane::test::readers;
namespace fs = std::filesystem;

namespace {

const fs::path Files = ORVANE_TEST_FILES_DIR;

class AnimatedFormats : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitializeImageFormats(); }
    static void TearDownTestSuite() { FinalizeImageFormats(); }
};

// What a case carries besides its pixels; cases not listed are upright and
// plain sRGB.
struct Metadata {
    const char* file;
    int orientation;
    const char* profile; // beside the case, or nullptr
};
const Metadata metadata[] = {
    {"webp/orientation-tiff.webp", 6, nullptr},
    {"webp/orientation-app1.webp", 6, nullptr},
    {"webp/icc.webp", 1, "webp/icc.icc"},
};

TEST_F(AnimatedFormats, EveryCaseIsItsReferencePictureWithItsOrientationAndProfile)
{
    int cases = 0;
    for (const char* folder : {"webp", "gif"}) {
        for (const auto& item : fs::directory_iterator(Files / folder)) {
            const fs::path file = item.path();
            if (file.extension() != std::string(".") + folder)
                continue;
            ++cases;
            const std::string name = std::string(folder) + "/" + file.filename().string();
            const std::unique_ptr<TBitmap> picture = LoadCase(file.string(), name);
            if (!picture)
                continue;
            ExpectPicture(*picture, ReadPam(fs::path(file).replace_extension(".pam").string()), 0, name);
            Metadata expected{name.c_str(), 1, nullptr};
            for (const Metadata& m : metadata)
                if (name == m.file)
                    expected = m;
            EXPECT_EQ(picture->Orientation(), expected.orientation) << name;
            EXPECT_EQ(picture->IccProfile(),
                      expected.profile ? orvane::test::ReadFileBytes((Files / expected.profile).string()) : Bytes{})
                << name;
            EXPECT_EQ(picture->Animation() != nullptr, file.stem() == "anim") << name;
        }
    }
    EXPECT_GE(cases, 12);
}

// Where a frame is see-through its colour is nobody's concern (the reference
// keeps what was there, the readers clear it): zero on both sides.
void ZeroSeeThrough(Pam& pam)
{
    if (pam.depth == 4)
        for (size_t i = 0; i + 3 < pam.pixels.size(); i += 4)
            if (pam.pixels[i + 3] == 0)
                std::fill_n(&pam.pixels[i], 3, 0);
}
void ZeroSeeThrough(TBitmap& bitmap)
{
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (uint8_t* pixel = bitmap.ScanLine(y) + 4 * x; pixel[3] == 0)
                std::fill_n(pixel, 3, 0);
}

// An animation's frames as the reference composes them: <case>.pam for the
// first, <case>.frameN.pam for frame N.
void ExpectFrames(const TBitmap& picture, TAnimation& animation, const std::string& base, const std::vector<int>& delays)
{
    ASSERT_EQ(animation.FrameCount(), int(delays.size())) << base;
    for (int frame = 0; frame <= animation.FrameCount(); ++frame) {
        const int shown = frame % animation.FrameCount();
        if (frame > 0)
            animation.NextFrame();
        EXPECT_EQ(animation.FrameIndex(), shown) << base;
        EXPECT_EQ(animation.FrameDelay(), delays[size_t(shown)]) << base << " frame " << shown;
        const std::string name = base + (shown ? ".frame" + std::to_string(shown) : std::string()) + ".pam";
        Pam expected = ReadPam(name);
        ZeroSeeThrough(expected);
        TBitmap seen;
        seen.Assign(picture);
        ZeroSeeThrough(seen);
        ExpectPicture(seen, expected, 0, name);
    }
}

TEST_F(AnimatedFormats, AnimationsStepThroughEveryFrameWithItsDelayAndStartAgainAfterTheLast)
{
    struct Case {
        const char* file;
        int loopCount;
        std::vector<int> shownDelays;
    };
    // The GIF says "repeat once" (two plays); its last frame's delay of 0
    // is shown at the usual speed.
    const Case cases[] = {{"webp/anim.webp", 3, {100, 250, 40}}, {"gif/anim.gif", 2, {100, 200, 50, 100}}};
    for (const Case& c : cases) {
        const auto picture = TPictureLoader::Instance().LoadFromFile((Files / c.file).string());
        TAnimation* animation = picture->Animation();
        ASSERT_NE(animation, nullptr) << c.file;
        EXPECT_EQ(animation->LoopCount(), c.loopCount) << c.file;
        ExpectFrames(*picture, *animation, (Files / c.file).replace_extension("").string(), c.shownDelays);
    }
}

Bytes Cut(Bytes bytes, size_t keep)
{
    bytes.resize(keep);
    return bytes;
}

TEST_F(AnimatedFormats, AGifCutShortPlaysItsWholeFramesAndAStillShowsItsDecodedRows)
{
    const auto animated = Load<TGIFImage>(Cut(GoldenFile("gif", "anim.gif"), 331)); // into the last frame's data
    ASSERT_NE(animated->Animation(), nullptr);
    ExpectFrames(*animated, *animated->Animation(), (Files / "gif/anim").string(), {100, 200, 50});

    // Cut after the first of its two data blocks: the rows of the first
    // three passes are there.
    const auto still = Load<TGIFImage>(Cut(GoldenFile("gif", "interlaced.gif"), 520));
    const Pam expected = ReadPam((Files / "gif/interlaced.pam").string());
    ASSERT_EQ(still->Width(), expected.width);
    for (const int row : {0, 2, 4, 8, 26})
        for (int x = 0; x < expected.width; ++x) {
            const auto seen = Seen(*still, x, row);
            const uint8_t* want = &expected.pixels[(size_t(row) * size_t(expected.width) + size_t(x)) * 3];
            ASSERT_TRUE(std::equal(want, want + 3, seen.begin())) << x << "," << row;
        }
}

// Loads bytes as the reader's file and gives the error, "(no error)" when
// the picture loaded.
struct BadInput {
    const char* what;
    std::string (*error)(const Bytes&, bool*);
    Bytes bytes;
    const char* message;
};

Bytes Patched(Bytes bytes, size_t at, std::initializer_list<uint8_t> values)
{
    std::copy(values.begin(), values.end(), bytes.begin() + long(at));
    return bytes;
}

Bytes Garbage(const char* head)
{
    Bytes bytes(200);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 37 + 11);
    std::copy(head, head + std::strlen(head), bytes.begin());
    return bytes;
}

TEST_F(AnimatedFormats, BadInputIsRefusedWithItsReasonOrShownAsFarAsItsDataReaches)
{
    const size_t limit = TBitmap::MaxImageBytes();
    TBitmap::SetMaxImageBytes(size_t{64} << 20);
    const Bytes lossless = GoldenFile("webp", "lossless.webp");
    const Bytes gif = GoldenFile("gif", "still87a.gif");
    const BadInput cases[] = {
        {"WebP of a header only", LoadError<TWebPImage>, Cut(lossless, 30), "WebP error: Premature end of WebP file"},
        {"WebP cut short", LoadError<TWebPImage>, Cut(lossless, lossless.size() - 40), "(no error)"},
        {"animated WebP cut short", LoadError<TWebPImage>, Cut(GoldenFile("webp", "anim.webp"), 300),
         "WebP error: The animation is damaged or cut short"},
        {"WebP of garbage", LoadError<TWebPImage>, Garbage("RIFF\x40\0\0\0WEBPVP8 "),
         "Cannot load image. Invalid or unexpected WebP image format."},
        // 16384 x 16384 claimed in the lossless header.
        {"WebP of a huge claimed size", LoadError<TWebPImage>, Patched(lossless, 21, {0xFF, 0xFF, 0xFF, 0x0F}),
         "The picture is too large to be shown (16384 x 16384 pixels)"},
        {"GIF of a header only", LoadError<TGIFImage>, Cut(gif, 13 + 48), "GIF error: Premature end of GIF file"},
        {"GIF of garbage", LoadError<TGIFImage>, Garbage("GIF89a\x10\0\x10\0\x80\0\0"),
         "GIF error: The picture data is damaged"},
        {"GIF of a huge claimed size", LoadError<TGIFImage>, Patched(gif, 6, {0xFF, 0xFF, 0xFF, 0xFF}),
         "The picture is too large to be shown (65535 x 65535 pixels)"},
        {"not a GIF", LoadError<TGIFImage>, Garbage("GIF90a"),
         "Cannot load image. Invalid or unexpected GIF image format."},
    };
    for (const BadInput& c : cases)
        EXPECT_EQ(c.error(c.bytes, nullptr), c.message) << c.what;
    TBitmap::SetMaxImageBytes(limit);
}

} // namespace
