// Windows metafiles built record by record, drawn by the metafile class and
// compared pixel for pixel: the placeable header and the window extent give
// the size, objects take the lowest free number, bitmaps, regions, text,
// clipping, and damaged files.
#include "MetafileTestSupport.h"

#include <initializer_list>
#include <string>
#include <vector>

using namespace orvane::test::metafile;

namespace {

enum : uint16_t {
    META_EOF = 0x0000, META_SAVEDC = 0x001E, META_SETBKMODE = 0x0102, META_SETMAPMODE = 0x0103,
    META_RESTOREDC = 0x0127, META_SELECTCLIPREGION = 0x012C, META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E, META_DELETEOBJECT = 0x01F0, META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B, META_SETWINDOWEXT = 0x020C, META_SETVIEWPORTEXT = 0x020E, META_LINETO = 0x0213,
    META_MOVETO = 0x0214, META_FILLREGION = 0x0228, META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB, META_CREATEBRUSHINDIRECT = 0x02FC, META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325, META_EXCLUDECLIPRECT = 0x0415, META_INTERSECTCLIPRECT = 0x0416,
    META_RECTANGLE = 0x041B, META_TEXTOUT = 0x0521, META_POLYPOLYGON = 0x0538, META_PATBLT = 0x061D,
    META_CREATEREGION = 0x06FF, META_DIBBITBLT = 0x0940, META_EXTTEXTOUT = 0x0A32,
    META_DIBSTRETCHBLT = 0x0B41, META_STRETCHDIB = 0x0F43,
};

class WmfWriter {
public:
    // With a placeable header: box in logical units, units per inch.
    WmfWriter& Placeable(int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t inch)
    {
        placeable_ = {left, top, right, bottom, int16_t(inch)};
        return *this;
    }
    // A record of 16-bit parameters, in the order they are stored.
    WmfWriter& Add(uint16_t function, std::initializer_list<int> params)
    {
        Bytes body;
        for (int p : params)
            body.U16(uint32_t(p));
        return Raw(function, body.data);
    }
    WmfWriter& Raw(uint16_t function, std::vector<uint8_t> body)
    {
        if (body.size() % 2)
            body.push_back(0);
        Bytes r;
        r.U32(uint32_t(3 + body.size() / 2));
        r.U16(function);
        r.Put(body);
        records_.Put(r.data);
        return *this;
    }
    std::vector<uint8_t> Build(bool eof = true, uint16_t objects = 16) const
    {
        Bytes b;
        if (!placeable_.empty()) {
            b.U32(0x9AC6CDD7);
            b.U16(0);
            for (int16_t v : placeable_)
                b.U16(uint16_t(v));
            b.U32(0);
            uint16_t sum = 0;
            for (size_t i = 0; i < 20; i += 2)
                sum ^= uint16_t(b.data[i] | (b.data[i + 1] << 8));
            b.U16(sum);
        }
        const size_t words = 9 + records_.data.size() / 2 + (eof ? 3 : 0);
        b.U16(1), b.U16(9), b.U16(0x300);
        b.U32(uint32_t(words));
        b.U16(objects);
        b.U32(0);
        b.U16(0);
        b.Put(records_.data);
        if (eof)
            b.U32(3), b.U16(META_EOF);
        return b.data;
    }

private:
    std::vector<int16_t> placeable_;
    Bytes records_;
};

// Brush (object 0) and pen (object 1) of the colours, selected.
WmfWriter& Select(WmfWriter& w, uint32_t brush, int penStyle = 5, uint32_t pen = 0)
{
    w.Add(META_CREATEBRUSHINDIRECT, {0, int(brush & 0xFFFF), int(brush >> 16), 0});
    w.Add(META_CREATEPENINDIRECT, {penStyle, 0, 0, int(pen & 0xFFFF), int(pen >> 16)});
    w.Add(META_SELECTOBJECT, {0});
    w.Add(META_SELECTOBJECT, {1});
    return w;
}

} // namespace

