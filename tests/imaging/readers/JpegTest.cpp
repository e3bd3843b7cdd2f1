#include "imaging/core/PictureLoader.h"
#include "imaging/readers/JPEGImage.h"
#include "imaging/registry/PlatformPictureClasses.h"
#include "support/TempTree.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

using namespace orvane::imaging;
using orvane::test::RgbImage;

namespace {

// Mean absolute difference between a decoded 24-bit bitmap and the source.
double MeanError(const TBitmap& bitmap, const RgbImage& image)
{
    double sum = 0;
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
            sum += std::abs(row[x * 3] - p[2]) + std::abs(row[x * 3 + 1] - p[1]) + std::abs(row[x * 3 + 2] - p[0]);
        }
    }
    return sum / (3.0 * image.width * image.height);
}

} // namespace

TEST(JpegPicture, ColourFileDecodesToBgrRowsCloseToTheSource)
{
    const auto image = RgbImage::Gradient(67, 41);
    TMemoryStream stream(orvane::test::EncodeJpeg(image, 98));
    TJPEGImage jpeg;
    jpeg.LoadFromStream(stream);
    ASSERT_EQ(jpeg.Width(), 67);
    ASSERT_EQ(jpeg.Height(), 41);
    EXPECT_EQ(jpeg.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_LT(MeanError(jpeg, image), 3.0);
}

TEST(JpegPicture, GrayFileBecomesEightBitWithGrayPalette)
{
    TMemoryStream stream(orvane::test::EncodeJpeg(RgbImage::Gradient(16, 16), 95, true));
    TJPEGImage jpeg;
    jpeg.LoadFromStream(stream);
    EXPECT_EQ(jpeg.PixelFormat(), TPixelFormat::pf8bit);
    ASSERT_EQ(jpeg.Palette().size(), 256u);
    EXPECT_EQ(jpeg.Palette()[200], (TRGBQuad{200, 200, 200, 0}));
}

TEST(JpegPicture, DamagedFilesRaiseTheReadersErrorInsteadOfCrashing)
{
    auto bytes = orvane::test::EncodeJpeg(RgbImage::Gradient(64, 64));
    struct Case {
        const char* name;
        std::vector<uint8_t> data;
    };
    std::vector<Case> cases{
        {"empty", {}},
        {"not a jpeg", {'h', 'e', 'l', 'l', 'o'}},
        {"header only", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20)},
        {"truncated", std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2))},
    };
    for (auto& c : cases) {
        TMemoryStream stream(c.data);
        TJPEGImage jpeg;
        EXPECT_THROW(jpeg.LoadFromStream(stream), EInvalidGraphic) << c.name;
    }
}

TEST(JpegPicture, ReportsProgressFromStartToEndAndRowsInOrder)
{
    TMemoryStream stream(orvane::test::EncodeJpeg(RgbImage::Gradient(32, 200)));
    TJPEGImage jpeg;
    std::vector<int> stages;
    int lastPercent = -1;
    bool ordered = true;
    jpeg.OnProgress = [&](TBitmap*, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::string&) {
        stages.push_back(static_cast<int>(stage));
        if (stage == TProgressStage::psRunning) {
            ordered = ordered && percent >= lastPercent;
            lastPercent = percent;
        }
    };
    jpeg.LoadFromStream(stream);
    ASSERT_GE(stages.size(), 3u);
    EXPECT_EQ(stages.front(), 0);
    EXPECT_EQ(stages.back(), 2);
    EXPECT_TRUE(ordered);
    EXPECT_EQ(lastPercent, 100);
}

TEST(JpegPicture, AbsurdDimensionsEndWithAClearErrorBeforeAllocating)
{
    // A valid 8x8 file whose frame header claims 65000 x 65000 pixels.
    auto bytes = orvane::test::EncodeJpeg(RgbImage::Gradient(8, 8));
    for (size_t i = 0; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = 0xFD; bytes[i + 6] = 0xE8; // height
            bytes[i + 7] = 0xFD; bytes[i + 8] = 0xE8; // width
            break;
        }
    }
    TBitmap::SetMaxImageBytes(size_t{1} << 30);
    TMemoryStream stream(bytes);
    TJPEGImage jpeg;
    try {
        jpeg.LoadFromStream(stream);
        ADD_FAILURE() << "no error";
    } catch (const EInvalidGraphic& error) {
        EXPECT_NE(std::string(error.what()).find("too large"), std::string::npos) << error.what();
    }
    TBitmap::SetMaxImageBytes(0);
}

TEST(PictureLoader, ChoosesTheClassByExtensionIgnoringCase)
{
    RegisterPlatformPictureClasses();
    orvane::test::TempTree tree;
    orvane::test::WriteJpeg(tree.Path("Photo.JPG"), RgbImage::Gradient(10, 7));
    auto picture = TPictureLoader::Instance().LoadFromFile(tree.Path("Photo.JPG"));
    EXPECT_EQ(picture->Width(), 10);
    EXPECT_EQ(picture->Height(), 7);
    EXPECT_STREQ(picture->GraphicClass().ClassName, "TJPEGImage");
}

