#include "imaging/core/PictureLoader.h"
#include "imaging/readers/IconImage.h"
#include "imaging/readers/JPEGImage.h"
#include "imaging/readers/WindowsBitmap.h"
#include "imaging/registry/FormatRegistration.h"
#include "support/TempTree.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <set>

using namespace orvane::imaging;

namespace {

std::unique_ptr<TBitmap> NewBitmap() { return std::make_unique<TBitmap>(); }
const TGraphicClass testMetafile{"TMetafile", &NewBitmap, nullptr};

// The start-up table: extension, the description the picture loader gets,
// kinds.
struct Row {
    const char* extension;
    const char* loaderDescription;
    int kinds;
};
const Row startUpTable[] = {
    {"bmp", "Windows bitmaps", 8},
    {"ico", "Windows icons", 8},
    {"wmf", "Windows metafiles", 16},
    {"emf", "Windows enhanced meta files", 16},
    {"jfif", "JFIF images", 8},
    {"jpg", "JPG images", 8},
    {"jpe", "JPE images", 8},
    {"jpeg", "JPEG images", 8},
    {"rle", "Run length encoded Windows bitmaps", 8},
    {"dib", "Device independant Windows bitmaps", 8},
    {"win", "Truevision images", 8},
    {"vst", "Truevision images", 8},
    {"vda", "Truevision images", 8},
    {"tga", "Truevision images", 8},
    {"icb", "Truevision images", 8},
    {"tiff", "Macintosh TIFF images", 12},
    {"tif", "PC TIF images", 12},
    {"fax", "GFI fax images", 12},
    {"eps", "Encapsulated Postscript images", 8},
    {"pcx", "ZSoft Paintbrush images", 8},
    {"pcc", "ZSoft Paintbrush images", 8},
    {"scr", "Word 5.x screen capture images", 8},
    {"rpf", "Alias/Wavefront images", 8},
    {"rla", "Alias/Wavefront images", 8},
    {"sgi", "SGI true color images", 8},
    {"rgba", "SGI true color images with alpha", 8},
    {"rgb", "SGI true color images", 8},
    {"bw", "SGI black/white images", 8},
    {"psd", "Photoshop images", 10},
    {"pdd", "Photoshop images", 10},
    {"ppm", "Portable pixel map images", 8},
    {"pgm", "Portable gray map images", 8},
    {"pbm", "Portable bitmap images", 8},
    {"cel", "Autodesk images", 8},
    {"pic", "Autodesk images", 8},
    {"pcd", "Kodak Photo-CD images", 8},
    {"cut", "Dr. Halo images", 8},
    {"psp", "Paintshop Pro images", 24},
    {"png", "Portable network graphic images", 8},
    {"heic", "HEIF images", 8},
    {"heif", "HEIF images", 8},
    {"hif", "HEIF images", 8},
    {"avif", "AVIF images", 8},
    {"jxl", "JPEG XL images", 8},
    {"webp", "WebP images", 8},
    {"gif", "CompuServe GIF images", 8},
};
constexpr int tableRows = sizeof(startUpTable) / sizeof(startUpTable[0]);

// Rows whose classes always exist.
const char* const requiredRows[] = {"bmp", "ico", "wmf", "emf", "jfif", "jpg", "jpe", "jpeg", "rle", "dib"};

const TPictureFormat* LoaderFormat(const std::string& extension)
{
    for (const auto& format : TPictureLoader::Instance().Formats())
        if (SameTextAscii(format.Extension, extension))
            return &format;
    return nullptr;
}

class FormatRegistration : public ::testing::Test {
protected:
    void SetUp() override
    {
        TPictureLoader::Instance().Clear();
        SetMetafileClass(&testMetafile);
        InitializeImageFormats();
        ASSERT_NE(FileFormatList(), nullptr);
    }
    void TearDown() override
    {
        FinalizeImageFormats();
        SetMetafileClass(nullptr);
        TPictureLoader::Instance().Clear();
    }
};

TEST_F(FormatRegistration, RegistersTheTableRowsInOrderWithTheirDescriptionsAndKinds)
{
    const TFileFormatList& list = *FileFormatList();
    ASSERT_EQ(tableRows, 46);
    int next = 0;
    std::set<const TGraphicClass*> classes;
    for (int i = 0; i < list.ExtensionCount(); ++i) {
        const TExtensionEntry& entry = list.Extension(i);
        while (next < tableRows && entry.Extension != startUpTable[next].extension)
            ++next;
        ASSERT_LT(next, tableRows) << entry.Extension << " is not in the table or out of order";
        const Row& row = startUpTable[next];
        EXPECT_EQ(entry.Kinds, row.kinds) << row.extension;
        const TPictureFormat* format = LoaderFormat(row.extension);
        ASSERT_NE(format, nullptr) << row.extension;
        EXPECT_EQ(format->Description, row.loaderDescription) << row.extension;
        EXPECT_EQ(format->GraphicClass, entry.ClassEntry->GraphicClass);
        classes.insert(entry.ClassEntry->GraphicClass);
    }
    for (const char* extension : requiredRows)
        EXPECT_GE(list.IndexOfExtension(extension), 0) << extension;
    EXPECT_EQ(list.ClassCount(), static_cast<int>(classes.size()));
    EXPECT_EQ(list.ExtensionCount(), tableRows);
    EXPECT_EQ(list.ClassCount(), 21);

    EXPECT_EQ(LoaderFormat("jpg")->GraphicClass, &TJPEGImage::ClassInfo());
    EXPECT_EQ(LoaderFormat("JFIF")->GraphicClass, &TJPEGImage::ClassInfo());
    EXPECT_EQ(LoaderFormat("rle")->GraphicClass, &TWindowsBitmap::ClassInfo());
    EXPECT_EQ(LoaderFormat("ico")->GraphicClass, &TIcon::ClassInfo());
    EXPECT_EQ(LoaderFormat("emf")->GraphicClass, &testMetafile);
}

TEST_F(FormatRegistration, ExtensionsAreFoundWhateverTheirLetterCase)
{
    const TFileFormatList& list = *FileFormatList();
    for (const char* extension : {"jpeg", "dib"}) {
        const int index = list.IndexOfExtension(extension);
        ASSERT_GE(index, 0);
        EXPECT_EQ(list.IndexOfExtension(AsciiLower(extension)), index);
        std::string upper = extension;
        for (char& c : upper)
            c = static_cast<char>(c - 'a' + 'A');
        EXPECT_EQ(list.IndexOfExtension(upper), index);
        upper[1] = static_cast<char>(upper[1] - 'A' + 'a');
        EXPECT_EQ(list.IndexOfExtension(upper), index);
    }
}

TEST_F(FormatRegistration, LoadsAFileByItsExtensionThroughTheLoader)
{
    orvane::test::TempTree tree;
    const auto image = orvane::test::RgbImage::Gradient(5, 3);
    tree.Write("a.RLE", orvane::test::EncodeBmp24(image));
    auto picture = TPictureLoader::Instance().LoadFromFile(tree.Path("a.RLE"));
    ASSERT_EQ(picture->Width(), 5);
    ASSERT_EQ(picture->Height(), 3);
    EXPECT_EQ(picture->ScanLine(2)[3 * 4 + 2], image.rgb[(2 * 5 + 4) * 3 + 0]);
    try {
        TPictureLoader::Instance().LoadFromFile(tree.Path("a.xyz"));
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
    }
}

TEST_F(FormatRegistration, AcceptsStreamOfEveryReaderLeavesTheStreamWhereItWas)
{
    const TFileFormatList& list = *FileFormatList();
    std::vector<uint8_t> bytes(3000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    // Signatures of several formats at offset 7, so that some checks say yes.
    const std::vector<std::vector<uint8_t>> heads{
        {0x01, 0xDA, 0x01, 0x01, 0x00, 0x02}, {0x91, 0x19}, {'P', '6'}, {0x0A, 0x05, 0x01, 0x08},
        {0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x10, 0x00, 24, 0}};
    int checked = 0;
    for (int c = 0; c < list.ClassCount(); ++c) {
        const TGraphicClass& graphicClass = *list.Class(c).GraphicClass;
        if (!graphicClass.AcceptsStream)
            continue;
        ++checked;
        for (const auto& head : heads) {
            auto data = bytes;
            std::copy(head.begin(), head.end(), data.begin() + 7);
            for (size_t size : {size_t{0}, size_t{9}, data.size()}) {
                TMemoryStream stream(data.data(), size);
                stream.SetPosition(std::min<int64_t>(7, static_cast<int64_t>(size)));
                const int64_t before = stream.Position();
                graphicClass.AcceptsStream(stream);
                EXPECT_EQ(stream.Position(), before) << graphicClass.ClassName;
            }
        }
    }
    // Only the four platform classes come without a format check.
    EXPECT_EQ(checked, list.ClassCount() - 4);
}

TEST_F(FormatRegistration, ShutDownRemovesEverythingItRegisteredAndStartUpRunsOnce)
{
    const int count = FileFormatList()->ExtensionCount();
    InitializeImageFormats();
    EXPECT_EQ(FileFormatList()->ExtensionCount(), count);
    TPictureLoader::Instance().RegisterFileFormat("own", "Registered by hand", testMetafile);
    FinalizeImageFormats();
    EXPECT_EQ(FileFormatList(), nullptr);
    // Unregistering a class drops all its extensions, so of the hand-made
    // entry nothing is left either (it shares the metafile class).
    EXPECT_TRUE(TPictureLoader::Instance().Formats().empty());
    FinalizeImageFormats(); // a second shut-down does nothing
}

TEST(FormatRegistrationWithoutMetafiles, LeavesOutWmfAndEmf)
{
    TPictureLoader::Instance().Clear();
    InitializeImageFormats();
    EXPECT_EQ(FileFormatList()->IndexOfExtension("wmf"), -1);
    EXPECT_EQ(FileFormatList()->IndexOfExtension("emf"), -1);
    EXPECT_GE(FileFormatList()->IndexOfExtension("ico"), 0);
    EXPECT_EQ(LoaderFormat("wmf"), nullptr);
    FinalizeImageFormats();
    TPictureLoader::Instance().Clear();
}

} // namespace
