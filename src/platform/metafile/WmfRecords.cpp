#include "platform/metafile/WmfRecords.h"

#include "platform/metafile/AnsiText.h"
#include "platform/metafile/GdiGeometry.h"
#include "platform/metafile/RecordFields.h"

#include <optional>
#include <vector>

namespace orvane::imaging::metafile {

namespace {

// ---- State -------------------------------------------------------------------

void Ignore(WmfPlayback&, const RecordBytes&) {}

void SetWindowOrg(WmfPlayback& p, const RecordBytes& r) { p.canvas.SetWindowOrg(ReversedPoint(r, 0)); }
void SetWindowExt(WmfPlayback& p, const RecordBytes& r) { p.canvas.SetWindowExt(ReversedPoint(r, 0)); }
void OffsetWindowOrg(WmfPlayback& p, const RecordBytes& r) { p.canvas.OffsetWindowOrg(ReversedPoint(r, 0)); }
void ScaleWindowExt(WmfPlayback& p, const RecordBytes& r)
{
    p.canvas.ScaleWindowExt(P(r, 3), P(r, 2), P(r, 1), P(r, 0));
}

void SetBkMode(WmfPlayback& p, const RecordBytes& r)
{
    p.canvas.State().bkMode = P(r, 0) == TRANSPARENT ? TRANSPARENT : OPAQUE;
}
void SetPolyFillMode(WmfPlayback& p, const RecordBytes& r)
{
    p.canvas.State().polyFillMode = P(r, 0) == WINDING ? WINDING : ALTERNATE;
}
void SetRop2(WmfPlayback& p, const RecordBytes& r) { p.canvas.State().rop2 = P(r, 0); }
void SetTextAlign(WmfPlayback& p, const RecordBytes& r) { p.canvas.State().textAlign = uint16_t(P(r, 0)); }
void SetTextCharExtra(WmfPlayback& p, const RecordBytes& r) { p.canvas.State().textCharExtra = P(r, 0); }
void SetTextColor(WmfPlayback& p, const RecordBytes& r) { p.canvas.State().textColor = ColorFromRef(r.U32(6)); }
void SetBkColor(WmfPlayback& p, const RecordBytes& r) { p.canvas.State().bkColor = ColorFromRef(r.U32(6)); }

void SaveDC(WmfPlayback& p, const RecordBytes&) { p.canvas.SaveDC(); }
void RestoreDC(WmfPlayback& p, const RecordBytes& r) { p.canvas.RestoreDC(P(r, 0)); }

void IntersectClipRect(WmfPlayback& p, const RecordBytes& r) { p.canvas.IntersectClipRect(ReversedRect(r, 0)); }
void ExcludeClipRect(WmfPlayback& p, const RecordBytes& r) { p.canvas.ExcludeClipRect(ReversedRect(r, 0)); }
void OffsetClipRgn(WmfPlayback& p, const RecordBytes& r) { p.canvas.OffsetClip(ReversedPoint(r, 0)); }
void SelectClipRegion(WmfPlayback& p, const RecordBytes& r)
{
    const GdiRegion* region = FindAs<GdiRegion>(p.objects, uint16_t(P(r, 0)));
    p.canvas.SelectLogicalClipRegion(region ? std::optional<QRegion>(region->region) : std::nullopt);
}

// ---- Objects -----------------------------------------------------------------

void CreatePenIndirect(WmfPlayback& p, const RecordBytes& r) { p.objects.Create(LogPenAt(r, 6, Word::Short)); }
void CreateBrushIndirect(WmfPlayback& p, const RecordBytes& r) { p.objects.Create(LogBrushAt(r, 6, Word::Short)); }
void CreateFontIndirect(WmfPlayback& p, const RecordBytes& r) { p.objects.Create(LogFontAt(r, 6, Word::Short)); }
void CreatePalette(WmfPlayback& p, const RecordBytes&) { p.objects.Create(GdiPlaceholder{}); }

// A region: a 22-byte header, then scans (count, top, bottom, count / 2
// pairs of left and right, count again).
void CreateRegion(WmfPlayback& p, const RecordBytes& r)
{
    const int16_t scans = r.I16(6 + 10);
    std::vector<QRect> rects;
    size_t at = 6 + 22;
    for (int16_t i = 0; i < scans && r.Has(at, 6); ++i) {
        const uint16_t count = r.U16(at);
        const int top = r.I16(at + 2), bottom = r.I16(at + 4);
        const size_t next = at + 8 + size_t(count) * 2;
        if (!r.Has(at, next - at))
            break;
        for (size_t k = 0; k + 1 < count; k += 2) {
            const int left = r.I16(at + 6 + 2 * k), right = r.I16(at + 8 + 2 * k);
            if (right > left && bottom > top)
                rects.emplace_back(left, top, right - left, bottom - top);
        }
        at = next;
    }
    p.objects.Create(GdiRegion{RegionFromRects(rects)});
}

void SelectObject(WmfPlayback& p, const RecordBytes& r)
{
    if (const GdiObject* object = p.objects.Find(uint16_t(P(r, 0))))
        p.canvas.SelectObject(*object);
}
void DeleteObject(WmfPlayback& p, const RecordBytes& r) { p.objects.Delete(uint16_t(P(r, 0))); }

// ---- Lines and shapes ----------------------------------------------------------

void MoveTo(WmfPlayback& p, const RecordBytes& r) { p.canvas.MoveTo(ReversedPoint(r, 0)); }
void LineTo(WmfPlayback& p, const RecordBytes& r) { p.canvas.LineTo(ReversedPoint(r, 0)); }
void SetPixel(WmfPlayback& p, const RecordBytes& r)
{
    p.canvas.SetPixel(ReversedPoint(r, 2), ColorFromRef(r.U32(6)));
}
void Rectangle(WmfPlayback& p, const RecordBytes& r) { p.canvas.Rectangle(ReversedRect(r, 0)); }
void Ellipse(WmfPlayback& p, const RecordBytes& r) { p.canvas.Ellipse(ReversedRect(r, 0)); }
void RoundRect(WmfPlayback& p, const RecordBytes& r) { p.canvas.RoundRect(ReversedRect(r, 2), ReversedPoint(r, 0)); }

// Arc, chord and pie: the box, then the start and end points.
template <GdiCanvas::ArcKind kind>
void ArcOf(WmfPlayback& p, const RecordBytes& r)
{
    p.canvas.Arc(kind, ReversedRect(r, 4), ReversedPoint(r, 2), ReversedPoint(r, 0));
}

// A point count, then the points.
QPolygonF PointList(const RecordBytes& r)
{
    return PointsAt(r, 8, uint16_t(P(r, 0)), Word::Short);
}
void Polygon(WmfPlayback& p, const RecordBytes& r) { p.canvas.Polygon(PointList(r)); }
void Polyline(WmfPlayback& p, const RecordBytes& r) { p.canvas.Polyline(PointList(r)); }

// A polygon count, the point count of each, then all the points.
void PolyPolygon(WmfPlayback& p, const RecordBytes& r)
{
    const size_t polys = uint16_t(P(r, 0));
    if (!r.Has(8, polys * 2))
        return;
    size_t at = 8 + polys * 2;
    std::vector<QPolygonF> parts;
    for (size_t i = 0; i < polys; ++i) {
        const size_t n = uint16_t(r.I16(8 + 2 * i));
        QPolygonF part = PointsAt(r, at, n, Word::Short);
        if (part.size() != qsizetype(n))
            return;
        parts.push_back(std::move(part));
        at += n * 4;
    }
    p.canvas.PolyPolygon(parts);
}

void PatBlt(WmfPlayback& p, const RecordBytes& r)
{
    p.canvas.PatBlt(QRectF(P(r, 5), P(r, 4), P(r, 3), P(r, 2)), r.U32(6));
}

// ---- Regions: objects in logical units -------------------------------------------

void FillRegion(WmfPlayback& p, const RecordBytes& r)
{
    const GdiRegion* region = FindAs<GdiRegion>(p.objects, uint16_t(P(r, 0)));
    const GdiBrush* brush = region ? FindAs<GdiBrush>(p.objects, uint16_t(P(r, 1))) : nullptr;
    if (brush)
        p.canvas.FillRegion(region->region, *brush, true);
}
void FrameRegion(WmfPlayback& p, const RecordBytes& r)
{
    const GdiRegion* region = FindAs<GdiRegion>(p.objects, uint16_t(P(r, 0)));
    const GdiBrush* brush = region ? FindAs<GdiBrush>(p.objects, uint16_t(P(r, 1))) : nullptr;
    if (brush)
        p.canvas.FrameRegion(region->region, *brush, QPointF(P(r, 3), P(r, 2)), true);
}
void PaintRegion(WmfPlayback& p, const RecordBytes& r)
{
    if (const GdiRegion* region = FindAs<GdiRegion>(p.objects, uint16_t(P(r, 0))))
        p.canvas.FillRegion(region->region, p.canvas.State().brush, true);
}
void InvertRegion(WmfPlayback& p, const RecordBytes& r)
{
    if (const GdiRegion* region = FindAs<GdiRegion>(p.objects, uint16_t(P(r, 0))))
        p.canvas.InvertRegion(region->region, true);
}

// ---- Text ------------------------------------------------------------------------

// length 8-bit characters at textAt, padded to a whole word, then (with dx)
// the advance of each character.
void DrawText(GdiCanvas& canvas, const RecordBytes& r, QPointF reference, size_t textAt, size_t length,
              uint32_t options, const QRectF& rect, bool withDx)
{
    if (r.Short() || !r.Has(textAt, length))
        return;
    const QString text = AnsiToString(r.At(textAt, length), length);
    std::vector<double> dx;
    const size_t dxAt = textAt + ((length + 1) & ~size_t{1});
    if (withDx && length > 0 && r.Has(dxAt, length * 2))
        for (size_t i = 0; i < length; ++i)
            dx.push_back(r.I16(dxAt + 2 * i));
    canvas.TextOut(reference, text, dx, options, rect.isNull() ? nullptr : &rect);
}

// The length, the text, then the reference point (y, x).
void TextOut(WmfPlayback& p, const RecordBytes& r)
{
    const size_t length = uint16_t(P(r, 0));
    const size_t textAt = 8;
    const size_t after = textAt + ((length + 1) & ~size_t{1});
    const QPointF reference(r.I16(after + 2), r.I16(after));
    DrawText(p.canvas, r, reference, textAt, length, 0, QRectF(), false);
}

// The reference point (y, x), length, options, the rectangle when the
// options use one, the text, then the advances.
void ExtTextOut(WmfPlayback& p, const RecordBytes& r)
{
    const QPointF reference = ReversedPoint(r, 0);
    const size_t length = uint16_t(P(r, 2));
    const uint32_t options = uint16_t(P(r, 3));
    QRectF rect;
    size_t textAt = 14;
    if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
        rect = QRectF(QPointF(P(r, 4), P(r, 5)), QPointF(P(r, 6), P(r, 7)));
        textAt = 22;
    }
    DrawText(p.canvas, r, reference, textAt, length, options, rect, true);
}

// ---- The table ---------------------------------------------------------------------

using ArcKind = GdiCanvas::ArcKind;

const RecordTable<WmfObjectTable>& Records()
{
    static const RecordTable<WmfObjectTable> table{
        // The viewport is the picture: only the window maps.
        ORVANE_RECORD(META_SETWINDOWORG, SetWindowOrg), ORVANE_RECORD(META_SETWINDOWEXT, SetWindowExt),
        ORVANE_RECORD(META_OFFSETWINDOWORG, OffsetWindowOrg), ORVANE_RECORD(META_SCALEWINDOWEXT, ScaleWindowExt),
        ORVANE_RECORD(META_SETVIEWPORTORG, Ignore), ORVANE_RECORD(META_SETVIEWPORTEXT, Ignore),
        ORVANE_RECORD(META_OFFSETVIEWPORTORG, Ignore), ORVANE_RECORD(META_SCALEVIEWPORTEXT, Ignore),
        ORVANE_RECORD(META_SETMAPMODE, Ignore),
        // Modes and colours.
        ORVANE_RECORD(META_SETBKMODE, SetBkMode), ORVANE_RECORD(META_SETPOLYFILLMODE, SetPolyFillMode),
        ORVANE_RECORD(META_SETROP2, SetRop2), ORVANE_RECORD(META_SETTEXTALIGN, SetTextAlign),
        ORVANE_RECORD(META_SETTEXTCHAREXTRA, SetTextCharExtra), ORVANE_RECORD(META_SETTEXTCOLOR, SetTextColor),
        ORVANE_RECORD(META_SETBKCOLOR, SetBkColor),
        // Saved states and clipping.
        ORVANE_RECORD(META_SAVEDC, SaveDC), ORVANE_RECORD(META_RESTOREDC, RestoreDC),
        ORVANE_RECORD(META_INTERSECTCLIPRECT, IntersectClipRect), ORVANE_RECORD(META_EXCLUDECLIPRECT, ExcludeClipRect),
        ORVANE_RECORD(META_OFFSETCLIPRGN, OffsetClipRgn), ORVANE_RECORD(META_SELECTCLIPREGION, SelectClipRegion),
        // Objects; palettes only keep their number.
        ORVANE_RECORD(META_CREATEPENINDIRECT, CreatePenIndirect),
        ORVANE_RECORD(META_CREATEBRUSHINDIRECT, CreateBrushIndirect),
        ORVANE_RECORD(META_CREATEFONTINDIRECT, CreateFontIndirect),
        ORVANE_RECORD(META_DIBCREATEPATTERNBRUSH, DibCreatePatternBrush),
        ORVANE_RECORD(META_CREATEPATTERNBRUSH, CreatePatternBrush), ORVANE_RECORD(META_CREATEREGION, CreateRegion),
        ORVANE_RECORD(META_CREATEPALETTE, CreatePalette), ORVANE_RECORD(META_SELECTOBJECT, SelectObject),
        ORVANE_RECORD(META_DELETEOBJECT, DeleteObject), ORVANE_RECORD(META_SELECTPALETTE, Ignore),
        ORVANE_RECORD(META_REALIZEPALETTE, Ignore), ORVANE_RECORD(META_SETPALENTRIES, Ignore),
        // Lines and shapes.
        ORVANE_RECORD(META_MOVETO, MoveTo), ORVANE_RECORD(META_LINETO, LineTo), ORVANE_RECORD(META_SETPIXEL, SetPixel),
        ORVANE_RECORD(META_RECTANGLE, Rectangle), ORVANE_RECORD(META_ELLIPSE, Ellipse),
        ORVANE_RECORD(META_ROUNDRECT, RoundRect), ORVANE_RECORD(META_ARC, ArcOf<ArcKind::Arc>),
        ORVANE_RECORD(META_PIE, ArcOf<ArcKind::Pie>), ORVANE_RECORD(META_CHORD, ArcOf<ArcKind::Chord>),
        ORVANE_RECORD(META_POLYGON, Polygon), ORVANE_RECORD(META_POLYLINE, Polyline),
        ORVANE_RECORD(META_POLYPOLYGON, PolyPolygon), ORVANE_RECORD(META_PATBLT, PatBlt),
        // Regions, text and bitmaps.
        ORVANE_RECORD(META_FILLREGION, FillRegion), ORVANE_RECORD(META_FRAMEREGION, FrameRegion),
        ORVANE_RECORD(META_PAINTREGION, PaintRegion), ORVANE_RECORD(META_INVERTREGION, InvertRegion),
        ORVANE_RECORD(META_TEXTOUT, TextOut), ORVANE_RECORD(META_EXTTEXTOUT, ExtTextOut),
        ORVANE_RECORD(META_DIBBITBLT, DibBitBlt), ORVANE_RECORD(META_DIBSTRETCHBLT, DibStretchBlt),
        ORVANE_RECORD(META_STRETCHDIB, StretchDib), ORVANE_RECORD(META_SETDIBTODEV, SetDibToDev),
        ORVANE_RECORD(META_EOF, Ignore),
    };
    return table;
}

} // namespace

void PlayWmfRecord(WmfPlayback& playback, uint16_t function, const RecordBytes& record)
{
    Records().Play(playback, function, record);
}

} // namespace orvane::imaging::metafile