TEST(MetafileWmf, PlaceableHeaderGivesSizeAndMapping)
{
    // 200 x 100 units at 960 per inch: 20 x 10 pixels, a tenth of a pixel
    // per unit.
    WmfWriter w;
    w.Placeable(0, 0, 200, 100, 960);
    Select(w, kRed);
    w.Add(META_RECTANGLE, {50, 100, 0, 0}); // bottom, right, top, left: pixels (0, 0) - (10, 5)
    w.Add(META_CREATEPENINDIRECT, {0, 0, 0, int(kBlue & 0xFFFF), int(kBlue >> 16)});
    w.Add(META_SELECTOBJECT, {2});
    w.Add(META_MOVETO, {80, 120}).Add(META_LINETO, {80, 190}); // y, x: row 8, x 12..18
    const auto picture = Load(w.Build());
    EXPECT_TRUE(SamePicture(Picture(20, 10).Fill(0, 0, 9, 4, 0xFF0000).Fill(12, 8, 19, 9, 0x0000FF), *picture));
    const std::vector<uint8_t> bytes = w.Build();
    TMemoryStream again(bytes.data(), bytes.size());
    EXPECT_TRUE(TMetafile::ClassInfo().AcceptsStream(again));
    EXPECT_EQ(again.Position(), 0);
}

TEST(MetafileWmf, WindowRecordsSizeAPlainFileAndMoveItsOrigin)
{
    WmfWriter w;
    w.Add(META_SETWINDOWORG, {10, 20});  // y, x
    w.Add(META_SETWINDOWEXT, {10, 16});  // 16 x 10 pixels
    w.Add(META_SETMAPMODE, {1});         // ignored: the viewport is the picture
    w.Add(META_SETVIEWPORTEXT, {50, 50}); // likewise
    Select(w, kGreen);
    w.Add(META_RECTANGLE, {15, 25, 12, 22});
    const auto picture = Load(w.Build());
    EXPECT_TRUE(SamePicture(Picture(16, 10).Fill(2, 2, 4, 4, 0x00FF00), *picture));
}

TEST(MetafileWmf, PolygonsAndPolylines)
{
    WmfWriter w;
    w.Placeable(0, 0, 16, 8, 96);
    Select(w, kBlue);
    w.Add(META_POLYGON, {4, 1, 1, 4, 1, 4, 5, 1, 5});
    w.Add(META_POLYPOLYGON, {2, 4, 3, 6, 0, 9, 0, 9, 3, 6, 3, 10, 4, 14, 4, 12, 8});
    w.Add(META_CREATEPENINDIRECT, {0, 0, 0, int(kRed & 0xFFFF), int(kRed >> 16)});
    w.Add(META_SELECTOBJECT, {2});
    w.Add(META_POLYLINE, {3, 1, 7, 5, 7, 5, 6});
    const auto picture = Load(w.Build());
    const Picture p = Pixels(*picture);
    Picture expected(16, 8);
    expected.Fill(1, 1, 4, 5, 0x0000FF).Fill(6, 0, 9, 3, 0x0000FF);
    expected.Fill(1, 7, 5, 8, 0xFF0000).Fill(5, 6, 6, 8, 0xFF0000);
    // The triangle's slanted edges depend on rasterising; its inside does not.
    for (int y = 4; y < 8; ++y)
        for (int x = 10; x < 15; ++x)
            expected.pixels[size_t(y) * 16 + size_t(x)] = p.At(x, y);
    EXPECT_TRUE(SamePicture(expected, *picture));
    EXPECT_EQ(p.At(12, 5), 0x0000FFu);
    EXPECT_EQ(p.At(10, 7), 0xFFFFFFu);
}

TEST(MetafileWmf, ObjectsTakeTheLowestFreeNumber)
{
    WmfWriter w;
    w.Placeable(0, 0, 12, 4, 96);
    Select(w, kRed); // brush 0, pen 1 (null)
    w.Add(META_DELETEOBJECT, {0});
    w.Add(META_CREATEBRUSHINDIRECT, {0, int(kGreen & 0xFFFF), int(kGreen >> 16), 0}); // takes 0
    w.Add(META_CREATEBRUSHINDIRECT, {0, int(kBlue & 0xFFFF), int(kBlue >> 16), 0});   // takes 2
    w.Add(META_SELECTOBJECT, {0});
    w.Add(META_RECTANGLE, {4, 4, 0, 0});
    w.Add(META_SELECTOBJECT, {2});
    w.Add(META_RECTANGLE, {4, 8, 0, 4});
    w.Add(META_SELECTOBJECT, {9}); // empty slot: nothing changes
    w.Add(META_RECTANGLE, {4, 12, 0, 8});
    const auto picture = Load(w.Build());
    EXPECT_TRUE(SamePicture(
        Picture(12, 4).Fill(0, 0, 3, 3, 0x00FF00).Fill(4, 0, 7, 3, 0x0000FF).Fill(8, 0, 11, 3, 0x0000FF),
        *picture));
}

