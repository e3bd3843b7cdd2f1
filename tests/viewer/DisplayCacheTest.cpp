#include "imaging/core/Bitmap.h"
#include "viewer/DisplayCache.h"
#include "viewer/PictureImage.h"

#include <gtest/gtest.h>

using namespace orvane;
using imaging::TBitmap;
using imaging::TPixelFormat;

namespace {

std::unique_ptr<TBitmap> Picture(int w, int h, TPixelFormat format = TPixelFormat::pf24bit)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(format);
    bitmap->SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bitmap->ScanLine(y);
        for (int x = 0; x < bitmap->BytesPerLine(); ++x)
            row[x] = static_cast<uint8_t>((x * 7 + y * 13) & 0xFF);
    }
    return bitmap;
}

int MaxDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

} // namespace

TEST(PictureImage, SharesThePixelsOfTheCommonFormats)
{
    for (auto format : {TPixelFormat::pf24bit, TPixelFormat::pf32bit, TPixelFormat::pf8bit, TPixelFormat::pf1bit,
                        TPixelFormat::pf15bit}) {
        auto bitmap = Picture(13, 5, format);
        const QImage view = viewer::BitmapView(*bitmap);
        EXPECT_EQ(view.constBits(), bitmap->Bits()) << static_cast<int>(format);
        EXPECT_EQ(view.size(), QSize(13, 5));
    }
}

TEST(PictureImage, FourBitPixelsUseTheirPaletteEntries)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf4bit);
    bitmap.SetSize(3, 1);
    bitmap.ScanLine(0)[0] = 0x1F; // pixels 1, 15
    bitmap.ScanLine(0)[1] = 0x20; // pixel 2
    std::vector<imaging::TRGBQuad> palette(16);
    palette[1] = {0, 0, 255, 0};
    palette[15] = {255, 0, 0, 0};
    palette[2] = {0, 255, 0, 0};
    bitmap.SetPalette(palette);
    const QImage view = viewer::BitmapView(bitmap);
    EXPECT_EQ(view.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(view.pixel(1, 0), qRgb(0, 0, 255));
    EXPECT_EQ(view.pixel(2, 0), qRgb(0, 255, 0));
}

TEST(DisplayCache, ReducedPictureBuiltWhileDecodingMatchesOneBuiltAtTheEnd)
{
    auto bitmap = Picture(1200, 900);
    viewer::DisplayCache incremental;
    incremental.SetPicture(bitmap.get());
    incremental.Render(QSize(300, 240)); // first paint while nothing is decoded
    for (int rows = 37; rows < 900; rows += 37)
        incremental.RowsAvailable(rows);
    incremental.Finished();
    const QImage a = incremental.Render(QSize(300, 240));

    viewer::DisplayCache whole;
    whole.SetPicture(bitmap.get());
    whole.Finished();
    const QImage b = whole.Render(QSize(300, 240));
    ASSERT_EQ(a.size(), QSize(300, 225));
    ASSERT_EQ(b.size(), a.size());
    EXPECT_EQ(MaxDifference(a, b), 0);
    EXPECT_EQ(incremental.ReductionFactor(), 4);
}

TEST(DisplayCache, PaintingAgainAtTheSameSizeReusesTheScaledPicture)
{
    auto bitmap = Picture(800, 600);
    viewer::DisplayCache cache;
    cache.SetPicture(bitmap.get());
    cache.Finished();
    const uchar* first = cache.Render(QSize(400, 300)).constBits();
    EXPECT_EQ(cache.Render(QSize(400, 300)).constBits(), first);
    const QImage resized = cache.Render(QSize(401, 300));
    EXPECT_EQ(resized.size(), QSize(400, 300)); // still fits by height
}

