// EPS reader: the binary header check, loading the TIFF preview where it
// lies, and the errors of files without a usable preview.
#include "imaging/readers/EPSGraphic.h"
#include "imaging/readers/PCDGraphic.h"
#include "imaging/readers/PNGTestFiles.h"
#include "imaging/readers/PSDGraphic.h"
#include "imaging/readers/ReaderTestSupport.h"
#include "imaging/readers/PSPGraphic.h"
#include "imaging/readers/RLAGraphic.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orvane::imaging;
using namespace orvane::test::readers;

namespace {

Bytes Rgb() { return GoldenFile("eps", "rgb_preview.eps"); }

TEST(EPSReader, AcceptsOnlyFilesWithATiffPreview)
{
    const Bytes file = Rgb();
    TMemoryStream stream(file);
    EXPECT_TRUE(TEPSGraphic::AcceptsStream(stream));
    EXPECT_EQ(stream.Position(), 0);
    // The preview may follow the header at once.
    TMemoryStream first(GoldenFile("eps", "gray_preview_big_endian_first.eps"));
    EXPECT_TRUE(TEPSGraphic::AcceptsStream(first));
    Bytes noPreview = file;
    Put32LE(noPreview, 20, 0);
    Put32LE(noPreview, 24, 0);
    Bytes inHeader = file;
    Put32LE(inHeader, 20, 29);
    Bytes emptyPreview = file;
    Put32LE(emptyPreview, 24, 0);
    Bytes magic = file;
    magic[3] = 0xC7;
    for (const Bytes& bytes : {noPreview, inHeader, emptyPreview, magic, Bytes(file.begin(), file.begin() + 30)}) {
        TMemoryStream other(bytes);
        EXPECT_FALSE(TEPSGraphic::AcceptsStream(other));
        EXPECT_EQ(other.Position(), 0);
    }
}

TEST(EPSReader, FilesWithoutAUsablePreview)
{
    Bytes magic = Rgb();
    magic[0] = 0x25; // a plain PostScript file: "%!PS..."
    EXPECT_EQ(LoadError<TEPSGraphic>(magic), "Cannot load image. Invalid or unexpected EPS image format.");
    EXPECT_EQ(LoadError<TEPSGraphic>(Bytes{0xC5, 0xD0, 0xD3}), "Cannot load image. Invalid or unexpected EPS image format.");
    // The preview offset leads to the PostScript, or past the end.
    Bytes postscript = Rgb();
    Put32LE(postscript, 20, 30);
    EXPECT_EQ(LoadError<TEPSGraphic>(postscript), "Cannot load image. Invalid or unexpected TIF/TIFF image format.");
    Bytes beyond = Rgb();
    Put32LE(beyond, 20, 0x7FFFFFFF);
    EXPECT_EQ(LoadError<TEPSGraphic>(beyond), "Cannot load image. Invalid or unexpected TIF/TIFF image format.");
}

TEST(EPSReader, ThePreviewIsFoundFromWhereTheFileBegins)
{
    // The EPS file lies behind other bytes in the stream.
    Bytes bytes(77, 0xEE);
    const Bytes eps = Rgb();
    bytes.insert(bytes.end(), eps.begin(), eps.end());
    TMemoryStream stream(bytes);
    stream.SetPosition(77);
    TEPSGraphic picture;
    picture.LoadFromStream(stream);
    int width = 0, height = 0;
    EXPECT_EQ(orvane::test::png::SeenRGBA(picture), GoldenPicture("eps", "rgb_preview.png", width, height));
    EXPECT_EQ(picture.BasePosition(), 77 + static_cast<int64_t>(GetLE32(&eps[20])));
}

TEST(LayeredReaders, ClassInfoNamesAndCreatesEachReader)
{
    struct Case {
        const TGraphicClass& info;
        const char* name;
    };
    for (const Case& c : {Case{TRLAGraphic::ClassInfo(), "TRLAGraphic"}, Case{TPSDGraphic::ClassInfo(), "TPSDGraphic"},
                          Case{TPSPGraphic::ClassInfo(), "TPSPGraphic"}, Case{TPCDGraphic::ClassInfo(), "TPCDGraphic"},
                          Case{TEPSGraphic::ClassInfo(), "TEPSGraphic"}}) {
        EXPECT_STREQ(c.info.ClassName, c.name);
        const auto picture = c.info.Create();
        EXPECT_EQ(&picture->GraphicClass(), &c.info);
        ASSERT_NE(c.info.AcceptsStream, nullptr);
    }
    // Each accepts its own golden file and none of the others'.
    const Bytes files[] = {GoldenFile("rla", "rgb16.rla"), GoldenFile("psd", "rgb8_raw.psd"),
                           GoldenFile("psp", "v5_rgb_rle.psp"), GoldenFile("pcd", "overview_rot0.pcd"), Rgb()};
    const TGraphicClass* classes[] = {&TRLAGraphic::ClassInfo(), &TPSDGraphic::ClassInfo(), &TPSPGraphic::ClassInfo(),
                                      &TPCDGraphic::ClassInfo(), &TEPSGraphic::ClassInfo()};
    for (size_t f = 0; f < 5; ++f)
        for (size_t c = 0; c < 5; ++c) {
            TMemoryStream stream(files[f]);
            EXPECT_EQ(classes[c]->AcceptsStream(stream), f == c) << classes[c]->ClassName << " on file " << f;
        }
}

} // namespace
