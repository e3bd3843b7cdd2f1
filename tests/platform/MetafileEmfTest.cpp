// Enhanced metafiles built record by record, drawn by the metafile class
// and compared pixel for pixel with the pictures the device rules give:
// mapping modes, saved states, transforms, clipping, paths, bitmaps, text,
// and damaged files.
#include "MetafileTestSupport.h"

#include "imaging/core/PictureLoader.h"
#include "support/TempTree.h"

#include <initializer_list>
#include <string>
#include <vector>

using namespace orvane::test::metafile;
using orvane::imaging::TGraphicClass;

namespace {

enum : uint32_t {
    EMR_HEADER = 1, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_EOF = 14,
    EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETROP2 = 20, EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24,
    EMR_MOVETOEX = 27, EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30, EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35, EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40, EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43, EMR_LINETO = 54, EMR_BEGINPATH = 59, EMR_ENDPATH = 60, EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62, EMR_STROKEPATH = 64, EMR_SELECTCLIPPATH = 67, EMR_GDICOMMENT = 70, EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76,
    EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81, EMR_ALPHABLEND = 114, EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTW = 84, EMR_POLYLINE16 = 87,
    EMR_POLYPOLYGON16 = 91,
};
constexpr uint32_t kStock = 0x80000000u;
enum : uint32_t { WHITE_BRUSH = 0, BLACK_BRUSH = 4, NULL_BRUSH = 5, BLACK_PEN = 7, NULL_PEN = 8 };

// An enhanced metafile: a header whose bounds are width x height device
// pixels (no frame, so one device pixel is one picture pixel), then the
// records, then EMR_EOF.
class EmfWriter {
public:
    EmfWriter(int width, int height) : width_(width), height_(height) {}

    // A record of 32-bit parameters.
    EmfWriter& Add(uint32_t type, std::initializer_list<int32_t> params)
    {
        Bytes body;
        for (int32_t p : params)
            body.U32(uint32_t(p));
        return Raw(type, body.data);
    }
    EmfWriter& Raw(uint32_t type, const std::vector<uint8_t>& body)
    {
        Bytes r;
        r.U32(type);
        r.U32(uint32_t(8 + ((body.size() + 3) & ~size_t{3})));
        r.Put(body);
        r.Align4();
        records_.Put(r.data);
        ++count_;
        return *this;
    }
    // Frame in hundredths of a millimetre, on a 96 dpi reference device.
    EmfWriter& Frame(int32_t right, int32_t bottom)
    {
        frameRight_ = right, frameBottom_ = bottom;
        return *this;
    }

    std::vector<uint8_t> Build(bool eof = true) const
    {
        Bytes h;
        h.U32(EMR_HEADER);
        h.U32(88);
        for (int32_t v : {0, 0, width_ - 1, height_ - 1})
            h.U32(uint32_t(v));
        for (int32_t v : {0, 0, frameRight_, frameBottom_})
            h.U32(uint32_t(v));
        h.U32(0x464D4520);
        h.U32(0x10000);
        const size_t total = 88 + records_.data.size() + (eof ? 20 : 0);
        h.U32(uint32_t(total));
        h.U32(count_ + 2);
        h.U16(0); // handles
        h.U16(0);
        h.U32(0), h.U32(0), h.U32(0);
        h.U32(960), h.U32(960); // device pixels
        h.U32(254), h.U32(254); // millimetres: 96 dpi
        h.Put(records_.data);
        if (eof)
            for (uint32_t v : {uint32_t(EMR_EOF), 20u, 0u, 0u, 20u})
                h.U32(v);
        return h.data;
    }

private:
    int width_, height_;
    int32_t frameRight_ = 0, frameBottom_ = 0;
    Bytes records_;
    uint32_t count_ = 0;
};

// A brush and a pen of the colours (objects 1 and 2), selected.
EmfWriter& Select(EmfWriter& w, uint32_t brushColor, int penStyle = 5, uint32_t penColor = 0, int penWidth = 0)
{
    w.Add(EMR_CREATEBRUSHINDIRECT, {1, 0, int32_t(brushColor), 0});
    w.Add(EMR_CREATEPEN, {2, penStyle, penWidth, 0, int32_t(penColor)});
    w.Add(EMR_SELECTOBJECT, {1});
    w.Add(EMR_SELECTOBJECT, {2});
    return w;
}

// EMR_STRETCHDIBITS body (after type and size) for a packed DIB.
std::vector<uint8_t> StretchDibits(int x, int y, int cx, int cy, int xSrc, int ySrc, int cxSrc, int cySrc,
                                   const std::vector<uint8_t>& dib)
{
    Bytes b;
    for (int i = 0; i < 4; ++i)
        b.U32(0); // bounds
    for (int v : {x, y, xSrc, ySrc, cxSrc, cySrc})
        b.U32(uint32_t(v));
    const uint32_t offBmi = 80, cbBmi = 40, offBits = offBmi + cbBmi;
    b.U32(offBmi), b.U32(cbBmi), b.U32(offBits), b.U32(uint32_t(dib.size() - 40));
    b.U32(0);          // DIB_RGB_COLORS
    b.U32(0x00CC0020); // SRCCOPY
    b.U32(uint32_t(cx)), b.U32(uint32_t(cy));
    b.Put(dib);
    return b.data;
}

} // namespace