TEST(JpegPicture, ScaleCoversThePictureFittedIntoTheViewingArea)
{
    struct Case {
        unsigned width, height;
        int coverWidth, coverHeight;
        unsigned eighths;
    };
    const Case cases[] = {
        {6000, 4000, 257, 205, 1},   // 750 x 500 covers the fitted 257 x 172
        {1600, 1200, 257, 205, 2},   // 400 x 300 covers 257 x 193; 200 x 150 would not
        {640, 480, 257, 205, 4},     // 320 x 240
        {6000, 4000, 1920, 1080, 3}, // 2250 x 1500 covers 1620 x 1080; 1500 x 1000 would not
        {200, 150, 257, 205, 8},     // smaller than the area: full size
        {4000, 3000, 0, 0, 8},       // no cover: full size
        {8000, 100, 1000, 1000, 1},  // a panorama limited by its width: 1000 x 13
        {100, 8000, 1000, 1000, 1},  // and by its height
        {8001, 99, 1000, 1000, 1},   // rounding up keeps it covered
    };
    for (const Case& c : cases)
        EXPECT_EQ(JpegScaleFor(c.width, c.height, c.coverWidth, c.coverHeight), c.eighths)
            << c.width << "x" << c.height << " in " << c.coverWidth << "x" << c.coverHeight;
}

TEST(JpegPicture, AReducedDecodeIsLibjpegsOwnScaledOutputAndKeepsTheFileSize)
{
    const auto image = RgbImage::Gradient(803, 611);
    const auto bytes = orvane::test::EncodeJpeg(image, 90);
    for (const int cover : {120, 300, 0}) {
        TMemoryStream stream(bytes);
        TJPEGImage jpeg;
        jpeg.SetDecodeCover(cover, cover);
        jpeg.LoadFromStream(stream);
        const unsigned eighths = JpegScaleFor(803, 611, cover, cover);
        // libjpeg alone, same scale, to BGR.
        jpeg_decompress_struct info{};
        jpeg_error_mgr error{};
        info.err = jpeg_std_error(&error);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGR;
        info.scale_num = eighths;
        info.scale_denom = 8;
        jpeg_start_decompress(&info);
        ASSERT_EQ(jpeg.Width(), static_cast<int>(info.output_width)) << cover;
        ASSERT_EQ(jpeg.Height(), static_cast<int>(info.output_height)) << cover;
        std::vector<uint8_t> row(static_cast<size_t>(info.output_width) * 3);
        bool same = true;
        while (info.output_scanline < info.output_height) {
            const int y = static_cast<int>(info.output_scanline);
            JSAMPROW rows[1] = {row.data()};
            jpeg_read_scanlines(&info, rows, 1);
            same = same && std::memcmp(row.data(), jpeg.ScanLine(y), row.size()) == 0;
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        EXPECT_TRUE(same) << cover;
        EXPECT_EQ(jpeg.SourceWidth(), 803);
        EXPECT_EQ(jpeg.SourceHeight(), 611);
        EXPECT_EQ(jpeg.Reduced(), cover != 0) << cover;
    }
}

TEST(JpegPicture, TheExifOrientationIsKeptAndTheCoverIsTheUprightPictures)
{
    // Stored 800 x 400, upright (turned a quarter) 400 x 800. Fitted into a
    // 400 x 100 area it is 50 x 100, which an eighth covers (100 x 50
    // stored); fitted as stored it would have needed a quarter.
    const auto bytes = orvane::test::EncodeJpeg(RgbImage::Gradient(800, 400), 90, false, orvane::test::ExifApp1(6));
    TMemoryStream stream(bytes);
    TJPEGImage jpeg;
    jpeg.SetDecodeCover(400, 100);
    jpeg.LoadFromStream(stream);
    EXPECT_EQ(jpeg.Orientation(), 6);
    EXPECT_EQ(jpeg.Width(), 100);
    EXPECT_EQ(jpeg.Height(), 50);
    EXPECT_EQ(jpeg.SourceWidth(), 800);
    // An APP1 segment that is no EXIF block leaves the picture as stored.
    TMemoryStream plain(orvane::test::EncodeJpeg(RgbImage::Gradient(8, 8), 90, false, {'X', 'M', 'P', 0}));
    jpeg.LoadFromStream(plain);
    EXPECT_EQ(jpeg.Orientation(), 1);
}

TEST(JpegPicture, TheColourProfileIsKeptWholeFromItsPiecesAndThePixelsStayAsStored)
{
    // Larger than one APP2 segment holds, so it is written in two pieces.
    std::vector<uint8_t> profile = orvane::test::SwappedRedGreenProfile();
    profile.resize(70000, 0);
    const RgbImage red{8, 8, [] { std::vector<uint8_t> v; for (int i = 0; i < 64; ++i) v.insert(v.end(), {255, 0, 0}); return v; }()};
    TMemoryStream stream(orvane::test::EncodeJpeg(red, 95, false, {}, profile));
    TJPEGImage jpeg;
    jpeg.LoadFromStream(stream);
    EXPECT_EQ(jpeg.IccProfile(), profile);
    EXPECT_GT(jpeg.ScanLine(4)[4 * 3 + 2], 240); // still red: the display converts
}