TEST(MetafileWmf, ObjectTableOfTheHeaderIsRespected)
{
    // Room for one object: the pen cannot be made, the brush stays.
    WmfWriter w;
    w.Placeable(0, 0, 4, 4, 96);
    Select(w, kRed);
    w.Add(META_RECTANGLE, {4, 4, 0, 0});
    const auto picture = Load(w.Build(true, 1));
    // The default black pen draws the outline.
    EXPECT_TRUE(SamePicture(Picture(4, 4).Fill(0, 0, 4, 4, 0).Fill(1, 1, 3, 3, 0xFF0000), *picture));
}

TEST(MetafileWmf, ClippingAndSavedStates)
{
    WmfWriter w;
    w.Placeable(0, 0, 12, 6, 96);
    Select(w, kRed);
    w.Add(META_SAVEDC, {});
    w.Add(META_INTERSECTCLIPRECT, {5, 6, 1, 1}); // bottom, right, top, left
    w.Add(META_EXCLUDECLIPRECT, {3, 4, 2, 3});
    w.Add(META_RECTANGLE, {7, 13, 0, 0});
    w.Add(META_RESTOREDC, {-1});
    w.Add(META_RECTANGLE, {7, 13, 0, 8});
    const auto picture = Load(w.Build());
    EXPECT_TRUE(SamePicture(
        Picture(12, 6).Fill(1, 1, 6, 5, 0xFF0000).Fill(3, 2, 4, 3, 0xFFFFFF).Fill(8, 0, 12, 6, 0xFF0000), *picture));
}

TEST(MetafileWmf, RegionsFillAndClip)
{
    // A region of two scans: (1,1)-(4,3) and (2,3)-(6,5).
    Bytes region;
    region.U16(0), region.U16(6), region.U32(0), region.U16(0);
    region.U16(2), region.U16(0); // scans, max scan
    for (int v : {1, 1, 6, 5})
        region.U16(uint16_t(v));
    for (int v : {2, 1, 3, 1, 4, 2})
        region.U16(uint16_t(v));
    for (int v : {2, 3, 5, 2, 6, 2})
        region.U16(uint16_t(v));
    WmfWriter w;
    w.Placeable(0, 0, 16, 6, 96);
    Select(w, kBlue);                        // brush 0, pen 1
    w.Raw(META_CREATEREGION, region.data);   // 2
    w.Add(META_FILLREGION, {2, 0});
    w.Add(META_SELECTCLIPREGION, {2});
    w.Add(META_CREATEBRUSHINDIRECT, {0, int(kGreen & 0xFFFF), int(kGreen >> 16), 0}); // 3
    w.Add(META_SELECTOBJECT, {3});
    w.Add(META_PATBLT, {0x0021, 0x00F0, 6, 16, 0, 0}); // PATCOPY over everything, clipped
    w.Add(META_SELECTCLIPREGION, {1});                  // not a region: no clip
    w.Add(META_PATBLT, {0x0021, 0x00F0, 6, 4, 0, 12});
    const auto picture = Load(w.Build());
    Picture expected(16, 6);
    expected.Fill(1, 1, 4, 3, 0x00FF00).Fill(2, 3, 6, 5, 0x00FF00).Fill(12, 0, 16, 6, 0x00FF00);
    EXPECT_TRUE(SamePicture(expected, *picture));
}

