#include "imaging/core/PictureLoader.h"
#include "imaging/registry/FileFormatList.h"

#include <gtest/gtest.h>

using namespace orvane::imaging;

namespace {

std::unique_ptr<TBitmap> NewBitmap() { return std::make_unique<TBitmap>(); }
const TGraphicClass classA{"TClassA", &NewBitmap, nullptr};
const TGraphicClass classB{"TClassB", &NewBitmap, nullptr};

const TPictureFormat* LoaderFormat(const std::string& extension)
{
    for (const auto& format : TPictureLoader::Instance().Formats())
        if (SameTextAscii(format.Extension, extension))
            return &format;
    return nullptr;
}

class FileFormatList : public ::testing::Test {
protected:
    void SetUp() override { TPictureLoader::Instance().Clear(); }
    void TearDown() override { TPictureLoader::Instance().Clear(); }
};

TEST_F(FileFormatList, DescriptionsGoToTheLoaderIndividualFirstThenTheClassOne)
{
    TFileFormatList list;
    list.AddFormat("abc", "Alpha images", "", fkRaster, false, classA);
    list.AddFormat("abd", "", "Alpha D images", fkRaster, false, classA);
    list.AddFormat("abe", "", "", fkRaster | fkMultiImage, false, classA);
    ASSERT_EQ(list.ExtensionCount(), 3);
    ASSERT_EQ(list.ClassCount(), 1);
    EXPECT_EQ(list.Class(0).Count, 3);
    EXPECT_EQ(list.Class(0).Description, "Alpha images");
    EXPECT_EQ(list.Extension(2).Kinds, 12);
    ASSERT_NE(LoaderFormat("abc"), nullptr);
    EXPECT_EQ(LoaderFormat("abc")->Description, "Alpha images");
    EXPECT_EQ(LoaderFormat("abd")->Description, "Alpha D images");
    EXPECT_EQ(LoaderFormat("abe")->Description, "Alpha images");
    EXPECT_EQ(LoaderFormat("abe")->GraphicClass, &classA);

    // A later common description replaces the class's for the entries that
    // follow; an empty one leaves it alone.
    list.AddFormat("abf", "Alpha pictures", "", fkRaster, false, classA);
    EXPECT_EQ(list.Class(0).Description, "Alpha pictures");
    EXPECT_EQ(LoaderFormat("abf")->Description, "Alpha pictures");
    list.AddFormat("", "ignored", "", fkRaster, false, classB);
    EXPECT_EQ(list.ClassCount(), 1);
}

TEST_F(FileFormatList, LookupIgnoresLetterCaseAndEmptyExtensionIsNotFound)
{
    TFileFormatList list;
    list.AddFormat("tga", "Truevision images", "", fkRaster, false, classA);
    list.AddFormat("png", "PNG", "", fkRaster, false, classB);
    EXPECT_EQ(list.IndexOfExtension("tga"), 0);
    EXPECT_EQ(list.IndexOfExtension("TGA"), 0);
    EXPECT_EQ(list.IndexOfExtension("Tga"), 0);
    EXPECT_EQ(list.IndexOfExtension("PnG"), 1);
    EXPECT_EQ(list.IndexOfExtension(""), -1);
    EXPECT_EQ(list.IndexOfExtension("tg"), -1);
    EXPECT_EQ(list.IndexOfClass(classB), 1);
    EXPECT_EQ(list.IndexOfClass(TBitmap::ClassInfo()), -1);
}

TEST_F(FileFormatList, RegisteringTwiceRaisesAndChangesNothing)
{
    TFileFormatList list;
    list.AddFormat("png", "Portable network graphic images", "", fkRaster, false, classA);
    try {
        list.AddFormat("PNG", "Other", "Other png", fkVector, false, classB);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Attempt to register PNG twice.");
    }
    EXPECT_EQ(list.ExtensionCount(), 1);
    EXPECT_EQ(list.ClassCount(), 1);
    EXPECT_EQ(list.Class(0).Description, "Portable network graphic images");
    EXPECT_EQ(list.Extension(0).Kinds, fkRaster);
    EXPECT_EQ(LoaderFormat("png")->GraphicClass, &classA);
    EXPECT_EQ(LoaderFormat("png")->Description, "Portable network graphic images");
}

TEST_F(FileFormatList, ReplacingMovesTheExtensionToTheNewClassAndDropsAnEmptyOldClass)
{
    TFileFormatList list;
    list.AddFormat("aaa", "A", "", fkRaster, false, classA);
    list.AddFormat("aab", "", "", fkRaster, false, classA);
    list.AddFormat("aaa", "B", "", fkRaster, true, classB);
    ASSERT_EQ(list.ClassCount(), 2);
    EXPECT_EQ(list.Class(0).Count, 1);
    EXPECT_EQ(list.Class(1).Count, 1);
    EXPECT_EQ(list.Extension(0).ClassEntry->GraphicClass, &classB);
    EXPECT_EQ(LoaderFormat("aaa")->GraphicClass, &classB);
    EXPECT_EQ(LoaderFormat("aaa")->Description, "B");

    list.AddFormat("aab", "", "", fkRaster, true, classB);
    ASSERT_EQ(list.ClassCount(), 1);
    EXPECT_EQ(list.Class(0).GraphicClass, &classB);
    EXPECT_EQ(list.Class(0).Count, 2);
}

TEST_F(FileFormatList, RemovingOneExtensionKeepsTheClassWhileOthersReferToIt)
{
    TFileFormatList list;
    list.AddFormat("bmp", "Windows bitmaps", "", fkRaster, false, classA);
    list.AddFormat("rle", "Windows bitmaps", "Run length encoded Windows bitmaps", fkRaster, false, classA);
    list.AddFormat("dib", "", "Device independant Windows bitmaps", fkRaster, false, classA);
    list.AddFormat("xyz", "X", "", fkRaster, false, classB);

    list.RemoveFormat("RLE", classA);
    EXPECT_EQ(list.IndexOfExtension("rle"), -1);
    EXPECT_EQ(list.ExtensionCount(), 3);
    ASSERT_EQ(list.ClassCount(), 2);
    EXPECT_EQ(list.Class(0).Count, 2);
    ASSERT_NE(LoaderFormat("bmp"), nullptr);
    EXPECT_EQ(LoaderFormat("dib")->GraphicClass, &classA);

    list.RemoveFormat("nothing", classA); // not registered: nothing happens
    EXPECT_EQ(list.ExtensionCount(), 3);

    list.RemoveFormat("bmp", classA);
    list.RemoveFormat("dib", classA);
    EXPECT_EQ(list.ClassCount(), 1);
    EXPECT_EQ(LoaderFormat("bmp"), nullptr);
    EXPECT_EQ(LoaderFormat("dib"), nullptr);
    EXPECT_NE(LoaderFormat("xyz"), nullptr);
}

TEST_F(FileFormatList, RemovingAClassTakesAllItsExtensionsAndUnregistersIt)
{
    TFileFormatList list;
    list.AddFormat("a1", "A", "", fkRaster, false, classA);
    list.AddFormat("b1", "B", "", fkRaster, false, classB);
    list.AddFormat("a2", "", "", fkRaster, false, classA);
    list.AddFormat("a3", "", "", fkRaster, false, classA);

    list.RemoveFormat("", classA);
    ASSERT_EQ(list.ExtensionCount(), 1);
    EXPECT_EQ(list.Extension(0).Extension, "b1");
    EXPECT_EQ(list.IndexOfClass(classA), -1);
    EXPECT_EQ(LoaderFormat("a1"), nullptr);
    EXPECT_EQ(LoaderFormat("a3"), nullptr);
    EXPECT_NE(LoaderFormat("b1"), nullptr);

    // A class that is not registered: no effect, no crash.
    list.RemoveFormat("", classA);
    EXPECT_EQ(list.ExtensionCount(), 1);
}

TEST_F(FileFormatList, ClearAndDestructionUnregisterEveryClass)
{
    {
        TFileFormatList list;
        list.AddFormat("a1", "A", "", fkRaster, false, classA);
        list.AddFormat("b1", "B", "", fkRaster, false, classB);
        TPictureLoader::Instance().RegisterFileFormat("zzz", "other", TBitmap::ClassInfo());
        list.Clear();
        EXPECT_EQ(list.ExtensionCount(), 0);
        EXPECT_EQ(list.ClassCount(), 0);
        EXPECT_EQ(LoaderFormat("a1"), nullptr);
        EXPECT_NE(LoaderFormat("zzz"), nullptr);
        list.AddFormat("a1", "A", "", fkRaster, false, classA);
    }
    EXPECT_EQ(LoaderFormat("a1"), nullptr);
}

} // namespace
