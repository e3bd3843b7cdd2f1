#include "platform/metafile/EmfRecords.h"

#include "platform/metafile/AnsiText.h"
#include "platform/metafile/RecordFields.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace orvane::imaging::metafile {

namespace {

// ---- State -------------------------------------------------------------------

void Ignore(EmfPlayback&, const RecordBytes&) {}

void SetWindowExtEx(EmfPlayback& p, const RecordBytes& r) { p.canvas.SetWindowExt(PointAt(r, 8)); }
void SetWindowOrgEx(EmfPlayback& p, const RecordBytes& r) { p.canvas.SetWindowOrg(PointAt(r, 8)); }
void SetViewportExtEx(EmfPlayback& p, const RecordBytes& r) { p.canvas.SetViewportExt(PointAt(r, 8)); }
void SetViewportOrgEx(EmfPlayback& p, const RecordBytes& r) { p.canvas.SetViewportOrg(PointAt(r, 8)); }
void ScaleViewportExtEx(EmfPlayback& p, const RecordBytes& r)
{
    p.canvas.ScaleViewportExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
}
void ScaleWindowExtEx(EmfPlayback& p, const RecordBytes& r)
{
    p.canvas.ScaleWindowExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
}
void SetMapMode(EmfPlayback& p, const RecordBytes& r) { p.canvas.SetMapMode(r.I32(8)); }
void SetWorldTransform(EmfPlayback& p, const RecordBytes& r) { p.canvas.SetWorldTransform(TransformAt(r, 8)); }
void ModifyWorldTransform(EmfPlayback& p, const RecordBytes& r)
{
    p.canvas.ModifyWorldTransform(TransformAt(r, 8), r.U32(32));
}

void SetBkMode(EmfPlayback& p, const RecordBytes& r)
{
    p.canvas.State().bkMode = r.I32(8) == TRANSPARENT ? TRANSPARENT : OPAQUE;
}
void SetPolyFillMode(EmfPlayback& p, const RecordBytes& r)
{
    p.canvas.State().polyFillMode = r.I32(8) == WINDING ? WINDING : ALTERNATE;
}
void SetRop2(EmfPlayback& p, const RecordBytes& r) { p.canvas.State().rop2 = r.I32(8); }
void SetTextAlign(EmfPlayback& p, const RecordBytes& r) { p.canvas.State().textAlign = r.U32(8); }
void SetTextColor(EmfPlayback& p, const RecordBytes& r) { p.canvas.State().textColor = ColorFromRef(r.U32(8)); }
void SetBkColor(EmfPlayback& p, const RecordBytes& r) { p.canvas.State().bkColor = ColorFromRef(r.U32(8)); }
void SetArcDirection(EmfPlayback& p, const RecordBytes& r)
{
    p.canvas.State().arcDirection = r.I32(8) == AD_CLOCKWISE ? AD_CLOCKWISE : AD_COUNTERCLOCKWISE;
}

void SaveDC(EmfPlayback& p, const RecordBytes&) { p.canvas.SaveDC(); }
void RestoreDC(EmfPlayback& p, const RecordBytes& r) { p.canvas.RestoreDC(r.I32(8)); }

void IntersectClipRect(EmfPlayback& p, const RecordBytes& r) { p.canvas.IntersectClipRect(RectAt(r, 8)); }
void ExcludeClipRect(EmfPlayback& p, const RecordBytes& r) { p.canvas.ExcludeClipRect(RectAt(r, 8)); }
void OffsetClipRgn(EmfPlayback& p, const RecordBytes& r) { p.canvas.OffsetClip(PointAt(r, 8)); }

// ---- Objects: each record names the number it creates ------------------------------

void CreatePen(EmfPlayback& p, const RecordBytes& r) { p.objects.Create(r.U32(8), LogPenAt(r, 12, Word::Long)); }
void CreateBrushIndirect(EmfPlayback& p, const RecordBytes& r)
{
    p.objects.Create(r.U32(8), LogBrushAt(r, 12, Word::Long));
}
void ExtCreateFontIndirectW(EmfPlayback& p, const RecordBytes& r)
{
    p.objects.Create(r.U32(8), LogFontAt(r, 12, Word::Long));
}
void CreatePalette(EmfPlayback& p, const RecordBytes& r) { p.objects.Create(r.U32(8), GdiPlaceholder{}); }

// An extended pen: style, width, brush style, colour, hatch, then the
// dashes of a user style.
void ExtCreatePen(EmfPlayback& p, const RecordBytes& r)
{
    GdiPen pen;
    pen.style = r.U32(28);
    pen.width = (pen.style & PS_GEOMETRIC) ? r.U32(32) : 0;
    pen.color = ColorFromRef(r.U32(40));
    if (r.U32(36) == BS_NULL)
        pen.style = (pen.style & ~PS_STYLE_MASK) | PS_NULL;
    const uint32_t entries = std::min<uint32_t>(r.U32(48), 16);
    for (uint32_t i = 0; i < entries && r.Has(52 + 4 * size_t(i), 4); ++i)
        pen.userDashes.push_back(r.U32(52 + 4 * size_t(i)));
    p.objects.Create(r.U32(8), pen);
}

void SelectObject(EmfPlayback& p, const RecordBytes& r)
{
    if (const GdiObject* object = p.objects.Find(r.U32(8)))
        p.canvas.SelectObject(*object);
}
void DeleteObject(EmfPlayback& p, const RecordBytes& r) { p.objects.Delete(r.U32(8)); }

// ---- Lines and shapes ----------------------------------------------------------

void MoveToEx(EmfPlayback& p, const RecordBytes& r) { p.canvas.MoveTo(PointAt(r, 8)); }
void LineTo(EmfPlayback& p, const RecordBytes& r) { p.canvas.LineTo(PointAt(r, 8)); }
void SetPixelV(EmfPlayback& p, const RecordBytes& r) { p.canvas.SetPixel(PointAt(r, 8), ColorFromRef(r.U32(16))); }
void Rectangle(EmfPlayback& p, const RecordBytes& r) { p.canvas.Rectangle(RectAt(r, 8)); }
void Ellipse(EmfPlayback& p, const RecordBytes& r) { p.canvas.Ellipse(RectAt(r, 8)); }
void RoundRect(EmfPlayback& p, const RecordBytes& r) { p.canvas.RoundRect(RectAt(r, 8), PointAt(r, 24)); }
void AngleArc(EmfPlayback& p, const RecordBytes& r)
{
    p.canvas.AngleArc(PointAt(r, 8), r.U32(16), r.F32(20), r.F32(24));
}

// Arc, arc-to, chord and pie: the box, then the start and end points.
template <GdiCanvas::ArcKind kind>
void ArcOf(EmfPlayback& p, const RecordBytes& r)
{
    p.canvas.Arc(kind, RectAt(r, 8), PointAt(r, 24), PointAt(r, 32));
}

// Bounds, a point count, then the points in words of 32 or 16 bits.
template <Word word>
QPolygonF PointList(const RecordBytes& r)
{
    return PointsAt(r, 28, r.U32(24), word);
}
template <Word word>
void PolyBezier(EmfPlayback& p, const RecordBytes& r) { p.canvas.PolyBezier(PointList<word>(r)); }
template <Word word>
void Polygon(EmfPlayback& p, const RecordBytes& r) { p.canvas.Polygon(PointList<word>(r)); }
template <Word word>
void Polyline(EmfPlayback& p, const RecordBytes& r) { p.canvas.Polyline(PointList<word>(r)); }
template <Word word>
void PolyBezierTo(EmfPlayback& p, const RecordBytes& r) { p.canvas.PolyBezierTo(PointList<word>(r)); }
template <Word word>
void PolylineTo(EmfPlayback& p, const RecordBytes& r) { p.canvas.PolylineTo(PointList<word>(r)); }

// The points, then a type byte for each.
template <Word word>
void PolyDraw(EmfPlayback& p, const RecordBytes& r)
{
    const uint32_t count = r.U32(24);
    const QPolygonF points = PointList<word>(r);
    const uint8_t* types = points.isEmpty() ? nullptr : r.At(28 + size_t(count) * 2 * size_t(word), count);
    if (types)
        p.canvas.PolyDraw(points, types);
}

// Bounds, the number of parts and of all points, the point count of each
// part, then all the points; nothing when the counts do not agree.
template <Word word>
std::optional<std::vector<QPolygonF>> PolyParts(const RecordBytes& r)
{
    const uint32_t polys = r.U32(24);
    const uint32_t total = r.U32(28);
    if (polys > r.Size() / 4 || !r.Has(32, size_t(polys) * 4))
        return std::nullopt;
    const QPolygonF all = PointsAt(r, 32 + size_t(polys) * 4, total, word);
    std::vector<QPolygonF> parts;
    qsizetype used = 0;
    for (uint32_t i = 0; i < polys; ++i) {
        const uint32_t n = r.U32(32 + size_t(i) * 4);
        if (n > all.size() - used)
            return std::nullopt;
        parts.push_back(all.mid(used, n));
        used += n;
    }
    return parts;
}
template <Word word>
void PolyPolyline(EmfPlayback& p, const RecordBytes& r)
{
    if (const auto parts = PolyParts<word>(r))
        p.canvas.PolyPolyline(*parts);
}
template <Word word>
void PolyPolygon(EmfPlayback& p, const RecordBytes& r)
{
    if (const auto parts = PolyParts<word>(r))
        p.canvas.PolyPolygon(*parts);
}

// ---- Paths ---------------------------------------------------------------------

void BeginPath(EmfPlayback& p, const RecordBytes&) { p.canvas.BeginPath(); }
void EndPath(EmfPlayback& p, const RecordBytes&) { p.canvas.EndPath(); }
void AbortPath(EmfPlayback& p, const RecordBytes&) { p.canvas.AbortPath(); }
void CloseFigure(EmfPlayback& p, const RecordBytes&) { p.canvas.CloseFigure(); }
void FillPath(EmfPlayback& p, const RecordBytes&) { p.canvas.FillPath(); }
void StrokePath(EmfPlayback& p, const RecordBytes&) { p.canvas.StrokePath(); }
void StrokeAndFillPath(EmfPlayback& p, const RecordBytes&) { p.canvas.StrokeAndFillPath(); }
void WidenPath(EmfPlayback& p, const RecordBytes&) { p.canvas.WidenPath(); }
void SelectClipPath(EmfPlayback& p, const RecordBytes& r) { p.canvas.SelectClipPath(r.I32(8)); }

// ---- Text ------------------------------------------------------------------------

// count characters at offString, 8-bit or UTF-16; empty when they do not fit.
QString TextAt(const RecordBytes& r, uint32_t offString, uint32_t count, bool wide)
{
    if (!wide)
        return AnsiToString(r.At(offString, count), count);
    QString text;
    text.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        text.append(QChar(char16_t(r.U16(offString + 2 * size_t(i)))));
    return text;
}

// Bounds, graphics mode and scales, then the text: its reference point,
// count, offset, options, rectangle (unless ETO_NO_RECT) and the offset of
// its advances (pairs of x and y with ETO_PDY).
void DrawText(GdiCanvas& canvas, const RecordBytes& r, bool wide)
{
    enum : uint32_t { ETO_NO_RECT = 0x100, ETO_PDY = 0x2000 };
    const QPointF reference = PointAt(r, 36);
    const uint32_t count = r.U32(44);
    const uint32_t offString = r.U32(48);
    const uint32_t options = r.U32(52);
    const bool haveRect = !(options & ETO_NO_RECT);
    const QRectF rect = haveRect ? RectAt(r, 56) : QRectF();
    const uint32_t offDx = r.U32(haveRect ? 72 : 56);
    if (count > r.Size() || !r.Has(offString, size_t(count) * (wide ? 2 : 1)))
        return;
    const QString text = TextAt(r, offString, count, wide);
    std::vector<double> dx;
    const size_t step = (options & ETO_PDY) ? 8 : 4;
    if (offDx != 0 && count <= r.Size() / step && r.Has(offDx, size_t(count) * step))
        for (uint32_t i = 0; i < count; ++i)
            dx.push_back(r.I32(offDx + step * i));
    canvas.TextOut(reference, text, dx, options, haveRect && !rect.isEmpty() ? &rect : nullptr);
}
void ExtTextOutA(EmfPlayback& p, const RecordBytes& r) { DrawText(p.canvas, r, false); }
void ExtTextOutW(EmfPlayback& p, const RecordBytes& r) { DrawText(p.canvas, r, true); }

// ---- The table ---------------------------------------------------------------------

using ArcKind = GdiCanvas::ArcKind;
constexpr Word L = Word::Long, S = Word::Short;

const RecordTable<EmfObjectTable>& Records()
{
    static const RecordTable<EmfObjectTable> table{
        ORVANE_RECORD(EMR_HEADER, Ignore), ORVANE_RECORD(EMR_EOF, Ignore),
        // Mapping.
        ORVANE_RECORD(EMR_SETWINDOWEXTEX, SetWindowExtEx), ORVANE_RECORD(EMR_SETWINDOWORGEX, SetWindowOrgEx),
        ORVANE_RECORD(EMR_SETVIEWPORTEXTEX, SetViewportExtEx), ORVANE_RECORD(EMR_SETVIEWPORTORGEX, SetViewportOrgEx),
        ORVANE_RECORD(EMR_SCALEVIEWPORTEXTEX, ScaleViewportExtEx),
        ORVANE_RECORD(EMR_SCALEWINDOWEXTEX, ScaleWindowExtEx), ORVANE_RECORD(EMR_SETMAPMODE, SetMapMode),
        ORVANE_RECORD(EMR_SETWORLDTRANSFORM, SetWorldTransform),
        ORVANE_RECORD(EMR_MODIFYWORLDTRANSFORM, ModifyWorldTransform),
        // Modes and colours.
        ORVANE_RECORD(EMR_SETBKMODE, SetBkMode), ORVANE_RECORD(EMR_SETPOLYFILLMODE, SetPolyFillMode),
        ORVANE_RECORD(EMR_SETROP2, SetRop2), ORVANE_RECORD(EMR_SETTEXTALIGN, SetTextAlign),
        ORVANE_RECORD(EMR_SETTEXTCOLOR, SetTextColor), ORVANE_RECORD(EMR_SETBKCOLOR, SetBkColor),
        ORVANE_RECORD(EMR_SETARCDIRECTION, SetArcDirection),
        // Saved states and clipping.
        ORVANE_RECORD(EMR_SAVEDC, SaveDC), ORVANE_RECORD(EMR_RESTOREDC, RestoreDC),
        ORVANE_RECORD(EMR_INTERSECTCLIPRECT, IntersectClipRect), ORVANE_RECORD(EMR_EXCLUDECLIPRECT, ExcludeClipRect),
        ORVANE_RECORD(EMR_OFFSETCLIPRGN, OffsetClipRgn), ORVANE_RECORD(EMR_EXTSELECTCLIPRGN, ExtSelectClipRgn),
        // Objects; palettes only keep their number.
        ORVANE_RECORD(EMR_CREATEPEN, CreatePen), ORVANE_RECORD(EMR_EXTCREATEPEN, ExtCreatePen),
        ORVANE_RECORD(EMR_CREATEBRUSHINDIRECT, CreateBrushIndirect),
        ORVANE_RECORD(EMR_CREATEMONOBRUSH, CreateMonoBrush),
        ORVANE_RECORD(EMR_CREATEDIBPATTERNBRUSHPT, CreateDibPatternBrushPt),
        ORVANE_RECORD(EMR_EXTCREATEFONTINDIRECTW, ExtCreateFontIndirectW),
        ORVANE_RECORD(EMR_CREATEPALETTE, CreatePalette), ORVANE_RECORD(EMR_SELECTOBJECT, SelectObject),
        ORVANE_RECORD(EMR_DELETEOBJECT, DeleteObject),
        // Lines and shapes.
        ORVANE_RECORD(EMR_MOVETOEX, MoveToEx), ORVANE_RECORD(EMR_LINETO, LineTo),
        ORVANE_RECORD(EMR_SETPIXELV, SetPixelV), ORVANE_RECORD(EMR_RECTANGLE, Rectangle),
        ORVANE_RECORD(EMR_ELLIPSE, Ellipse), ORVANE_RECORD(EMR_ROUNDRECT, RoundRect),
        ORVANE_RECORD(EMR_ARC, ArcOf<ArcKind::Arc>), ORVANE_RECORD(EMR_ARCTO, ArcOf<ArcKind::ArcTo>),
        ORVANE_RECORD(EMR_CHORD, ArcOf<ArcKind::Chord>), ORVANE_RECORD(EMR_PIE, ArcOf<ArcKind::Pie>),
        ORVANE_RECORD(EMR_ANGLEARC, AngleArc),
        // Point lists of 32-bit and of 16-bit coordinates.
        ORVANE_RECORD(EMR_POLYBEZIER, PolyBezier<L>), ORVANE_RECORD(EMR_POLYBEZIER16, PolyBezier<S>),
        ORVANE_RECORD(EMR_POLYGON, Polygon<L>), ORVANE_RECORD(EMR_POLYGON16, Polygon<S>),
        ORVANE_RECORD(EMR_POLYLINE, Polyline<L>), ORVANE_RECORD(EMR_POLYLINE16, Polyline<S>),
        ORVANE_RECORD(EMR_POLYBEZIERTO, PolyBezierTo<L>), ORVANE_RECORD(EMR_POLYBEZIERTO16, PolyBezierTo<S>),
        ORVANE_RECORD(EMR_POLYLINETO, PolylineTo<L>), ORVANE_RECORD(EMR_POLYLINETO16, PolylineTo<S>),
        ORVANE_RECORD(EMR_POLYPOLYLINE, PolyPolyline<L>), ORVANE_RECORD(EMR_POLYPOLYLINE16, PolyPolyline<S>),
        ORVANE_RECORD(EMR_POLYPOLYGON, PolyPolygon<L>), ORVANE_RECORD(EMR_POLYPOLYGON16, PolyPolygon<S>),
        ORVANE_RECORD(EMR_POLYDRAW, PolyDraw<L>), ORVANE_RECORD(EMR_POLYDRAW16, PolyDraw<S>),
        // Paths.
        ORVANE_RECORD(EMR_BEGINPATH, BeginPath), ORVANE_RECORD(EMR_ENDPATH, EndPath),
        ORVANE_RECORD(EMR_ABORTPATH, AbortPath), ORVANE_RECORD(EMR_CLOSEFIGURE, CloseFigure),
        ORVANE_RECORD(EMR_FILLPATH, FillPath), ORVANE_RECORD(EMR_STROKEPATH, StrokePath),
        ORVANE_RECORD(EMR_STROKEANDFILLPATH, StrokeAndFillPath), ORVANE_RECORD(EMR_WIDENPATH, WidenPath),
        ORVANE_RECORD(EMR_SELECTCLIPPATH, SelectClipPath),
        // Text, bitmaps, regions and gradients.
        ORVANE_RECORD(EMR_EXTTEXTOUTA, ExtTextOutA), ORVANE_RECORD(EMR_EXTTEXTOUTW, ExtTextOutW),
        ORVANE_RECORD(EMR_BITBLT, BitBlt), ORVANE_RECORD(EMR_STRETCHBLT, StretchBlt),
        ORVANE_RECORD(EMR_STRETCHDIBITS, StretchDibits), ORVANE_RECORD(EMR_SETDIBITSTODEVICE, SetDibitsToDevice),
        ORVANE_RECORD(EMR_ALPHABLEND, AlphaBlend), ORVANE_RECORD(EMR_TRANSPARENTBLT, TransparentBlt),
        ORVANE_RECORD(EMR_FILLRGN, FillRgn), ORVANE_RECORD(EMR_FRAMERGN, FrameRgn),
        ORVANE_RECORD(EMR_INVERTRGN, InvertRgn), ORVANE_RECORD(EMR_PAINTRGN, PaintRgn),
        ORVANE_RECORD(EMR_GRADIENTFILL, GradientFill),
    };
    return table;
}

} // namespace

void PlayEmfRecord(EmfPlayback& playback, uint32_t type, const RecordBytes& record)
{
    Records().Play(playback, type, record);
}

} // namespace orvane::imaging::metafile
