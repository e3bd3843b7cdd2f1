#include "imaging/core/PictureLoader.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

using namespace orvane::imaging;

TEST(PictureLoader, UnknownExtensionNamesIt)
{
    orvane::test::TempTree tree({"notes.xyz", "folder.d/noext"});
    try {
        TPictureLoader::Instance().LoadFromFile(tree.Path("notes.xyz"));
        ADD_FAILURE();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
    }
    try {
        TPictureLoader::Instance().LoadFromFile(tree.Path("folder.d/noext"));
        ADD_FAILURE();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.)");
    }
}

TEST(PictureLoader, ExtensionIsTakenFromTheNameNotTheFolders)
{
    EXPECT_EQ(ExtractExtension("/a.b/c"), "");
    EXPECT_EQ(ExtractExtension("/a/IMG.0001.JPG"), "JPG");
    EXPECT_EQ(ExtractExtension("/a/.jpg"), "jpg");
    EXPECT_EQ(ExtractExtension("name."), "");
}

TEST(Bitmap, SizeAndStrideFollowThePixelFormat)
{
    TBitmap bitmap;
    struct Case { TPixelFormat format; int width; int stride; };
    for (auto c : {Case{TPixelFormat::pf1bit, 33, 8}, Case{TPixelFormat::pf4bit, 9, 8}, Case{TPixelFormat::pf8bit, 5, 8},
                   Case{TPixelFormat::pf15bit, 3, 8}, Case{TPixelFormat::pf24bit, 5, 16}, Case{TPixelFormat::pf32bit, 3, 12}}) {
        bitmap.SetPixelFormat(c.format);
        bitmap.SetSize(c.width, 2);
        EXPECT_EQ(bitmap.BytesPerLine(), c.stride);
        EXPECT_EQ(bitmap.ScanLine(1) - bitmap.ScanLine(0), c.stride);
    }
    EXPECT_THROW(bitmap.ScanLine(2), EInvalidGraphic);
    EXPECT_THROW(bitmap.SetSize(-1, 5), EInvalidGraphic);
}