TEST(DisplayCache, InterlacedRowsReportedOutOfOrderAreReducedAgainAtTheEnd)
{
    auto bitmap = Picture(640, 480);
    viewer::DisplayCache cache;
    cache.SetPicture(bitmap.get());
    cache.Render(QSize(160, 120));
    cache.RowsAvailable(480);
    // A later pass rewrites rows already reduced.
    for (int y = 0; y < 480; ++y)
        std::fill(bitmap->ScanLine(y), bitmap->ScanLine(y) + 640 * 3, uint8_t(200));
    cache.RowsAvailable(8);
    cache.Finished();
    const QImage shown = cache.Render(QSize(160, 120));
    EXPECT_EQ(shown.pixel(80, 60), qRgb(200, 200, 200));
}

TEST(DisplayCache, RowsNoReaderWroteShowTheZeroColourWithoutBeingRead)
{
    // An indexed picture claiming 4000 rows whose data reached 100: those
    // rows show palette entry 1, the rest entry 0, the colour of zero bytes.
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf8bit);
    bitmap.SetSize(4000, 4000);
    std::vector<imaging::TRGBQuad> palette(256);
    palette[0] = {0, 0, 200, 0}; // red
    palette[1] = {200, 0, 0, 0}; // blue
    bitmap.SetPalette(palette);
    for (int y = 0; y < 100; ++y)
        std::fill(bitmap.ScanLine(y), bitmap.ScanLine(y) + 4000, uint8_t(1));
    // A byte below the written rows that no reader handed out: never read.
    bitmap.RawBits()[static_cast<size_t>(bitmap.BytesPerLine()) * 3000] = 1;

    viewer::DisplayCache cache;
    cache.SetPicture(&bitmap);
    cache.Finished();
    const QImage shown = cache.Render(QSize(400, 400));
    ASSERT_EQ(shown.size(), QSize(400, 400));
    EXPECT_EQ(cache.ReductionFactor(), 10);
    EXPECT_EQ(shown.pixel(200, 3), qRgb(0, 0, 200));
    EXPECT_EQ(shown.pixel(0, 300), qRgb(200, 0, 0));
    EXPECT_EQ(shown.pixel(399, 399), qRgb(200, 0, 0));
}

TEST(DisplayCache, PicturesWithTransparencyAreReducedKeepingTheirAlpha)
{
    // Left half transparent, right half opaque green: reduced like any
    // other picture, without the transparent half darkening the edge.
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    bitmap.SetHasAlpha(true);
    bitmap.SetSize(2000, 1000);
    for (int y = 0; y < 1000; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(bitmap.ScanLine(y));
        for (int x = 1000; x < 2000; ++x)
            row[x] = 0xFF00C000u; // BGRA in memory: opaque green
    }
    viewer::DisplayCache cache;
    cache.SetPicture(&bitmap);
    cache.Finished();
    const QImage shown = cache.Render(QSize(200, 100));
    EXPECT_EQ(cache.ReductionFactor(), 10);
    ASSERT_EQ(shown.size(), QSize(200, 100));
    EXPECT_EQ(qAlpha(shown.pixel(10, 50)), 0);
    EXPECT_EQ(shown.pixel(150, 50), qRgb(0, 0xC0, 0));
    EXPECT_EQ(qAlpha(shown.pixel(199, 0)), 255);
}

TEST(DisplayCache, APictureHandedOverBeforeItLoadsIsShownAsItsRowsArrive)
{
    // The window hands the picture over empty; its pixels appear while it
    // decodes, and the bitmap says when they move.
    TBitmap bitmap;
    viewer::DisplayCache cache;
    bitmap.OnPixelsMoved = [&] { cache.PixelsMoved(); };
    cache.SetPicture(&bitmap);
    EXPECT_TRUE(cache.Render(QSize(300, 300)).isNull());
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(900, 900);
    for (int y = 0; y < 450; ++y)
        std::fill(bitmap.ScanLine(y), bitmap.ScanLine(y) + 900 * 3, uint8_t(90));
    cache.RowsAvailable(450);
    const QImage half = cache.Render(QSize(300, 300));
    ASSERT_EQ(half.size(), QSize(300, 300));
    EXPECT_EQ(half.pixel(150, 10), qRgb(90, 90, 90));
    for (int y = 450; y < 900; ++y)
        std::fill(bitmap.ScanLine(y), bitmap.ScanLine(y) + 900 * 3, uint8_t(30));
    cache.Finished();
    const QImage whole = cache.Render(QSize(300, 300));
    EXPECT_EQ(whole.pixel(150, 10), qRgb(90, 90, 90));
    EXPECT_EQ(whole.pixel(150, 290), qRgb(30, 30, 30));
}

