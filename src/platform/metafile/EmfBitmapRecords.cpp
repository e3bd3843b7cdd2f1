// The bitmap, region and gradient records of enhanced metafiles.
#include "platform/metafile/EmfRecords.h"

#include "platform/metafile/DibImage.h"
#include "platform/metafile/GdiGeometry.h"

#include <cstdlib>
#include <optional>
#include <vector>

namespace orvane::imaging::metafile {

namespace {

constexpr uint32_t SRCCOPY = 0x00CC0020;

// The bitmap a record holds: the offsets and sizes of its BITMAPINFO and of
// its bits from infoAt on. bottomUp, when asked, tells whether its rows are
// stored from the bottom.
QImage RecordDib(GdiCanvas& canvas, const RecordBytes& r, size_t infoAt, bool keepAlpha, bool* bottomUp = nullptr)
{
    const uint32_t offInfo = r.U32(infoAt), infoBytes = r.U32(infoAt + 4);
    const uint32_t offBits = r.U32(infoAt + 8), bitsBytes = r.U32(infoAt + 12);
    const uint8_t* info = r.At(offInfo, infoBytes);
    const uint8_t* bits = r.At(offBits, bitsBytes);
    DibInfo dib;
    if (!info || !bits || !ReadDibInfo(info, infoBytes, dib))
        return QImage();
    if (!canvas.ChargeWork(double(dib.width) * double(std::abs(dib.height))))
        return QImage();
    if (bottomUp)
        *bottomUp = dib.height > 0 && dib.compression != 4 && dib.compression != 5;
    return DecodeDib(info, infoBytes, bits, bitsBytes, keepAlpha);
}

// A RGNDATA block: 32-byte header, then rectangles in device units.
std::optional<QRegion> RegionAt(const RecordBytes& r, size_t offset, uint32_t bytes)
{
    if (bytes < 32 || !r.Has(offset, bytes))
        return std::nullopt;
    const uint32_t count = r.U32(offset + 8);
    if (count > (bytes - 32) / 16)
        return std::nullopt;
    std::vector<QRect> rects;
    rects.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        // Corners far outside any picture are held at its coordinate limit,
        // so the rectangle's size is a number the region can compute with.
        const QRectF box = RectAt(r, offset + 32 + size_t(i) * 16).normalized();
        const QPointF a = ClampPoint(box.topLeft()), b = ClampPoint(box.bottomRight());
        const int left = int(a.x()), top = int(a.y()), right = int(b.x()), bottom = int(b.y());
        if (right > left && bottom > top)
            rects.emplace_back(left, top, right - left, bottom - top);
    }
    return RegionFromRects(rects);
}

// The blits share a layout: bounds, destination, rop, source origin and
// transform, background colour, usage, the bitmap's offsets and sizes, and
// (but for BitBlt, which copies the destination's size) the source's size.
struct Blit {
    QRectF dest;
    QRectF source;
    uint32_t rop;
    bool hasBitmap;
};

Blit BlitAt(const RecordBytes& r, bool withSourceSize)
{
    Blit blit;
    blit.dest = QRectF(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
    blit.rop = r.U32(40);
    QTransform sourceTransform = TransformAt(r, 52);
    if (!UsableTransform(sourceTransform))
        sourceTransform = QTransform();
    const double width = withSourceSize ? r.I32(100) : blit.dest.width();
    const double height = withSourceSize ? r.I32(104) : blit.dest.height();
    blit.source = sourceTransform.mapRect(QRectF(r.I32(44), r.I32(48), width, height));
    blit.hasBitmap = r.U32(88) != 0;
    return blit;
}

// A blit without a bitmap is a pattern operation.
void CopyBlit(GdiCanvas& canvas, const RecordBytes& r, const Blit& blit)
{
    if (!blit.hasBitmap)
        canvas.PatBlt(blit.dest, blit.rop);
    else
        canvas.DrawImage(blit.dest, RecordDib(canvas, r, 84, false), blit.source, blit.rop);
}

// The picture with the pixels of the key colour transparent.
QImage WithoutKeyColour(QImage image, QRgb key)
{
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                row[x] = 0;
    }
    return image;
}

void DrawRegionWithBrush(EmfPlayback& p, const RecordBytes& r, bool frame)
{
    const GdiBrush* brush = FindAs<GdiBrush>(p.objects, r.U32(28));
    if (!brush)
        return;
    const uint32_t bytes = r.U32(24);
    if (!frame) {
        if (const auto region = RegionAt(r, 32, bytes))
            p.canvas.FillRegion(*region, *brush, false);
    } else if (const auto region = RegionAt(r, 40, bytes)) {
        p.canvas.FrameRegion(*region, *brush, PointAt(r, 32), false);
    }
}

} // namespace