TEST(MetafileWmf, DibRecordsDrawTheirBitmaps)
{
    const std::vector<uint32_t> rgb = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000};
    const std::vector<uint8_t> dib = Dib24(2, 2, rgb);
    auto record = [&](std::initializer_list<int> params) {
        Bytes b;
        for (int p : params)
            b.U16(uint32_t(p));
        b.Put(dib);
        return b.data;
    };
    WmfWriter w;
    w.Placeable(0, 0, 24, 8, 96);
    // STRETCHDIB: rop, usage, srcH, srcW, ySrc, xSrc, destH, destW, y, x.
    w.Raw(META_STRETCHDIB, record({0x0020, 0x00CC, 0, 2, 2, 0, 0, 8, 8, 0, 0}));
    // DIBSTRETCHBLT of the top row, doubled: source rows from the top.
    w.Raw(META_DIBSTRETCHBLT, record({0x0020, 0x00CC, 1, 2, 0, 0, 2, 4, 0, 10}));
    // DIBBITBLT: rop, ySrc, xSrc, height, width, y, x.
    w.Raw(META_DIBBITBLT, record({0x0020, 0x00CC, 1, 0, 1, 2, 4, 20}));
    const auto picture = Load(w.Build());
    Picture expected(24, 8);
    expected.Fill(0, 0, 4, 4, 0xFF0000).Fill(4, 0, 8, 4, 0x00FF00);
    expected.Fill(0, 4, 4, 8, 0x0000FF).Fill(4, 4, 8, 8, 0x000000);
    expected.Fill(10, 0, 12, 2, 0xFF0000).Fill(12, 0, 14, 2, 0x00FF00);
    expected.Fill(20, 4, 21, 5, 0x0000FF).Fill(21, 4, 22, 5, 0x000000);
    EXPECT_TRUE(SamePicture(expected, *picture));
}

TEST(MetafileWmf, TextInTheTextColour)
{
    auto textFile = [](uint16_t function) {
        Bytes font;
        for (int v : {-20, 0, 0, 0, 400})
            font.U16(uint16_t(v));
        font.U32(0), font.U32(0);
        for (char c : std::string("DejaVu Sans"))
            font.data.push_back(uint8_t(c));
        font.data.push_back(0);
        WmfWriter w;
        w.Placeable(0, 0, 60, 30, 96);
        w.Raw(META_CREATEFONTINDIRECT, font.data);
        w.Add(META_SELECTOBJECT, {0});
        w.Add(META_SETTEXTCOLOR, {int(kBlue & 0xFFFF), int(kBlue >> 16)});
        w.Add(META_SETBKMODE, {1});
        if (function == META_TEXTOUT)
            w.Add(META_TEXTOUT, {2, 'H' | ('I' << 8), 5, 30}); // length, text, y, x
        else
            w.Add(META_EXTTEXTOUT, {5, 30, 2, 0, 'H' | ('I' << 8), 12, 12}); // y, x, length, options, text, dx
        return w.Build();
    };
    for (uint16_t function : {META_TEXTOUT, META_EXTTEXTOUT}) {
        const Picture p = Pixels(*Load(textFile(function)));
        int blue = 0, elsewhere = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const uint32_t c = p.At(x, y);
                if (c == 0xFFFFFF)
                    continue;
                if (x >= 30 && y >= 5 && (c & 0xFF) == 0xFF)
                    ++blue;
                else
                    ++elsewhere;
            }
        EXPECT_GT(blue, 40) << function;
        EXPECT_EQ(elsewhere, 0) << function;
    }
}

TEST(MetafileWmf, OpaqueTextRectangleWithoutText)
{
    // The usual way of filling with the background colour.
    WmfWriter w;
    w.Placeable(0, 0, 10, 6, 96);
    w.Add(0x0201, {int(kGreen & 0xFFFF), int(kGreen >> 16)}); // META_SETBKCOLOR
    w.Add(META_EXTTEXTOUT, {0, 0, 0, 2, 2, 1, 7, 5});       // y, x, no text, ETO_OPAQUE, rectangle
    EXPECT_TRUE(SamePicture(Picture(10, 6).Fill(2, 1, 7, 5, 0x00FF00), *Load(w.Build())));
}

TEST(MetafileWmf, UnknownRecordsAreSkipped)
{
    auto build = [](bool extra) {
        WmfWriter w;
        w.Placeable(0, 0, 8, 8, 96);
        if (extra) {
            w.Add(0x0626, {15, 4, 1, 2}); // an escape
            w.Add(0x7777, {1, 2, 3});
            w.Add(META_POLYLINE, {30000, 1, 1}); // claims far more points than it holds
            w.Add(META_SELECTOBJECT, {40000});
        }
        Select(w, kRed);
        w.Add(META_RECTANGLE, {8, 8, 0, 0});
        return w.Build();
    };
    EXPECT_EQ(Pixels(*Load(build(true))).pixels, Pixels(*Load(build(false))).pixels);
    EXPECT_EQ(Pixels(*Load(build(true))).At(3, 3), 0xFF0000u);
}

