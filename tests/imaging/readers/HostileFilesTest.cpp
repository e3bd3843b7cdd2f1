// Hostile files (tests/files/*/regress-*, made by generate_hostile.py): a few
// kilobytes whose headers claim far more picture than the data holds. Each is
// refused with its reason, or shown with the rows its data holds and the rest
// left black, through the picture loader as the viewer loads them.
#include "imaging/core/Bitmap.h"
#include "imaging/core/PictureLoader.h"
#include "imaging/registry/FormatRegistration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace orvane::imaging;

namespace {

const std::string Dir = std::string(ORVANE_TEST_FILES_DIR) + "/";

class HostileFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitializeImageFormats(); }
    static void TearDownTestSuite() { FinalizeImageFormats(); }
};

std::string LoadError(const std::string& name)
{
    try {
        TPictureLoader::Instance().LoadFromFile(Dir + name);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

bool RowIs(const TBitmap& bitmap, int row, size_t from, size_t to, uint8_t value)
{
    const uint8_t* line = bitmap.ScanLine(row);
    return std::all_of(line + from, line + to, [value](uint8_t b) { return b == value; });
}

} // namespace

TEST_F(HostileFiles, RefusedWithTheirReason)
{
    struct Case { const char* file; const char* message; };
    const Case cases[] = {
        {"autodesk/regress-cel-four-bits.cel", "Cannot load image. Invalid or unexpected Autodesk image format."},
        {"jpeg/regress-progressive-claimed-size.jpg", "JPEG error: Premature end of JPEG file"},
        {"jpeg/regress-thousands-of-scans.jpg", "JPEG error: More than 100 scans"},
        // A 48 x 32 picture whose damaged item locations give libheif a coded
        // stream of 28009 x 26161 pixels.
        {"heif/regress-coded-size-beyond-boxes.heic", "The picture is too large to be shown"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadError(c.file), c.message) << c.file;
}

TEST_F(HostileFiles, TiffStripsThatEndEarlyShowTheirRowsAndBlackBeyond)
{
    // 4 KB of PackBits repeats of the value 0x40 decode to 262144 bytes: four
    // whole rows of 65535 pixels and 4 pixels of the fifth.
    const auto packbits = TPictureLoader::Instance().LoadFromFile(Dir + "tiff/regress-packbits-claimed-size.tif");
    ASSERT_EQ(packbits->Width(), 65535);
    ASSERT_EQ(packbits->Height(), 65535);
    for (int row = 0; row < 4; ++row)
        EXPECT_TRUE(RowIs(*packbits, row, 0, 65535, 0x40)) << row;
    EXPECT_TRUE(RowIs(*packbits, 4, 0, 4, 0x40));
    EXPECT_TRUE(RowIs(*packbits, 4, 4, 65535, 0));
    EXPECT_TRUE(RowIs(*packbits, 65534, 0, 65535, 0));

    // End-of-line codes only: white rows, as far as they go, then the
    // bitmap's own zero, which is white for this min-is-white picture too.
    const auto fax = TPictureLoader::Instance().LoadFromFile(Dir + "tiff/regress-ccitt-claimed-size.tif");
    ASSERT_EQ(fax->Width(), 65535);
    ASSERT_EQ(fax->Height(), 65535);
    ASSERT_EQ(fax->PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(fax->Palette()[0], (TRGBQuad{255, 255, 255, 0}));
    EXPECT_TRUE(RowIs(*fax, 0, 0, 8192, 0));
    EXPECT_TRUE(RowIs(*fax, 65534, 0, 8192, 0));
}

TEST_F(HostileFiles, TiffStripsSharingTheirDataDecodeNoMoreThanTheFileCanHold)
{
    // 4096 strips point at one 1 KB deflate stream of 1 MB: the first strips
    // are shown, and decoding stops long before 4 GB.
    const auto tiff = TPictureLoader::Instance().LoadFromFile(Dir + "tiff/regress-strips-share-their-data.tif");
    ASSERT_EQ(tiff->Height(), 65535);
    EXPECT_TRUE(RowIs(*tiff, 0, 0, 65535, 0x40));
    EXPECT_TRUE(RowIs(*tiff, 511, 0, 65535, 0x40));
    EXPECT_TRUE(RowIs(*tiff, 4095, 0, 65535, 0));
    EXPECT_TRUE(RowIs(*tiff, 65534, 0, 65535, 0));
}

TEST_F(HostileFiles, PngWhoseImageDataEndsEarlyShowsItsRowsAndBlackBeyond)
{
    const auto png = TPictureLoader::Instance().LoadFromFile(Dir + "png/regress-png-data-ends-early.png");
    ASSERT_EQ(png->Width(), 65535);
    ASSERT_EQ(png->Height(), 65535);
    EXPECT_TRUE(RowIs(*png, 3, 0, 65535, 0x80));
    EXPECT_TRUE(RowIs(*png, 4, 0, 65535, 0));
    EXPECT_TRUE(RowIs(*png, 65534, 0, 65535, 0));
}

TEST_F(HostileFiles, OnlyTheRowsTheirDataReachedCountAsWritten)
{
    // The viewer reads no row outside the written ones, so each shows at
    // the cost of its data, not of the 65535 rows it claims.
    struct Case { const char* file; int writtenEnd; };
    const Case cases[] = {
        {"tiff/regress-packbits-claimed-size.tif", 5},
        {"tiff/regress-strips-share-their-data.tif", 4096},
        {"png/regress-png-data-ends-early.png", 5}, // the row the data ended in
        {"tiff/regress-ccitt-claimed-size.tif", 4096},
    };
    for (const Case& c : cases) {
        const auto picture = TPictureLoader::Instance().LoadFromFile(Dir + c.file);
        EXPECT_EQ(picture->WrittenRowsBegin(), 0) << c.file;
        EXPECT_LE(picture->WrittenRowsEnd(), c.writtenEnd) << c.file;
    }
}

TEST_F(HostileFiles, ProgressiveBuffersStayWithinTheMemoryLimit)
{
    // 1024 x 1024 gray: a 1 MB bitmap, but libjpeg keeps 2 MB of
    // coefficients for a progressive picture.
    const std::string file = "jpeg/progressive-flat-1024.jpg";
    const auto flat = TPictureLoader::Instance().LoadFromFile(Dir + file);
    ASSERT_EQ(flat->Width(), 1024);
    EXPECT_TRUE(RowIs(*flat, 1023, 0, 1024, 128)); // every DC difference 0: mid gray
    TBitmap::SetMaxImageBytes(size_t{3} << 19);
    EXPECT_EQ(LoadError(file), "The picture is too large to be shown (1024 x 1024 pixels)");
    TBitmap::SetMaxImageBytes(0);
}
