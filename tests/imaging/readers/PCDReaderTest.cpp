// Photo-CD reader: the format check, the properties of each resolution, the
// base image in its four rotations, chroma upsampling, damaged files and
// progress.
#include "imaging/readers/PCDGraphic.h"
#include "imaging/readers/PNGTestFiles.h"
#include "imaging/readers/ReaderTestSupport.h"

#include <gtest/gtest.h>

using namespace orvane::imaging;
using namespace orvane::test::readers;

namespace {

Bytes Base() { return GoldenFile("pcd", "base_rot0.pcd.gz"); }
Bytes Overview() { return GoldenFile("pcd", "overview_rot0.pcd"); }

TEST(PCDReader, AcceptsImagePacsAndOverviewsAndKeepsThePosition)
{
    for (const Bytes& file : {Base(), Overview()}) {
        TMemoryStream stream(file);
        EXPECT_TRUE(TPCDGraphic::AcceptsStream(stream));
        EXPECT_EQ(stream.Position(), 0);
        TMemoryStream threeSectors(Bytes(file.begin(), file.begin() + 6144));
        EXPECT_FALSE(TPCDGraphic::AcceptsStream(threeSectors));
    }
    Bytes unsigned_ = Base();
    unsigned_[2048] = 'X';
    TMemoryStream stream(unsigned_);
    EXPECT_FALSE(TPCDGraphic::AcceptsStream(stream));
    EXPECT_EQ(LoadError<TPCDGraphic>(unsigned_), "Cannot load image. Invalid or unexpected  image format.");
}

TEST(PCDReader, PropertiesOfEveryResolution)
{
    Bytes file = Base();
    file[10] = 1;
    file[11] = 2; // image count, big-endian
    TPCDGraphic reader;
    for (int index = 0; index <= 5; ++index) {
        TMemoryStream stream(file);
        ASSERT_TRUE(reader.ReadHeader(stream, index));
        const TImageProperties& p = reader.ImageProperties();
        EXPECT_EQ(p.Width, 192 << index);
        EXPECT_EQ(p.Height, 128 << index);
        EXPECT_EQ(p.Compression, index < 3 ? TCompressionType::ctNone : TCompressionType::ctPCDHuffmann);
        EXPECT_EQ(p.ColorScheme, TColorScheme::csPhotoYCC);
        EXPECT_EQ(p.ImageCount, 258);
        EXPECT_FALSE(p.Overview);
    }
    file[3586] = 0xF1; // only the low two bits are the rotation
    TMemoryStream turned(file);
    ASSERT_TRUE(reader.ReadHeader(turned, 2));
    EXPECT_EQ(reader.ImageProperties().Rotate, 1);
    EXPECT_EQ(reader.ImageProperties().Width, 512);
    EXPECT_EQ(reader.ImageProperties().Height, 768);
    // An overview file has thumbnails only.
    TMemoryStream overview(Overview());
    ASSERT_TRUE(reader.ReadHeader(overview, 4));
    EXPECT_TRUE(reader.ImageProperties().Overview);
    EXPECT_EQ(reader.ImageProperties().Width, 192);
}

// The base picture as stored (768 x 512), as RGBA.
Bytes StoredBase()
{
    int width = 0, height = 0;
    const Bytes rgba = GoldenPicture("pcd", "base_rot0.png", width, height);
    EXPECT_EQ(width, 768);
    EXPECT_EQ(height, 512);
    return rgba;
}

TEST(PCDReader, TheBaseImageIsTurnedByItsRotation)
{
    const Bytes stored = StoredBase();
    auto pixel = [&](const Bytes& rgba, int width, int x, int y) {
        return Bytes(rgba.begin() + (y * width + x) * 4, rgba.begin() + (y * width + x) * 4 + 4);
    };
    for (uint8_t rotation : {1, 2, 3}) {
        Bytes file = Base();
        file[3586] = rotation;
        auto picture = Load<TPCDGraphic>(file);
        const bool turned = rotation != 2;
        ASSERT_EQ(picture->Width(), turned ? 512 : 768);
        ASSERT_EQ(picture->Height(), turned ? 768 : 512);
        const Bytes seen = orvane::test::png::SeenRGBA(*picture);
        if (!turned) {
            EXPECT_TRUE(seen == stored) << "rotation 2 is shown as stored";
            continue;
        }
        int wrong = 0;
        for (int y = 0; y < 512 && wrong < 3; ++y)
            for (int x = 0; x < 768 && wrong < 3; ++x) {
                // 1: (x, y) goes to column y, row 767 - x; 3: to column 511 - y, row x.
                const int column = rotation == 1 ? y : 511 - y;
                const int row = rotation == 1 ? 767 - x : x;
                if (pixel(seen, 512, column, row) != pixel(stored, 768, x, y)) {
                    ADD_FAILURE() << "rotation " << int(rotation) << ": stored " << x << "," << y;
                    ++wrong;
                }
            }
    }
}

TEST(PCDReader, ChromaUpsamplingAveragesItsNeighbours)
{
    const uint8_t plane[4] = {0, 100, 50, 201};
    uint8_t out[16];
    TPCDGraphic::Upsample(plane, 2, 2, out);
    const uint8_t want[16] = {
        0,  50,  100, 100, // stored, mean of two, stored, last column copied
        25, 88,  151, 151, // means of two and of four ((0 + 100 + 50 + 201 + 2) / 4)
        50, 126, 201, 201, // (50 + 201 + 1) / 2 = 126
        50, 126, 201, 201, // the last row copies the one above
    };
    EXPECT_EQ(Bytes(out, out + 16), Bytes(want, want + 16));
}

TEST(PCDReader, TruncatedImageDataIsAReadError)
{
    const Bytes file = Overview();
    bool empty = false;
    EXPECT_EQ(LoadError<TPCDGraphic>(Bytes(file.begin(), file.end() - 1), &empty), "Stream read error");
    EXPECT_TRUE(empty);
}

TEST(PCDReader, ReportsLoadingUpsamplingAndTransfer)
{
    const auto log = ProgressOf<TPCDGraphic>(Overview());
    EXPECT_EQ(Steps(log),
              (std::vector<std::string>{"Preparing...", "Loading data...", "Upsampling...", "Transfering..."}));
    EXPECT_EQ(log.back(), "2:100:");
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& s) { return s.rfind("1:", 0) == 0; }),
              128);
}

} // namespace