TEST(MetafileWmf, TheDebugTraceNamesEachRecordAsItPlays)
{
    WmfWriter w;
    w.Placeable(0, 0, 8, 8, 96);
    Select(w, kRed);
    w.Add(0x7777, {1});
    w.Add(META_RECTANGLE, {8, 8, 0, 0});
    const std::vector<std::string> expected = {
        "META_CREATEBRUSHINDIRECT",   "META_CREATEPENINDIRECT", "META_SELECTOBJECT", "META_SELECTOBJECT",
        "record type 0x7777 skipped", "META_RECTANGLE",         "META_EOF"};
    EXPECT_EQ(RecordTrace(w.Build()), expected);
}

TEST(MetafileWmf, DamagedFilesGiveTheError)
{
    WmfWriter w;
    w.Placeable(0, 0, 8, 8, 96);
    Select(w, kRed);
    w.Add(META_RECTANGLE, {8, 8, 0, 0});
    const std::vector<uint8_t> good = w.Build();
    ASSERT_EQ(LoadError(good), "(loaded)");

    EXPECT_EQ(LoadError(std::vector<uint8_t>(good.begin(), good.end() - 9)), kInvalid); // inside a record
    // Ends at a record boundary without META_EOF, shorter than the header says.
    EXPECT_EQ(LoadError(std::vector<uint8_t>(good.begin(), good.end() - 6)), kInvalid);
    std::vector<uint8_t> tiny = good;
    tiny[40] = 2, tiny[41] = 0; // first record: 2 words, shorter than its own head
    EXPECT_EQ(LoadError(tiny), kInvalid);
    std::vector<uint8_t> huge = good;
    huge[43] = 0x40; // first record: a thousand million words
    EXPECT_EQ(LoadError(huge), kInvalid);
    std::vector<uint8_t> header = good;
    header[24] = 10; // header size
    EXPECT_EQ(LoadError(header), kInvalid);
    EXPECT_EQ(LoadError({0xD7, 0xCD, 0xC6, 0x9A, 0, 0}), kInvalid);
    // Neither a placeable box nor a window extent: no size.
    WmfWriter plain;
    Select(plain, kRed);
    EXPECT_EQ(LoadError(plain.Build()), kInvalid);
    // A placeable box of no size falls back to the window extent.
    WmfWriter flat;
    flat.Placeable(0, 0, 0, 10, 96);
    flat.Add(META_SETWINDOWEXT, {3, 5});
    EXPECT_EQ(Load(flat.Build())->Width(), 5);
}

TEST(MetafileWmf, SampleFilesShowTheirMarks)
{
    struct Probe {
        int x, y;
        uint32_t rgb;
    };
    struct Sample {
        const char* name;
        int width, height;
        std::vector<Probe> probes;
    };
    const std::vector<Probe> common = {{10, 10, 0xFF0000}, {34, 12, 0x0000FF}, {57, 10, 0x00FF00},
                                       {71, 10, 0xFF0000}, {75, 10, 0x00FF00}, {79, 10, 0x0000FF},
                                       {83, 10, 0x000000}, {22, 10, 0xFFFFFF}, {90, 22, 0xFFFFFF}};
    const std::vector<Sample> samples = {
        {"wmf/placeable.wmf", 96, 48, common},
        {"emf/shapes.emf", 96, 48, common},
        {"wmf/plain.wmf", 40, 30, {{5, 5, 0xFF0000}, {25, 20, 0x00FF00}, {35, 5, 0xFFFFFF}}},
        {"emf/mapping.emf", 48, 48, {{10, 10, 0xFF0000}, {36, 36, 0x00FF00}, {36, 10, 0xFFFFFF}}},
    };
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.name);
        TMetafile picture;
        picture.LoadFromFile(std::string(ORVANE_TEST_FILES_DIR) + "/" + sample.name);
        ASSERT_EQ(picture.Width(), sample.width);
        ASSERT_EQ(picture.Height(), sample.height);
        const Picture p = Pixels(picture);
        for (const Probe& probe : sample.probes)
            EXPECT_EQ(p.At(probe.x, probe.y), probe.rgb) << probe.x << ", " << probe.y;
        if (sample.width == 96) {
            // The word under the marks is dark.
            int dark = 0;
            for (int y = 28; y < 46; ++y)
                for (int x = 4; x < 60; ++x)
                    dark += p.At(x, y) == 0x000000;
            EXPECT_GT(dark, 30);
        }
    }
}
