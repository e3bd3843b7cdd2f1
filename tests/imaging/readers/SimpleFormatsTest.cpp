// Edge cases of the Targa, PCX, SGI, Autodesk, portable map and Dr. Halo
// readers that the golden files do not reach: format checks, messages,
// damaged and lying files, progress.
#include "imaging/readers/AutodeskGraphic.h"
#include "imaging/readers/CUTGraphic.h"
#include "imaging/readers/PCXGraphic.h"
#include "imaging/readers/PPMGraphic.h"
#include "imaging/readers/ReaderTestSupport.h"
#include "imaging/readers/SGIGraphic.h"
#include "imaging/readers/TargaGraphic.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orvane::imaging;
using namespace orvane::test::readers;

namespace {

Bytes Targa(uint8_t type, uint8_t depth, uint16_t w, uint16_t h, uint8_t descriptor, const Bytes& data)
{
    Bytes out{0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), depth,
              descriptor};
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes Pcx(uint8_t manufacturer, uint8_t bits, uint8_t planes, uint16_t w, uint16_t h, uint16_t bytesPerLine,
          const Bytes& data)
{
    Bytes out(128, 0);
    out[0] = manufacturer;
    out[1] = 5;
    out[2] = 1;
    out[3] = bits;
    out[8] = uint8_t(w - 1);
    out[9] = uint8_t((w - 1) >> 8);
    out[10] = uint8_t(h - 1);
    out[11] = uint8_t((h - 1) >> 8);
    out[65] = planes;
    out[66] = uint8_t(bytesPerLine);
    out[67] = uint8_t(bytesPerLine >> 8);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes Sgi(uint8_t storage, uint16_t w, uint16_t h, uint16_t z, const Bytes& data)
{
    Bytes out(512, 0);
    const uint8_t head[] = {0x01, 0xDA, storage, 1, 0, 3, uint8_t(w >> 8), uint8_t(w), uint8_t(h >> 8), uint8_t(h),
                            uint8_t(z >> 8), uint8_t(z)};
    std::memcpy(out.data(), head, sizeof head);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(TargaReader, RowOrderDepthsAndAcceptance)
{
    // Two rows of two 24-bit pixels; the first stored row is the bottom one
    // unless descriptor bit 5 is set.
    const Bytes rows{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    auto picture = Load<TTargaGraphic>(Targa(2, 24, 2, 2, 0, rows));
    EXPECT_EQ(picture->ScanLine(1)[0], 1);
    EXPECT_EQ(picture->ScanLine(0)[0], 7);
    picture = Load<TTargaGraphic>(Targa(2, 24, 2, 2, 0x20, rows));
    EXPECT_EQ(picture->ScanLine(0)[0], 1);

    picture = Load<TTargaGraphic>(Targa(2, 16, 3, 2, 0, rows));
    EXPECT_EQ(picture->PixelFormat(), TPixelFormat::pf15bit);
    EXPECT_EQ(picture->ImageProperties().BitsPerSample, 5);

    Bytes file = Targa(10, 24, 2, 2, 0, rows);
    file.insert(file.begin(), {9, 9, 9});
    TMemoryStream stream(file);
    stream.SetPosition(3);
    EXPECT_TRUE(TTargaGraphic::AcceptsStream(stream));
    EXPECT_EQ(stream.Position(), 3);
    file[3 + 16] = 12; // pixel depth 12
    TMemoryStream odd(file);
    odd.SetPosition(3);
    EXPECT_FALSE(TTargaGraphic::AcceptsStream(odd));
    EXPECT_EQ(odd.Position(), 3);
    TMemoryStream headerOnly(Targa(2, 24, 1, 1, 0, {}));
    EXPECT_FALSE(TTargaGraphic::AcceptsStream(headerOnly));
}

TEST(TargaReader, RunLengthPacketsStayInsideThePicture)
{
    // A run of 128 pixels in a 3 x 2 picture, then more data: the picture
    // gets its 6 pixels and nothing is written past them.
    const auto picture = Load<TTargaGraphic>(Targa(10, 24, 3, 2, 0x20, {0xFF, 1, 2, 3, 0xFF, 9, 9, 9}));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(picture->ScanLine(y)[3 * x + 2], 3);

    // A run that starts in one row and ends in the next fills both.
    const auto crossing = Load<TTargaGraphic>(Targa(9, 8, 3, 2, 0x20, {0x01, 7, 8, 0x83, 5}));
    const uint8_t expected[2][3] = {{7, 8, 5}, {5, 5, 5}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(crossing->ScanLine(y)[x], expected[y][x]) << x << "," << y;

    // Data that ends early leaves the rest of the picture black.
    const auto shortData = Load<TTargaGraphic>(Targa(10, 24, 4, 4, 0x20, {0x80, 1, 2, 3}));
    EXPECT_EQ(shortData->ScanLine(0)[0], 1);
    EXPECT_EQ(shortData->ScanLine(3)[9], 0);

    // Stored bottom row first and ending early: the rows the data reached
    // are at the bottom, the rows above stay black and count as unwritten.
    struct BottomUp { uint8_t packet; int filledRows; };
    for (const BottomUp c : {BottomUp{0x84, 2}, BottomUp{0x8A, 3}}) { // 5 and 11 pixels of 16
        const auto picture = Load<TTargaGraphic>(Targa(10, 24, 4, 4, 0, {c.packet, 1, 2, 3}));
        EXPECT_EQ(picture->WrittenRowsBegin(), 4 - c.filledRows);
        EXPECT_EQ(picture->WrittenRowsEnd(), 4);
        const TBitmap& shown = *picture;
        const int pixels = (c.packet & 0x7F) + 1;
        for (int i = 0; i < 16; ++i) {
            const uint8_t* pixel = shown.ScanLine(3 - i / 4) + 3 * (i % 4);
            EXPECT_EQ(pixel[0], i < pixels ? 1 : 0) << "pixel " << i << " of " << pixels;
        }
    }
}

TEST(TargaReader, DamagedFiles)
{
    EXPECT_EQ(LoadError<TTargaGraphic>(Targa(2, 24, 4, 4, 0, {1, 2, 3})), "Stream read error");
    EXPECT_EQ(LoadError<TTargaGraphic>(Bytes{0, 0, 2}), "Stream read error");
    EXPECT_EQ(LoadError<TTargaGraphic>(Targa(32, 24, 4, 4, 0, Bytes(48))),
              "Cannot load image. Invalid or unexpected Targa image format.");
    EXPECT_EQ(LoadError<TTargaGraphic>(Targa(2, 12, 4, 4, 0, Bytes(48))),
              "Cannot load image. Invalid or unexpected Targa image format.");
    // A colour map longer than the file.
    Bytes mapped = Targa(1, 8, 1, 1, 0, {0});
    mapped[1] = 1;
    mapped[5] = 0xFF;
    mapped[6] = 0xFF;
    mapped[7] = 24;
    EXPECT_EQ(LoadError<TTargaGraphic>(mapped), "Stream read error");
    // 65535 x 65535 with a few bytes of data: refused before allocating.
    EXPECT_EQ(LoadError<TTargaGraphic>(Targa(2, 32, 0xFFFF, 0xFFFF, 0, Bytes(16))), "Stream read error");
}

TEST(PCXReader, MessagesAndAcceptance)
{
    EXPECT_EQ(LoadError<TPCXGraphic>(Pcx(11, 8, 1, 4, 4, 4, Bytes(64))),
              "Cannot load image. Invalid or unexpected PCX or SCR image format.");
    EXPECT_EQ(LoadError<TPCXGraphic>(Pcx(10, 1, 2, 4, 4, 2, Bytes(64))), "Invalid color format in PCX file.");
    EXPECT_EQ(LoadError<TPCXGraphic>(Pcx(10, 8, 4, 4, 4, 4, Bytes(64))), "Invalid color format in PCX file.");
    // Rows shorter than the picture's width.
    EXPECT_EQ(LoadError<TPCXGraphic>(Pcx(10, 8, 1, 40, 4, 4, Bytes(64))),
              "Cannot load image. Invalid or unexpected PCX or SCR image format.");
    EXPECT_EQ(LoadError<TPCXGraphic>(Bytes(20, 10)),
              "Cannot load image. Invalid or unexpected PCX or SCR image format.");

    Bytes file = Pcx(205, 8, 1, 4, 4, 4, Bytes(64));
    file.insert(file.begin(), 'x');
    TMemoryStream stream(file);
    stream.SetPosition(1);
    EXPECT_TRUE(TPCXGraphic::AcceptsStream(stream));
    EXPECT_EQ(stream.Position(), 1);
    file[1 + 2] = 7; // encoding 7
    TMemoryStream bad(file);
    EXPECT_FALSE(TPCXGraphic::AcceptsStream(bad));
}

TEST(PCXReader, RunsDoNotLeaveTheirRowAndShortDataGivesBlack)
{
    // A run of 63 in a 4-pixel row, then the second row's data.
    const auto picture = Load<TPCXGraphic>(Pcx(10, 8, 1, 4, 2, 4, {0xFF, 9, 0xC4, 3}));
    EXPECT_EQ(picture->PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(picture->ScanLine(0)[3], 9);
    EXPECT_EQ(picture->ScanLine(1)[0], 3);
    const auto shortData = Load<TPCXGraphic>(Pcx(10, 8, 1, 4, 3, 4, {0xC2, 1}));
    EXPECT_EQ(shortData->ScanLine(0)[1], 1);
    EXPECT_EQ(shortData->ScanLine(0)[2], 0);
    EXPECT_EQ(shortData->ScanLine(2)[3], 0);

    // Very long rows and many of them with almost no data: the rows after
    // the data are left black without expanding each one.
    const auto sparse = Load<TPCXGraphic>(Pcx(10, 8, 1, 4, 65535, 65535, {0xC4, 6}));
    EXPECT_EQ(sparse->ScanLine(0)[3], 6);
    EXPECT_EQ(sparse->ScanLine(65534)[0], 0);
}

TEST(SGIReader, OneChannelIsEightBitGrayAndBadFilesAreRefused)
{
    Bytes rows(6);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = uint8_t(i * 40);
    const auto gray = Load<TSGIGraphic>(Sgi(0, 3, 2, 1, rows));
    EXPECT_EQ(gray->PixelFormat(), TPixelFormat::pf8bit);
    ASSERT_EQ(gray->Palette().size(), 256u);
    EXPECT_EQ(gray->Palette()[77], (TRGBQuad{77, 77, 77, 0}));
    EXPECT_EQ(gray->ScanLine(1)[2], 80); // first stored row at the bottom

    Bytes bad = Sgi(0, 3, 2, 1, rows);
    bad[3] = 3; // three bytes per channel
    EXPECT_EQ(LoadError<TSGIGraphic>(bad), "Cannot load image. Invalid or unexpected sgi, bw or rgb(a) image format.");
    EXPECT_EQ(LoadError<TSGIGraphic>(Sgi(0, 3, 2, 3, rows)), "Stream read error");
    // Run-length tables larger than the file.
    EXPECT_EQ(LoadError<TSGIGraphic>(Sgi(1, 1000, 1000, 4, Bytes(64))), "Stream read error");
    // Rows whose start and length point outside the file decode as black.
    Bytes tables{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xF0, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const auto wild = Load<TSGIGraphic>(Sgi(1, 2, 2, 1, tables));
    EXPECT_EQ(wild->ScanLine(0)[0], 0);

    TMemoryStream stream(Sgi(0, 3, 2, 1, rows));
    EXPECT_TRUE(TSGIGraphic::AcceptsStream(stream));
    EXPECT_EQ(stream.Position(), 0);
}

TEST(AutodeskReader, MessagesAndAcceptance)
{
    Bytes file(32 + 768 + 6, 0);
    file[0] = 0x19;
    file[1] = 0x91;
    file[2] = 3;
    file[4] = 2;
    file[10] = 8;
    file[32 + 3 * 5] = 10; // red of colour 5
    file[32 + 768 + 4] = 5;
    const auto picture = Load<TAutodeskGraphic>(file);
    EXPECT_EQ(picture->Palette()[picture->ScanLine(1)[1]].rgbRed, 40);
    TMemoryStream stream(file);
    EXPECT_TRUE(TAutodeskGraphic::AcceptsStream(stream));
    EXPECT_EQ(stream.Position(), 0);

    EXPECT_EQ(LoadError<TAutodeskGraphic>(Bytes(file.begin(), file.end() - 1)), "Stream read error");
    file[0] = 0x18;
    EXPECT_EQ(LoadError<TAutodeskGraphic>(file), "Cannot load image. Invalid or unexpected Autodesk image format.");
    TMemoryStream wrong(file);
    EXPECT_FALSE(TAutodeskGraphic::AcceptsStream(wrong));
}

TEST(PortableMapReader, EndsAndHeaders)
{
    const std::string early = "Stream read error in PPM file.";
    const std::string header = "Cannot load image. Invalid or unexpected PBM, PGM or PPM image format.";
    EXPECT_EQ(LoadError<TPPMGraphic>(Text("P6\n2 2\n255\n123456789")), early);
    EXPECT_EQ(LoadError<TPPMGraphic>(Text("P3 1 2 255 1 2 3 4")), early);
    EXPECT_EQ(LoadError<TPPMGraphic>(Text("P6 # comment without end")), early);
    EXPECT_EQ(LoadError<TPPMGraphic>(Text("P5 100000 100000 255\nabc")), early);
    EXPECT_EQ(LoadError<TPPMGraphic>(Text("P7\n1 1 255\n\1")), header);
    EXPECT_EQ(LoadError<TPPMGraphic>(Text("Q6\n1 1 255\n\1\1\1")), header);
    EXPECT_EQ(LoadError<TPPMGraphic>(Text("P5\n0 1 255\n\1")), header);

    // The last number may end with the file.
    const auto gray = Load<TPPMGraphic>(Text("P2 2 1 255 7 300"));
    EXPECT_EQ(gray->ScanLine(0)[0], 7);
    EXPECT_EQ(gray->ScanLine(0)[1], 255);

    TMemoryStream stream(Text("xxP4 1 1\n\x80        "));
    stream.SetPosition(2);
    EXPECT_TRUE(TPPMGraphic::AcceptsStream(stream));
    EXPECT_EQ(stream.Position(), 2);
    TMemoryStream tooShort(Text("P4 1 1\n\x80"));
    EXPECT_FALSE(TPPMGraphic::AcceptsStream(tooShort));
}

TEST(CUTReader, PaletteFileBesideThePictureOrAGrayRamp)
{
    orvane::test::TempTree tree;
    const Bytes picture{2, 0, 1, 0, 0, 0, 4, 0, 0x82, 3, 0};
    tree.Write("Pic.Cut", picture);
    TCUTGraphic gray;
    gray.LoadFromFile(tree.Path("Pic.Cut"));
    EXPECT_EQ(gray.PaletteFileName(), tree.Path("Pic.pal"));
    EXPECT_EQ(gray.Palette()[gray.ScanLine(0)[1]], (TRGBQuad{3, 3, 3, 0}));

    Bytes pal(512, 0);
    pal[12] = 3; // four entries
    for (int i = 0; i < 4; ++i) {
        pal[40 + 6 * i] = uint8_t(10 + i);
        pal[42 + 6 * i] = uint8_t(20 + i);
        pal[44 + 6 * i] = uint8_t(30 + i);
    }
    tree.Write("Pic.pal", pal);
    TCUTGraphic coloured;
    coloured.LoadFromFile(tree.Path("Pic.Cut"));
    EXPECT_EQ(coloured.Palette()[coloured.ScanLine(0)[0]], (TRGBQuad{33, 23, 13, 0}));

    TMemoryStream stream(picture);
    EXPECT_FALSE(TCUTGraphic::AcceptsStream(stream));
    EXPECT_EQ(LoadError<TCUTGraphic>(Bytes{2, 0, 0xFF, 0xFF, 0, 0, 1}), "Stream read error");
}

struct Notice {
    TProgressStage stage;
    int percent;
    bool redraw;
    TRect rect;
    std::string message;
};

TEST(ReaderProgress, PreparingTransferingRowsAndEndEvenOnFailure)
{
    Bytes rows(12);
    TMemoryStream stream(Targa(2, 24, 2, 2, 0x20, rows));
    TTargaGraphic reader;
    std::vector<Notice> notices;
    reader.OnProgress = [&](TBitmap*, TProgressStage stage, uint8_t percent, bool redraw, const TRect& rect,
                            const std::string& message) {
        notices.push_back({stage, percent, redraw, rect, message});
    };
    reader.LoadFromStream(stream);
    ASSERT_EQ(notices.size(), 6u);
    EXPECT_EQ(notices[0].stage, TProgressStage::psStarting);
    EXPECT_EQ(notices[0].message, "Preparing...");
    EXPECT_FALSE(notices[0].redraw);
    EXPECT_EQ(notices[1].stage, TProgressStage::psEnding);
    EXPECT_EQ(notices[2].stage, TProgressStage::psStarting);
    EXPECT_EQ(notices[2].message, "Transfering...");
    EXPECT_EQ(notices[2].rect, (TRect{0, 0, 2, 1}));
    EXPECT_EQ(notices[3].stage, TProgressStage::psRunning);
    EXPECT_EQ(notices[3].percent, 0);
    EXPECT_TRUE(notices[3].redraw);
    EXPECT_EQ(notices[3].rect, (TRect{0, 0, 2, 1}));
    EXPECT_EQ(notices[4].percent, 50);
    EXPECT_EQ(notices[4].rect, (TRect{0, 1, 2, 2}));
    EXPECT_EQ(notices[5].stage, TProgressStage::psEnding);

    notices.clear();
    TMemoryStream broken(Targa(2, 24, 2, 2, 0x20, {1, 2}));
    EXPECT_THROW(reader.LoadFromStream(broken), EReadError);
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.front().message, "Preparing...");
    EXPECT_EQ(notices.back().stage, TProgressStage::psEnding);
}

TEST(ReaderFrame, SharedRoutines)
{
    uint16_t shorts[] = {0x1234, 0xABCD};
    TReaderGraphic::SwapShorts(shorts, 2);
    EXPECT_EQ(shorts[0], 0x3412);
    EXPECT_EQ(shorts[1], 0xCDAB);
    uint32_t longs[] = {0x12345678};
    TReaderGraphic::SwapLongs(longs, 1);
    EXPECT_EQ(longs[0], 0x78563412u);
    EXPECT_EQ(TReaderGraphic::SwapLong(0xA1B2C3D4u), 0xD4C3B2A1u);

    uint8_t gray[] = {10, 1, 2, 250};
    TReaderGraphic::UndoHorizontalDifferencing(gray, 4, 1);
    EXPECT_EQ(Bytes(gray, gray + 4), (Bytes{10, 11, 13, 7}));
    uint8_t rgb[] = {1, 2, 3, 1, 1, 1, 2, 2, 2};
    TReaderGraphic::UndoHorizontalDifferencing(rgb, 9, 3);
    EXPECT_EQ(Bytes(rgb, rgb + 9), (Bytes{1, 2, 3, 2, 3, 4, 4, 5, 6}));

    // Assigning a reader copies its header properties too.
    TMemoryStream stream(Targa(2, 24, 2, 2, 0, Bytes(12)));
    TTargaGraphic source;
    source.LoadFromStream(stream);
    TTargaGraphic copy;
    copy.Assign(source);
    EXPECT_EQ(copy.ImageProperties().Width, 2);
    EXPECT_EQ(copy.ImageProperties().ColorScheme, TColorScheme::csRGB);
    EXPECT_EQ(copy.Width(), 2);

    TMemoryStream anything(Bytes(40, 1));
    EXPECT_FALSE(TReaderGraphic::AcceptsStream(anything));
    TReaderGraphic frame;
    EXPECT_FALSE(frame.ReadHeader(anything, 0));
    EXPECT_EQ(frame.ImageProperties().FileGamma, 1.0f);
}

} // namespace