// ---- Pattern brushes -------------------------------------------------------------

void CreateMonoBrush(EmfPlayback& p, const RecordBytes& r)
{
    // A monochrome pattern paints in the text and background colours.
    GdiBrush brush;
    brush.style = BS_DIBPATTERN;
    brush.color = Qt::black;
    brush.pattern = RecordDib(p.canvas, r, 16, false);
    if (brush.pattern.format() == QImage::Format_Mono)
        brush.pattern.setColorTable({p.canvas.State().textColor.rgb(), p.canvas.State().bkColor.rgb()});
    p.objects.Create(r.U32(8), brush);
}

void CreateDibPatternBrushPt(EmfPlayback& p, const RecordBytes& r)
{
    GdiBrush brush;
    brush.style = BS_DIBPATTERN;
    brush.color = Qt::black;
    brush.pattern = RecordDib(p.canvas, r, 16, false);
    p.objects.Create(r.U32(8), brush);
}

// ---- Blits -------------------------------------------------------------------------

void BitBlt(EmfPlayback& p, const RecordBytes& r)
{
    CopyBlit(p.canvas, r, BlitAt(r, false));
}

void StretchBlt(EmfPlayback& p, const RecordBytes& r)
{
    CopyBlit(p.canvas, r, BlitAt(r, true));
}

// The rop field holds the blend: constant alpha, and per-pixel alpha in
// the bitmap (AC_SRC_ALPHA).
void AlphaBlend(EmfPlayback& p, const RecordBytes& r)
{
    const Blit blit = BlitAt(r, true);
    if (!blit.hasBitmap)
        return;
    const uint8_t constantAlpha = r.U8(42);
    const bool perPixel = r.U8(43) & 1;
    const QImage image = RecordDib(p.canvas, r, 84, perPixel);
    p.canvas.DrawImage(blit.dest, image, blit.source, SRCCOPY, constantAlpha / 255.0);
}

// The rop field holds the colour that stays transparent.
void TransparentBlt(EmfPlayback& p, const RecordBytes& r)
{
    const Blit blit = BlitAt(r, true);
    if (!blit.hasBitmap)
        return;
    const QImage image = RecordDib(p.canvas, r, 84, false);
    if (!image.isNull())
        p.canvas.DrawImage(blit.dest, WithoutKeyColour(image, ColorFromRef(blit.rop).rgb()), blit.source, SRCCOPY);
}

// Bounds, destination origin, source rectangle, the bitmap's offsets and
// sizes, usage, rop, destination size. The source rectangle counts rows
// from the bottom of a bottom-up bitmap.
void StretchDibits(EmfPlayback& p, const RecordBytes& r)
{
    const QRectF dest(r.I32(24), r.I32(28), r.I32(72), r.I32(76));
    QRectF source(r.I32(32), r.I32(36), r.I32(40), r.I32(44));
    const uint32_t rop = r.U32(68);
    bool bottomUp = false;
    const QImage image = RecordDib(p.canvas, r, 48, false, &bottomUp);
    if (bottomUp)
        source.moveTop(image.height() - source.top() - source.height());
    if (r.U32(52) == 0)
        p.canvas.PatBlt(dest, rop);
    else
        p.canvas.DrawImage(dest, image, source, rop);
}