TEST(MetafileEmf, ClassAnswersForBothKindsAndLeavesTheStreamWhereItWas)
{
    const TGraphicClass& info = TMetafile::ClassInfo();
    EXPECT_STREQ(info.ClassName, "TMetafile");
    auto created = info.Create();
    EXPECT_EQ(&created->GraphicClass(), &info);
    std::vector<uint8_t> bytes = EmfWriter(4, 4).Build();
    bytes.insert(bytes.begin(), 3, 0);
    TMemoryStream stream(bytes.data(), bytes.size());
    stream.SetPosition(3);
    EXPECT_TRUE(info.AcceptsStream(stream));
    EXPECT_EQ(stream.Position(), 3);
    stream.SetPosition(0);
    EXPECT_FALSE(info.AcceptsStream(stream));
    EXPECT_EQ(stream.Position(), 0);
}

TEST(MetafileEmf, RectanglesFollowTheDeviceRules)
{
    // With no outline the rectangle is one pixel smaller; with a one-pixel
    // outline the outline runs along the inside of [left, right).
    EmfWriter w(16, 12);
    Select(w, kRed);
    w.Add(EMR_RECTANGLE, {2, 1, 8, 5});
    w.Add(EMR_CREATEPEN, {3, 0, 1, 0, int32_t(kBlue)});
    w.Add(EMR_SELECTOBJECT, {3});
    w.Add(EMR_CREATEBRUSHINDIRECT, {4, 0, int32_t(kGreen), 0});
    w.Add(EMR_SELECTOBJECT, {4});
    w.Add(EMR_RECTANGLE, {9, 6, 15, 11});
    const auto picture = Load(w.Build());
    Picture expected(16, 12);
    expected.Fill(2, 1, 7, 4, 0xFF0000);
    expected.Fill(9, 6, 15, 11, 0x0000FF).Fill(10, 7, 14, 10, 0x00FF00);
    EXPECT_TRUE(SamePicture(expected, *picture));
    EXPECT_FALSE(picture->HasAlpha());
}

