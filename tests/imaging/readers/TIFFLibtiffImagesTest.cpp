#include "TIFFTestSupport.h"

#include <filesystem>

using namespace orvane::imaging;
using namespace orvane::test;

namespace {

const std::string Dir = std::string(ORVANE_TESTDATA_DIR) + "/libtiff/";
const char* const CompressionRefused = "Cannot load image. The compression scheme is not supported for TIF/TIFF files.";

} // namespace

TEST(TIFFLibtiffImages, DecodableFilesMatchLibtiff)
{
    struct Case {
        const char* file;
        // 16-bit samples and colour map entries become 8-bit as v * 255 / 65535
        // here and by rounding or v >> 8 in libtiff.
        int tolerance;
        TPixelFormat format;
    };
    const Case cases[] = {
        {"minisblack-1c-8b.tiff", 0, TPixelFormat::pf8bit},
        {"minisblack-1c-16b.tiff", 1, TPixelFormat::pf8bit},
        {"minisblack-2c-8b-alpha.tiff", 0, TPixelFormat::pf8bit},
        {"miniswhite-1c-1b.tiff", 0, TPixelFormat::pf1bit},
        {"palette-1c-1b.tiff", 0, TPixelFormat::pf1bit},
        {"palette-1c-4b.tiff", 1, TPixelFormat::pf4bit},
        {"palette-1c-8b.tiff", 1, TPixelFormat::pf8bit},
        {"rgb-3c-8b.tiff", 0, TPixelFormat::pf24bit},
        {"rgb-3c-16b.tiff", 1, TPixelFormat::pf24bit},
        {"deflate-last-strip-extra-data.tiff", 0, TPixelFormat::pf8bit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        int width = 0, height = 0;
        const RgbaPixels expected = LibtiffRgba(Dir + c.file, &width, &height);
        ASSERT_FALSE(expected.empty());
        TFileStream stream(Dir + c.file);
        TTIFFGraphic tiff;
        ASSERT_EQ(LoadError(tiff, stream), "");
        ASSERT_EQ(tiff.Width(), width);
        ASSERT_EQ(tiff.Height(), height);
        EXPECT_EQ(tiff.PixelFormat(), c.format);
        EXPECT_LE(MaxChannelDifference(BitmapToRgba(tiff), expected, false), c.tolerance);
    }
}

TEST(TIFFLibtiffImages, CompressionsWithoutADecoderAreRefused)
{
    for (const char* file : {"lzw-single-strip.tiff", "quad-lzw-compat.tiff", "testfax4.tiff",
                             "ojpeg_chewey_subsamp21_multi_strip.tiff", "logluv-3c-16b.tiff"}) {
        SCOPED_TRACE(file);
        TFileStream stream(Dir + file);
        TTIFFGraphic tiff;
        EXPECT_EQ(LoadError(tiff, stream), CompressionRefused);
    }
}

TEST(TIFFLibtiffImages, TiledFilesLoadAsEmptyBitmapsWhateverTheirCompression)
{
    for (const char* file : {"quad-tile.jpg.tiff", "ojpeg_zackthecat_subsamp22_single_strip.tiff"}) {
        SCOPED_TRACE(file);
        TFileStream stream(Dir + file);
        TTIFFGraphic tiff;
        std::vector<int> stages;
        tiff.OnProgress = [&](TBitmap*, TProgressStage stage, uint8_t, bool, const TRect&, const std::string&) {
            stages.push_back(static_cast<int>(stage));
        };
        EXPECT_EQ(LoadError(tiff, stream), "");
        EXPECT_TRUE(tiff.Empty());
        EXPECT_NE(tiff.ImageProperties().Options & ioTiled, 0);
        EXPECT_EQ(stages, std::vector<int>{2});
    }
}

TEST(TIFFLibtiffImages, EveryFileIsRecognised)
{
    for (const auto& entry : std::filesystem::directory_iterator(Dir)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".tiff")
            continue;
        SCOPED_TRACE(name);
        TFileStream stream(entry.path().string());
        stream.Seek(0, TSeekOrigin::soBeginning);
        EXPECT_TRUE(TTIFFGraphic::AcceptsStream(stream));
        EXPECT_EQ(stream.Position(), 0);
    }
}