// Bounds, destination origin, source origin and size, the bitmap's offsets
// and sizes, usage, then the first and the number of the scan lines stored.
void SetDibitsToDevice(EmfPlayback& p, const RecordBytes& r)
{
    const uint32_t offInfo = r.U32(48), infoBytes = r.U32(52);
    const uint32_t offBits = r.U32(56), bitsBytes = r.U32(60);
    const StoredScanLines lines{r.U32(68), r.U32(72)};
    const uint8_t* info = r.At(offInfo, infoBytes);
    const uint8_t* bits = r.At(offBits, bitsBytes);
    DibInfo dib;
    if (!info || !bits || !ReadDibInfo(info, infoBytes, dib) || !HoldsScanLines(dib, lines) ||
        !p.canvas.ChargeWork(double(dib.width) * lines.count))
        return;
    const std::vector<uint8_t> header = HeaderOfScanLines(info, infoBytes, dib, lines);
    const QImage image = DecodeDib(header.data(), header.size(), bits, bitsBytes);
    const QRectF dest(r.I32(24), r.I32(28), r.I32(40), r.I32(44));
    const QRectF source(r.I32(32), r.I32(36), r.I32(40), r.I32(44));
    p.canvas.DrawImage(dest, image, SourceInScanLines(source, dib, lines), SRCCOPY);
}

// ---- Regions: rectangles in device units -----------------------------------------

void ExtSelectClipRgn(EmfPlayback& p, const RecordBytes& r)
{
    p.canvas.SelectClipRegion(RegionAt(r, 16, r.U32(8)), r.I32(12));
}

void FillRgn(EmfPlayback& p, const RecordBytes& r)
{
    DrawRegionWithBrush(p, r, false);
}

void FrameRgn(EmfPlayback& p, const RecordBytes& r)
{
    DrawRegionWithBrush(p, r, true);
}

void InvertRgn(EmfPlayback& p, const RecordBytes& r)
{
    if (const auto region = RegionAt(r, 28, r.U32(24)))
        p.canvas.InvertRegion(*region, false);
}

void PaintRgn(EmfPlayback& p, const RecordBytes& r)
{
    if (const auto region = RegionAt(r, 28, r.U32(24)))
        p.canvas.FillRegion(*region, p.canvas.State().brush, false);
}

// ---- Gradients ---------------------------------------------------------------------

// Bounds, the numbers of vertices and of shapes, the mode, the vertices
// (point and 16-bit colour), then the shapes: rectangles of two vertices
// or triangles of three, which are filled with their vertices' mean.
void GradientFill(EmfPlayback& p, const RecordBytes& r)
{
    enum : uint32_t { GRADIENT_FILL_RECT_H = 0, GRADIENT_FILL_RECT_V = 1, GRADIENT_FILL_TRIANGLE = 2 };
    const uint32_t vertices = r.U32(24), shapes = r.U32(28), mode = r.U32(32);
    if (vertices > r.Size() / 16 || !r.Has(36, size_t(vertices) * 16))
        return;
    const size_t shapesAt = 36 + size_t(vertices) * 16;
    const size_t each = mode == GRADIENT_FILL_TRIANGLE ? 12 : 8;
    if (shapes > r.Size() / each || !r.Has(shapesAt, size_t(shapes) * each))
        return;
    auto point = [&](uint32_t i) { return PointAt(r, 36 + size_t(i) * 16); };
    auto color = [&](uint32_t i) {
        const size_t at = 36 + size_t(i) * 16 + 8;
        return QColor(r.U16(at) >> 8, r.U16(at + 2) >> 8, r.U16(at + 4) >> 8);
    };
    for (uint32_t k = 0; k < shapes && !p.canvas.Exhausted(); ++k) {
        const size_t at = shapesAt + size_t(k) * each;
        const uint32_t a = r.U32(at), b = r.U32(at + 4);
        if (mode == GRADIENT_FILL_TRIANGLE) {
            const uint32_t c = r.U32(at + 8);
            if (a >= vertices || b >= vertices || c >= vertices)
                continue;
            const QColor ca = color(a), cb = color(b), cc = color(c);
            p.canvas.FillTriangle(QPolygonF{point(a), point(b), point(c)},
                                  QColor((ca.red() + cb.red() + cc.red()) / 3,
                                         (ca.green() + cb.green() + cc.green()) / 3,
                                         (ca.blue() + cb.blue() + cc.blue()) / 3));
        } else if (a < vertices && b < vertices) {
            p.canvas.GradientRect(QRectF(point(a), point(b)), color(a), color(b), mode == GRADIENT_FILL_RECT_V);
        }
    }
}

} // namespace orvane::imaging::metafile