TEST(MetafileEmf, LinesLeaveOutTheirLastPixel)
{
    EmfWriter w(12, 10);
    w.Add(EMR_CREATEPEN, {1, 0, 0, 0, int32_t(kRed)});
    w.Add(EMR_SELECTOBJECT, {1});
    w.Add(EMR_MOVETOEX, {1, 1}).Add(EMR_LINETO, {9, 1}).Add(EMR_LINETO, {9, 8});
    Bytes poly; // EMR_POLYLINE16: bounds, count, points
    for (int v : {0, 0, 0, 0, 3})
        poly.U32(uint32_t(v));
    for (int v : {2, 3, 2, 7, 6, 7})
        poly.U16(uint16_t(v));
    w.Raw(EMR_POLYLINE16, poly.data);
    Picture expected(12, 10);
    expected.Fill(1, 1, 9, 2, 0xFF0000).Fill(9, 1, 10, 8, 0xFF0000);
    expected.Fill(2, 3, 3, 7, 0xFF0000).Fill(2, 7, 6, 8, 0xFF0000);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

TEST(MetafileEmf, PolygonsFillTheirInside)
{
    EmfWriter w(16, 8);
    Select(w, kBlue);
    w.Add(EMR_POLYGON, {0, 0, 0, 0, 4, 1, 1, 5, 1, 5, 6, 1, 6});
    Bytes pp; // EMR_POLYPOLYGON16: bounds, polygons, points, counts, points
    for (int v : {0, 0, 0, 0, 2, 8, 4, 4})
        pp.U32(uint32_t(v));
    for (int v : {7, 0, 10, 0, 10, 3, 7, 3, 11, 4, 15, 4, 15, 8, 11, 8})
        pp.U16(uint16_t(v));
    w.Raw(EMR_POLYPOLYGON16, pp.data);
    Picture expected(16, 8);
    expected.Fill(1, 1, 5, 6, 0x0000FF).Fill(7, 0, 10, 3, 0x0000FF).Fill(11, 4, 15, 8, 0x0000FF);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

TEST(MetafileEmf, WindowAndViewportMapLogicalUnits)
{
    // Anisotropic: 100 x 50 logical units onto 20 x 20 pixels, origins moved.
    EmfWriter w(24, 24);
    Select(w, kRed);
    w.Add(EMR_SETMAPMODE, {8});
    w.Add(EMR_SETWINDOWEXTEX, {100, 50}).Add(EMR_SETVIEWPORTEXTEX, {20, 20});
    w.Add(EMR_SETWINDOWORGEX, {-10, 0}).Add(EMR_SETVIEWPORTORGEX, {0, 2});
    w.Add(EMR_RECTANGLE, {0, 0, 51, 26}); // device (2, 2) - (12.2, 12.4)
    // Isotropic: the smaller scale both ways (0.2).
    w.Add(EMR_SETMAPMODE, {7});
    w.Add(EMR_SETWINDOWORGEX, {0, 0}).Add(EMR_SETVIEWPORTORGEX, {0, 0});
    w.Add(EMR_SETWINDOWEXTEX, {100, 50}).Add(EMR_SETVIEWPORTEXTEX, {20, 20});
    w.Add(EMR_CREATEBRUSHINDIRECT, {3, 0, int32_t(kBlue), 0}).Add(EMR_SELECTOBJECT, {3});
    w.Add(EMR_RECTANGLE, {75, 75, 116, 116}); // device (15, 15) - (23.2, 23.2)
    Picture expected(24, 24);
    expected.Fill(2, 2, 11, 11, 0xFF0000).Fill(15, 15, 22, 22, 0x0000FF);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

TEST(MetafileEmf, MetricModeUsesTheReferenceDeviceAndTheFrame)
{
    // 0.01 mm units, y upwards, on a 96 dpi device; the frame of 12.7 mm
    // square makes a 48 x 48 picture.
    EmfWriter w(48, 48);
    w.Frame(1270, 1270);
    Select(w, kGreen);
    w.Add(EMR_SETMAPMODE, {3});
    w.Add(EMR_RECTANGLE, {635, -635, 1270, -1270}); // device (24, 24) - (48, 48)
    Picture expected(48, 48);
    expected.Fill(24, 24, 47, 47, 0x00FF00);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

TEST(MetafileEmf, SavedStatesComeBack)
{
    EmfWriter w(12, 4);
    Select(w, kRed);
    w.Add(EMR_SAVEDC, {});
    w.Add(EMR_SELECTOBJECT, {int32_t(kStock | BLACK_BRUSH)});
    w.Add(EMR_SETWINDOWORGEX, {-4, 0});
    w.Add(EMR_INTERSECTCLIPRECT, {0, 0, 1, 1});
    w.Add(EMR_SAVEDC, {});
    w.Add(EMR_RECTANGLE, {0, 0, 4, 4}); // black at 4..6, clipped to 4, 0
    w.Add(EMR_RESTOREDC, {-2});
    w.Add(EMR_RECTANGLE, {8, 0, 12, 4}); // red, no offset, no clip
    w.Add(EMR_RESTOREDC, {-1});          // nothing saved any more: ignored
    w.Add(EMR_RECTANGLE, {0, 0, 2, 2});
    Picture expected(12, 4);
    expected.Fill(4, 0, 5, 1, 0x000000).Fill(8, 0, 11, 3, 0xFF0000).Fill(0, 0, 1, 1, 0xFF0000);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

TEST(MetafileEmf, WorldTransformMovesAndScales)
{
    auto transform = [](EmfWriter& w, uint32_t type, float m11, float m22, float dx, float dy, int mode) {
        Bytes b;
        for (float f : {m11, 0.0f, 0.0f, m22, dx, dy})
            b.F32(f);
        if (type == EMR_MODIFYWORLDTRANSFORM)
            b.U32(uint32_t(mode));
        w.Raw(type, b.data);
    };
    EmfWriter w(20, 12);
    Select(w, kBlue);
    transform(w, EMR_SETWORLDTRANSFORM, 1, 1, 10, 2, 0);
    // Left multiply: scale first, then the translation already set.
    transform(w, EMR_MODIFYWORLDTRANSFORM, 2, 2, 0, 0, 2);
    w.Add(EMR_RECTANGLE, {0, 0, 4, 3}); // device (10, 2) - (18, 8)
    transform(w, EMR_MODIFYWORLDTRANSFORM, 1, 1, 0, 0, 1); // identity
    w.Add(EMR_RECTANGLE, {0, 9, 3, 12});
    Picture expected(20, 12);
    expected.Fill(10, 2, 17, 7, 0x0000FF).Fill(0, 9, 2, 11, 0x0000FF);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

TEST(MetafileEmf, ClippingRectanglesAndRegions)
{
    EmfWriter w(16, 8);
    Select(w, kRed);
    w.Add(EMR_INTERSECTCLIPRECT, {2, 1, 10, 7});
    w.Add(EMR_EXCLUDECLIPRECT, {4, 3, 6, 5});
    w.Add(EMR_RECTANGLE, {0, 0, 17, 9});
    // A region of two rectangles replaces the clip.
    Bytes rgn;
    rgn.U32(64);          // region data size
    rgn.U32(5);           // RGN_COPY
    rgn.U32(32), rgn.U32(1), rgn.U32(2), rgn.U32(32);
    for (int v : {12, 0, 16, 8, 12, 0, 14, 2, 13, 6, 16, 8})
        rgn.U32(uint32_t(v));
    w.Raw(EMR_EXTSELECTCLIPRGN, rgn.data);
    w.Add(EMR_CREATEBRUSHINDIRECT, {3, 0, int32_t(kGreen), 0}).Add(EMR_SELECTOBJECT, {3});
    w.Add(EMR_RECTANGLE, {0, 0, 17, 9});
    Picture expected(16, 8);
    expected.Fill(2, 1, 10, 7, 0xFF0000).Fill(4, 3, 6, 5, 0xFFFFFF);
    expected.Fill(12, 0, 14, 2, 0x00FF00).Fill(13, 6, 16, 8, 0x00FF00);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

TEST(MetafileEmf, ARegionSpanningEveryCoordinateClipsToThePicture)
{
    // A hostile region rectangle from the smallest to the largest 32-bit
    // coordinate: the whole picture is inside it.
    EmfWriter w(8, 4);
    Bytes rgn;
    rgn.U32(48);
    rgn.U32(5); // RGN_COPY
    rgn.U32(32), rgn.U32(1), rgn.U32(1), rgn.U32(16);
    for (uint32_t v : {0x80000000u, 0x80000000u, 0x7FFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x80000000u, 0x7FFFFFFFu,
                       0x7FFFFFFFu})
        rgn.U32(v);
    w.Raw(EMR_EXTSELECTCLIPRGN, rgn.data);
    Select(w, kRed);
    w.Add(EMR_RECTANGLE, {0, 0, 9, 5});
    Picture expected(8, 4);
    expected.Fill(0, 0, 8, 4, 0xFF0000);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

TEST(MetafileEmf, PathsFillAndStroke)
{
    EmfWriter w(16, 8);
    Select(w, kGreen, 0, kBlue);
    w.Add(EMR_BEGINPATH, {});
    w.Add(EMR_MOVETOEX, {1, 1}).Add(EMR_LINETO, {6, 1}).Add(EMR_LINETO, {6, 6}).Add(EMR_LINETO, {1, 6});
    w.Add(EMR_CLOSEFIGURE, {}).Add(EMR_ENDPATH, {});
    w.Add(EMR_FILLPATH, {0, 0, 0, 0});
    w.Add(EMR_BEGINPATH, {});
    w.Add(EMR_MOVETOEX, {9, 2}).Add(EMR_LINETO, {14, 2});
    w.Add(EMR_ENDPATH, {});
    w.Add(EMR_STROKEPATH, {0, 0, 0, 0});
    w.Add(EMR_STROKEPATH, {0, 0, 0, 0}); // the path is gone: nothing
    Picture expected(16, 8);
    expected.Fill(1, 1, 6, 6, 0x00FF00).Fill(9, 2, 14, 3, 0x0000FF);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

TEST(MetafileEmf, ClipPathsFarTallerThanThePicture)
{
    // A path 300 000 pixels tall still clips to its columns.
    EmfWriter w(10, 6);
    Select(w, kBlue);
    w.Add(EMR_BEGINPATH, {});
    w.Add(EMR_RECTANGLE, {2, -150000, 6, 150000});
    w.Add(EMR_ENDPATH, {});
    w.Add(EMR_SELECTCLIPPATH, {5});
    w.Add(EMR_RECTANGLE, {0, 0, 11, 7});
    EXPECT_TRUE(SamePicture(Picture(10, 6).Fill(2, 0, 6, 6, 0x0000FF), *Load(w.Build())));
}

TEST(MetafileEmf, StockObjectsAndDeletedObjects)
{
    EmfWriter w(12, 4);
    w.Add(EMR_SELECTOBJECT, {int32_t(kStock | NULL_PEN)});
    w.Add(EMR_SELECTOBJECT, {int32_t(kStock | BLACK_BRUSH)});
    w.Add(EMR_RECTANGLE, {0, 0, 4, 4});
    w.Add(EMR_CREATEBRUSHINDIRECT, {1, 0, int32_t(kRed), 0});
    w.Add(EMR_DELETEOBJECT, {1});
    w.Add(EMR_SELECTOBJECT, {1});     // deleted: still black
    w.Add(EMR_SELECTOBJECT, {70000}); // never made
    w.Add(EMR_RECTANGLE, {4, 0, 8, 4});
    w.Add(EMR_SELECTOBJECT, {int32_t(kStock | NULL_BRUSH)});
    w.Add(EMR_SELECTOBJECT, {int32_t(kStock | BLACK_PEN)});
    w.Add(EMR_RECTANGLE, {8, 0, 12, 4});
    Picture expected(12, 4);
    expected.Fill(0, 0, 3, 3, 0).Fill(4, 0, 7, 3, 0);
    expected.Fill(8, 0, 12, 4, 0).Fill(9, 1, 11, 3, 0xFFFFFF);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

TEST(MetafileEmf, BitmapsAreStretchedOntoTheirRectangle)
{
    // A 2 x 2 bitmap (red, green / blue, black) stretched to 8 x 8; the
    // source row counts from the bottom of this bottom-up bitmap.
    const std::vector<uint32_t> rgb = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000};
    EmfWriter w(20, 10);
    w.Raw(EMR_STRETCHDIBITS, StretchDibits(1, 1, 8, 8, 0, 0, 2, 2, Dib24(2, 2, rgb)));
    // Its bottom row only, top-down bitmap: the same rows either way.
    w.Raw(EMR_STRETCHDIBITS, StretchDibits(12, 1, 4, 2, 0, 0, 2, 1, Dib24(2, 2, rgb, false)));
    w.Raw(EMR_STRETCHDIBITS, StretchDibits(12, 5, 4, 2, 0, 1, 2, 1, Dib24(2, 2, rgb, true)));
    Picture expected(20, 10);
    expected.Fill(1, 1, 5, 5, 0xFF0000).Fill(5, 1, 9, 5, 0x00FF00);
    expected.Fill(1, 5, 5, 9, 0x0000FF).Fill(5, 5, 9, 9, 0x000000);
    expected.Fill(12, 1, 14, 3, 0x0000FF).Fill(14, 1, 16, 3, 0x000000);
    expected.Fill(12, 5, 14, 7, 0x0000FF).Fill(14, 5, 16, 7, 0x000000);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

TEST(MetafileEmf, BitBltCopiesAndPatternBltFills)
{
    const std::vector<uint32_t> rgb = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000};
    const std::vector<uint8_t> dib = Dib24(2, 2, rgb);
    auto blt = [&](int x, int y, int cx, int cy, uint32_t rop, bool withBitmap) {
        Bytes b;
        for (int i = 0; i < 4; ++i)
            b.U32(0);
        for (int v : {x, y, cx, cy})
            b.U32(uint32_t(v));
        b.U32(rop);
        b.U32(0), b.U32(0); // source position
        for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f})
            b.F32(f);
        b.U32(0), b.U32(0); // background colour, usage
        if (withBitmap) {
            b.U32(100), b.U32(40), b.U32(140), b.U32(uint32_t(dib.size() - 40));
            b.Put(dib);
        } else {
            b.U32(0), b.U32(0), b.U32(0), b.U32(0);
        }
        return b.data;
    };
    EmfWriter w(10, 4);
    w.Raw(EMR_BITBLT, blt(1, 1, 2, 2, 0x00CC0020, true));
    w.Add(EMR_CREATEBRUSHINDIRECT, {1, 0, int32_t(kBlue), 0}).Add(EMR_SELECTOBJECT, {1});
    w.Raw(EMR_BITBLT, blt(5, 0, 3, 4, 0x00F00021, false)); // PATCOPY
    w.Raw(EMR_BITBLT, blt(9, 0, 1, 4, 0x00000042, false)); // BLACKNESS
    Picture expected(10, 4);
    expected.Fill(1, 1, 2, 2, 0xFF0000).Fill(2, 1, 3, 2, 0x00FF00);
    expected.Fill(1, 2, 2, 3, 0x0000FF).Fill(2, 2, 3, 3, 0x000000);
    expected.Fill(5, 0, 8, 4, 0x0000FF).Fill(9, 0, 10, 4, 0);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

// "HI" in bold 24-pixel letters at (x, y) with the alignment, in red.
std::vector<uint8_t> TextFile(int x, int y, uint32_t align)
{
    EmfWriter w(80, 40);
    Bytes font;
    font.U32(1);
    for (int v : {-24, 0, 0, 0, 700})
        font.U32(uint32_t(v));
    font.U32(0); // italic, underline, strike-out, charset
    font.U32(0);
    for (char16_t c : std::u16string(u"DejaVu Sans"))
        font.U16(c);
    while (font.data.size() < 4 + 92)
        font.data.push_back(0);
    w.Raw(EMR_EXTCREATEFONTINDIRECTW, font.data);
    w.Add(EMR_SELECTOBJECT, {1});
    w.Add(EMR_SETTEXTCOLOR, {int32_t(kRed)});
    w.Add(EMR_SETBKMODE, {1});
    w.Add(EMR_SETTEXTALIGN, {int32_t(align)});
    Bytes text;
    for (int i = 0; i < 4; ++i)
        text.U32(0); // bounds
    text.U32(1), text.F32(1), text.F32(1);
    text.U32(uint32_t(x)), text.U32(uint32_t(y)); // reference point
    text.U32(2);                                    // characters
    text.U32(76);                                   // string offset from the record start
    text.U32(0);                                    // options
    for (int i = 0; i < 4; ++i)
        text.U32(0);
    text.U32(0); // no advances
    text.U16(u'H'), text.U16(u'I');
    w.Raw(EMR_EXTTEXTOUTW, text.data);
    return w.Build();
}

TEST(MetafileEmf, TextIsDrawnInTheTextColourBesideItsReferencePoint)
{
    struct Case {
        uint32_t align;
        int x, y; // reference point
        int left, top, right, bottom; // where the letters must lie
    };
    const Case cases[] = {
        {0, 40, 8, 40, 8, 80, 34},      // top left
        {2 | 8, 40, 34, 0, 0, 40, 34},  // right, bottom
        {6 | 24, 40, 30, 16, 0, 64, 30}, // centre, baseline
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        const Picture p = Pixels(*Load(TextFile(c.x, c.y, c.align)));
        int red = 0, elsewhere = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const uint32_t color = p.At(x, y);
                if (color == 0xFFFFFF)
                    continue;
                const bool inside = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
                // Letters in red, with red-to-white edges.
                if (inside && (color >> 16) == 0xFF)
                    ++red;
                else
                    ++elsewhere;
            }
        EXPECT_GT(red, 60);
        EXPECT_EQ(elsewhere, 0);
    }
}

TEST(MetafileEmf, RasterOperationsOfPensAndBrushes)
{
    // XOR twice gives back what was there; the first time red on white
    // gives cyan.
    EmfWriter w(12, 4);
    Select(w, kRed);
    w.Add(EMR_SETROP2, {7}); // R2_XORPEN
    w.Add(EMR_RECTANGLE, {0, 0, 5, 5});
    w.Add(EMR_RECTANGLE, {0, 0, 3, 3});
    w.Add(EMR_SETROP2, {11}); // R2_NOP
    w.Add(EMR_RECTANGLE, {6, 0, 13, 5});
    Picture expected(12, 4);
    expected.Fill(0, 0, 4, 4, 0x00FFFF).Fill(0, 0, 2, 2, 0xFFFFFF);
    EXPECT_TRUE(SamePicture(expected, *Load(w.Build())));
}

TEST(MetafileEmf, AlphaBlendAndPartialScanLines)
{
    EmfWriter w(8, 4);
    // AlphaBlend of a red pixel at half strength, stretched to 3 x 3.
    const std::vector<uint8_t> red = Dib24(1, 1, {0xFF0000});
    Bytes blend;
    for (int v : {0, 0, 0, 0, 0, 0, 3, 3})
        blend.U32(uint32_t(v));
    blend.data.insert(blend.data.end(), {0, 0, 128, 0}); // constant alpha 128
    blend.U32(0), blend.U32(0);
    for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f})
        blend.F32(f);
    blend.U32(0), blend.U32(0);
    blend.U32(108), blend.U32(40), blend.U32(148), blend.U32(uint32_t(red.size() - 40));
    blend.U32(1), blend.U32(1);
    blend.Put(red);
    w.Raw(EMR_ALPHABLEND, blend.data);
    // Scan lines 1 and 2 of a 2 x 4 bitmap (rows from the top: red, green
    // blue, blue green, black), drawn 1:1 at (5, 1).
    std::vector<uint8_t> dib = Dib24(2, 2, {0x00FF00, 0x0000FF, 0x0000FF, 0x00FF00});
    dib[8] = 4; // the whole bitmap's height
    Bytes scans;
    for (int v : {0, 0, 0, 0, 5, 1, 0, 1, 2, 2})
        scans.U32(uint32_t(v));
    scans.U32(76), scans.U32(40), scans.U32(116), scans.U32(uint32_t(dib.size() - 40));
    scans.U32(0), scans.U32(1), scans.U32(2); // usage, first scan, scans
    scans.Put(dib);
    w.Raw(EMR_SETDIBITSTODEVICE, scans.data);
    const Picture p = Pixels(*Load(w.Build()));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const uint32_t c = p.At(x, y);
            EXPECT_EQ(c >> 16, 0xFFu);
            EXPECT_NEAR(double((c >> 8) & 0xFF), 127, 1.5);
            EXPECT_NEAR(double(c & 0xFF), 127, 1.5);
        }
    EXPECT_EQ(p.At(3, 3), 0xFFFFFFu);
    EXPECT_EQ(p.At(5, 1), 0x00FF00u);
    EXPECT_EQ(p.At(6, 1), 0x0000FFu);
    EXPECT_EQ(p.At(5, 2), 0x0000FFu);
    EXPECT_EQ(p.At(6, 2), 0x00FF00u);
    EXPECT_EQ(p.At(5, 3), 0xFFFFFFu);
    EXPECT_EQ(p.At(5, 0), 0xFFFFFFu);
}

TEST(MetafileEmf, ProgressStartsAndEndsAlsoOnFailure)
{
    std::vector<std::pair<int, std::string>> seen;
    TMetafile picture;
    picture.OnProgress = [&](TBitmap*, orvane::imaging::TProgressStage stage, uint8_t, bool,
                             const orvane::imaging::TRect&, const std::string& message) {
        seen.emplace_back(int(stage), message);
    };
    const std::vector<uint8_t> good = EmfWriter(4, 4).Build();
    TMemoryStream stream(good.data(), good.size());
    picture.LoadFromStream(stream);
    const std::vector<std::pair<int, std::string>> expected = {{0, "Preparing..."}, {2, ""}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(stream.Position(), int64_t(good.size()));
    seen.clear();
    const std::vector<uint8_t> bad(good.begin(), good.begin() + 100);
    TMemoryStream badStream(bad.data(), bad.size());
    EXPECT_THROW(picture.LoadFromStream(badStream), EInvalidGraphic);
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(picture.Empty());
}

TEST(MetafileEmf, RecordsItDoesNotKnowAreSkipped)
{
    auto build = [](bool extra) {
        EmfWriter w(8, 8);
        if (extra) {
            w.Add(9999, {1, 2, 3});
            w.Raw(EMR_GDICOMMENT, {4, 0, 0, 0, 'E', 'M', 'F', '+'});
        }
        Select(w, kRed);
        if (extra)
            w.Add(EMR_POLYLINE, {0, 0, 0, 0, 1000000000}); // far more points than it holds
        w.Add(EMR_ELLIPSE, {0, 0, 8, 8});
        return w.Build();
    };
    const auto plain = Load(build(false));
    const auto withExtras = Load(build(true));
    EXPECT_NE(Pixels(*plain).At(4, 4), 0xFFFFFFu);
    EXPECT_EQ(Pixels(*plain).pixels, Pixels(*withExtras).pixels);
}

TEST(MetafileEmf, TheDebugTraceNamesEachRecordAsItPlays)
{
    EmfWriter w(8, 8);
    Select(w, kRed);
    w.Add(9999, {1});
    w.Add(EMR_ELLIPSE, {0, 0, 8, 8});
    const std::vector<std::string> expected = {
        "EMR_CREATEBRUSHINDIRECT",    "EMR_CREATEPEN", "EMR_SELECTOBJECT", "EMR_SELECTOBJECT",
        "record type 0x270F skipped", "EMR_ELLIPSE",   "EMR_EOF"};
    EXPECT_EQ(RecordTrace(w.Build()), expected);
}

TEST(MetafileEmf, DamagedFilesGiveTheError)
{
    EmfWriter w(8, 8);
    Select(w, kRed);
    w.Add(EMR_RECTANGLE, {0, 0, 4, 4});
    const std::vector<uint8_t> good = w.Build();
    ASSERT_EQ(LoadError(good), "(loaded)");

    std::vector<uint8_t> cut(good.begin(), good.end() - 30); // inside a record
    EXPECT_EQ(LoadError(cut), kInvalid);
    std::vector<uint8_t> noEof = w.Build(false); // header counts bytes that are not there
    noEof[48] += 20;
    EXPECT_EQ(LoadError(noEof), kInvalid);
    std::vector<uint8_t> zeroLength = good;
    zeroLength[88 + 4] = 0; // first record's size
    EXPECT_EQ(LoadError(zeroLength), kInvalid);
    std::vector<uint8_t> tooLong = good;
    tooLong[88 + 6] = 0x10; // 1 MiB
    EXPECT_EQ(LoadError(tooLong), kInvalid);
    std::vector<uint8_t> odd = good;
    odd[88 + 4] += 2;
    EXPECT_EQ(LoadError(odd), kInvalid);
    std::vector<uint8_t> signature = good;
    signature[40] = 'X';
    EXPECT_EQ(LoadError(signature), kInvalid);
    EXPECT_EQ(LoadError({}), kInvalid);
    EXPECT_EQ(LoadError(std::vector<uint8_t>(good.begin(), good.begin() + 60)), kInvalid);
    // No frame and empty bounds: no size at all.
    std::vector<uint8_t> noSize = good;
    for (int i = 8; i < 40; ++i)
        noSize[size_t(i)] = 0;
    noSize[16] = 0xFF, noSize[17] = 0xFF, noSize[18] = 0xFF, noSize[19] = 0xFF; // right = -1
    EXPECT_EQ(LoadError(noSize), kInvalid);
}

TEST(MetafileEmf, HugeFramesAreScaledDown)
{
    // 2 km wide: the longer side becomes the limit, the shape stays.
    EmfWriter wide(8, 8);
    wide.Frame(200000000, 100);
    EXPECT_EQ(Load(wide.Build())->Width(), TMetafile::kMaxSide);
    EXPECT_EQ(Load(wide.Build())->Height(), 1);

    // Within the memory limit as well.
    const size_t saved = TBitmap::MaxImageBytes();
    TBitmap::SetMaxImageBytes(size_t{1} << 20); // 256 Ki pixels
    EmfWriter big(8, 8);
    big.Frame(2000000, 1000000); // 20 m x 10 m
    Select(big, kRed);
    big.Add(EMR_SETMAPMODE, {3});
    big.Add(EMR_RECTANGLE, {0, 0, 2000000, -1000000});
    std::unique_ptr<TMetafile> picture;
    EXPECT_NO_THROW(picture = Load(big.Build()));
    TBitmap::SetMaxImageBytes(saved);
    ASSERT_TRUE(picture);
    EXPECT_LE(size_t(picture->Width()) * size_t(picture->Height()), size_t{1} << 18);
    EXPECT_NEAR(double(picture->Width()) / picture->Height(), 2.0, 0.01);
    EXPECT_EQ(Pixels(*picture).At(picture->Width() / 2, picture->Height() / 2), 0xFF0000u);
}

TEST(MetafileEmf, LoaderReadsBothExtensionsThroughTheClass)
{
    orvane::imaging::RegisterMetafilePictureClass();
    auto& loader = orvane::imaging::TPictureLoader::Instance();
    EXPECT_EQ(loader.FindClass("EMF"), &TMetafile::ClassInfo());
    EXPECT_EQ(loader.FindClass("wmf"), &TMetafile::ClassInfo());
    EmfWriter w(6, 6);
    Select(w, kBlue);
    w.Add(EMR_RECTANGLE, {0, 0, 7, 7});
    orvane::test::TempTree tree;
    const std::vector<uint8_t> bytes = w.Build();
    tree.Write("drawing.emf", std::vector<unsigned char>(bytes.begin(), bytes.end()));
    const auto picture = loader.LoadFromFile(tree.Path("drawing.emf"));
    EXPECT_TRUE(SamePicture(Picture(6, 6).Fill(0, 0, 6, 6, 0x0000FF), *picture));
}