TEST(DisplayCache, OneBitPicturesAverageTheirPaletteColours)
{
    // Black rows (one byte value, counted whole) between rows of every other
    // pixel black: three quarters of each block is black.
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf1bit);
    bitmap.SetSize(800, 800);
    bitmap.SetPalette({{255, 255, 255, 0}, {0, 0, 0, 0}});
    for (int y = 0; y < 800; ++y)
        std::fill(bitmap.ScanLine(y), bitmap.ScanLine(y) + 100, uint8_t(y % 2 ? 0xAA : 0xFF));
    viewer::DisplayCache cache;
    cache.SetPicture(&bitmap);
    cache.Finished();
    const QImage shown = cache.Render(QSize(100, 100));
    EXPECT_EQ(cache.ReductionFactor(), 8);
    EXPECT_EQ(shown.pixel(50, 50), qRgb(64, 64, 64));
    EXPECT_EQ(shown.pixel(0, 99), qRgb(64, 64, 64));
}

TEST(DisplayCache, TheFinishedPictureReplacesAFrameShownWhileItDecoded)
{
    // Black and white columns, shown smaller than they are: a frame shown
    // half decoded may be scaled roughly, the finished picture is smooth.
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(1000, 1000);
    for (int y = 0; y < 1000; ++y)
        for (int x = 0; x < 1000; ++x)
            std::fill_n(bitmap.ScanLine(y) + x * 3, 3, uint8_t(x % 2 ? 255 : 0));
    viewer::DisplayCache cache;
    cache.SetPicture(&bitmap);
    cache.RowsAvailable(500);
    EXPECT_EQ(cache.Render(QSize(700, 700)).size(), QSize(700, 700));
    cache.Finished();
    const QImage whole = cache.Render(QSize(700, 700));
    // The lower half, not there in the first frame, shows grey on average,
    // with the in-between shades of a smooth scale.
    int sum = 0, shades = 0;
    for (int x = 0; x < 700; ++x) {
        const int green = qGreen(whole.pixel(x, 650));
        sum += green;
        shades += green > 40 && green < 215;
    }
    EXPECT_NEAR(sum / 700, 128, 10);
    EXPECT_GT(shades, 100);
}

TEST(DisplayCache, OnAScaledScreenThePictureIsMadeAtTheScreensPixelsInTheSamePlace)
{
    // A 1-pixel checkerboard of 800 x 600 in an area of 500 x 400 at scale 2:
    // the place is the area's (500 x 375), the picture 1000 x 750 screen
    // pixels, every one from the picture's own detail (no pixel doubled).
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            std::fill_n(bitmap.ScanLine(y) + x * 3, 3, uint8_t((x + y) % 2 ? 255 : 0));
    viewer::DisplayCache cache;
    cache.SetPicture(&bitmap);
    cache.Finished();
    QRect logical, scaled;
    cache.Render(QSize(500, 400), &logical);
    const QImage shown = cache.Render(QSize(500, 400), &scaled, 2.0);
    EXPECT_EQ(scaled, logical);
    EXPECT_EQ(scaled, QRect(0, 12, 500, 375));
    EXPECT_EQ(shown.size(), QSize(1000, 750));
    EXPECT_EQ(shown.devicePixelRatio(), 2.0);
    int evenPairs = 0, oddPairs = 0;
    for (int x = 100; x < 900; x += 2) {
        evenPairs += std::abs(qGreen(shown.pixel(x, 375)) - qGreen(shown.pixel(x + 1, 375)));
        oddPairs += std::abs(qGreen(shown.pixel(x + 1, 375)) - qGreen(shown.pixel(x + 2, 375)));
    }
    EXPECT_GT(evenPairs, 0);
    EXPECT_NEAR(double(oddPairs) / evenPairs, 1.0, 0.35);
}
