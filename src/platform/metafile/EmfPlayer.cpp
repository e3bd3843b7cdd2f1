#include "platform/metafile/EmfPlayer.h"

#include "platform/metafile/AnsiText.h"
#include "platform/metafile/DibImage.h"
#include "platform/metafile/GdiGeometry.h"

#include <algorithm>
#include <cmath>

namespace orvane::imaging::metafile {

namespace {

enum : uint32_t {
    EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_EOF = 14,
    EMR_SETPIXELV = 15, EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19, EMR_SETROP2 = 20,
    EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27, EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30, EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32, EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40, EMR_ANGLEARC = 41, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44,
    EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47, EMR_CREATEPALETTE = 49, EMR_LINETO = 54, EMR_ARCTO = 55,
    EMR_POLYDRAW = 56, EMR_SETARCDIRECTION = 57, EMR_BEGINPATH = 59, EMR_ENDPATH = 60, EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62, EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64, EMR_WIDENPATH = 66,
    EMR_SELECTCLIPPATH = 67, EMR_ABORTPATH = 68, EMR_FILLRGN = 71, EMR_FRAMERGN = 72, EMR_INVERTRGN = 73,
    EMR_PAINTRGN = 74, EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76, EMR_STRETCHBLT = 77,
    EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86, EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89, EMR_POLYPOLYLINE16 = 90, EMR_POLYPOLYGON16 = 91,
    EMR_POLYDRAW16 = 92, EMR_CREATEMONOBRUSH = 93, EMR_CREATEDIBPATTERNBRUSHPT = 94, EMR_EXTCREATEPEN = 95,
    EMR_ALPHABLEND = 114, EMR_TRANSPARENTBLT = 116, EMR_GRADIENTFILL = 118,
};

constexpr uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr size_t kHeaderSize = 88;
// Object numbers are 16-bit in the header; larger ones are not kept.
constexpr uint32_t kMaxObjects = 65536;

QPointF PointAt(const RecordBytes& r, size_t offset)
{
    return QPointF(r.I32(offset), r.I32(offset + 4));
}

QRectF RectAt(const RecordBytes& r, size_t offset)
{
    return QRectF(QPointF(r.I32(offset), r.I32(offset + 4)), QPointF(r.I32(offset + 8), r.I32(offset + 12)));
}

QTransform TransformAt(const RecordBytes& r, size_t offset)
{
    return QTransform(r.F32(offset), r.F32(offset + 4), r.F32(offset + 8), r.F32(offset + 12), r.F32(offset + 16),
                      r.F32(offset + 20));
}

// count points of 32 or 16 bits at offset; empty when they do not fit.
QPolygonF PointsAt(const RecordBytes& r, size_t offset, uint64_t count, bool small)
{
    const size_t each = small ? 4 : 8;
    if (count > r.Size() / each || !r.Has(offset, size_t(count) * each))
        return {};
    QPolygonF points;
    points.reserve(qsizetype(count));
    for (size_t i = 0; i < count; ++i) {
        const size_t at = offset + i * each;
        points.append(small ? QPointF(r.I16(at), r.I16(at + 2)) : QPointF(r.I32(at), r.I32(at + 4)));
    }
    return points;
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
        const QRectF box = RectAt(r, offset + 32 + size_t(i) * 16).normalized();
        if (!box.isEmpty())
            rects.emplace_back(int(box.left()), int(box.top()), int(box.width()), int(box.height()));
    }
    return RegionFromRects(rects);
}

} // namespace

bool EmfPlayer::Recognise(const uint8_t* data, size_t size)
{
    const RecordBytes r(data, size);
    return size >= kHeaderSize && r.U32(0) == EMR_HEADER && r.U32(40) == kEmfSignature;
}

EmfPlayer::EmfPlayer(const uint8_t* data, size_t size) : data_(data)
{
    if (!Recognise(data, size))
        InvalidMetafile();
    const RecordBytes header(data, size);
    headerSize_ = header.U32(4);
    if (headerSize_ < kHeaderSize || headerSize_ % 4 || headerSize_ > size)
        InvalidMetafile();

    // Every record must lie inside the file; the last one is EMR_EOF, or the
    // file holds all the bytes its header claims.
    size_t at = headerSize_;
    bool sawEof = false;
    while (at < size && !sawEof) {
        if (size - at < 8)
            InvalidMetafile();
        const uint32_t type = header.U32(at);
        const uint32_t length = header.U32(at + 4);
        if (length < 8 || length % 4 || length > size - at)
            InvalidMetafile();
        sawEof = type == EMR_EOF;
        at += length;
    }
    if (!sawEof && header.U32(48) > size)
        InvalidMetafile();
    end_ = at;

    // The reference device: pixels per millimetre, exact in micrometres
    // when the header has them.
    const double devX = header.I32(72), devY = header.I32(76);
    double mmX = header.I32(80), mmY = header.I32(84);
    if (headerSize_ >= 108 && header.I32(100) > 0 && header.I32(104) > 0) {
        mmX = header.I32(100) / 1000.0;
        mmY = header.I32(104) / 1000.0;
    }
    if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
        resolution_.pixelsPerMmX = devX / mmX;
        resolution_.pixelsPerMmY = devY / mmY;
    }

    // The frame (hundredths of a millimetre) gives the size at 96 dpi and
    // the part of the device shown; without a usable frame, the bounds.
    const QRectF frame = RectAt(header, 24);
    const QRectF bounds = RectAt(header, 8);
    if (frame.width() > 0 && frame.height() > 0) {
        natural_ = QSizeF(frame.width() * 96.0 / 2540.0, frame.height() * 96.0 / 2540.0);
        deviceRect_ = QRectF(frame.left() * resolution_.pixelsPerMmX / 100.0,
                             frame.top() * resolution_.pixelsPerMmY / 100.0,
                             frame.width() * resolution_.pixelsPerMmX / 100.0,
                             frame.height() * resolution_.pixelsPerMmY / 100.0);
    } else if (bounds.width() >= 0 && bounds.height() >= 0) {
        natural_ = QSizeF(bounds.width() + 1, bounds.height() + 1);
        deviceRect_ = QRectF(bounds.left(), bounds.top(), bounds.width() + 1, bounds.height() + 1);
    }
    if (!(natural_.width() >= 0.5 && natural_.height() >= 0.5 && deviceRect_.width() > 0 &&
          deviceRect_.height() > 0 && std::isfinite(deviceRect_.width()) && std::isfinite(deviceRect_.height())))
        InvalidMetafile();
}

void EmfPlayer::Play(QImage& target)
{
    const QTransform deviceToPicture = QTransform::fromTranslate(-deviceRect_.left(), -deviceRect_.top()) *
                                       QTransform::fromScale(target.width() / deviceRect_.width(),
                                                             target.height() / deviceRect_.height());
    GdiCanvas canvas(target, deviceToPicture, resolution_, false);
    objects_.clear();
    size_t at = headerSize_;
    while (at < end_ && !canvas.Exhausted()) {
        const RecordBytes head(data_ + at, 8);
        const uint32_t type = head.U32(0);
        const uint32_t length = head.U32(4);
        Dispatch(canvas, type, RecordBytes(data_ + at, length));
        at += length;
    }
}

void EmfPlayer::CreateObject(uint32_t index, GdiObject object)
{
    if (index < kMaxObjects)
        objects_[index] = std::move(object);
}

void EmfPlayer::SelectObject(GdiCanvas& canvas, uint32_t index)
{
    GdiObject stock;
    const GdiObject* object = nullptr;
    if (index & 0x80000000u) {
        if (StockObject(index & 0x7FFFFFFFu, stock))
            object = &stock;
    } else if (auto found = objects_.find(index); found != objects_.end()) {
        object = &found->second;
    }
    if (!object)
        return;
    DcState& s = canvas.State();
    if (auto pen = std::get_if<GdiPen>(object))
        s.pen = *pen;
    else if (auto brush = std::get_if<GdiBrush>(object))
        s.brush = *brush;
    else if (auto font = std::get_if<GdiFont>(object))
        s.font = *font;
}

GdiPen EmfPlayer::ReadExtPen(const RecordBytes& r) const
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
    return pen;
}

QImage EmfPlayer::RecordDib(GdiCanvas& canvas, const RecordBytes& r, size_t infoAt, bool keepAlpha,
                            bool* bottomUp) const
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

void EmfPlayer::Dispatch(GdiCanvas& canvas, uint32_t type, const RecordBytes& r)
{
    DcState& s = canvas.State();
    switch (type) {
    case EMR_SETWINDOWEXTEX: canvas.SetWindowExt(PointAt(r, 8)); break;
    case EMR_SETWINDOWORGEX: canvas.SetWindowOrg(PointAt(r, 8)); break;
    case EMR_SETVIEWPORTEXTEX: canvas.SetViewportExt(PointAt(r, 8)); break;
    case EMR_SETVIEWPORTORGEX: canvas.SetViewportOrg(PointAt(r, 8)); break;
    case EMR_SCALEVIEWPORTEXTEX:
        canvas.ScaleViewportExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
        break;
    case EMR_SCALEWINDOWEXTEX: canvas.ScaleWindowExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
    case EMR_SETMAPMODE: canvas.SetMapMode(r.I32(8)); break;
    case EMR_SETBKMODE: s.bkMode = r.I32(8) == TRANSPARENT ? TRANSPARENT : OPAQUE; break;
    case EMR_SETPOLYFILLMODE: s.polyFillMode = r.I32(8) == WINDING ? WINDING : ALTERNATE; break;
    case EMR_SETROP2: s.rop2 = r.I32(8); break;
    case EMR_SETTEXTALIGN: s.textAlign = r.U32(8); break;
    case EMR_SETTEXTCOLOR: s.textColor = ColorFromRef(r.U32(8)); break;
    case EMR_SETBKCOLOR: s.bkColor = ColorFromRef(r.U32(8)); break;
    case EMR_SETARCDIRECTION: s.arcDirection = r.I32(8) == AD_CLOCKWISE ? AD_CLOCKWISE : AD_COUNTERCLOCKWISE; break;
    case EMR_SAVEDC: canvas.SaveDC(); break;
    case EMR_RESTOREDC: canvas.RestoreDC(r.I32(8)); break;
    case EMR_SETWORLDTRANSFORM: canvas.SetWorldTransform(TransformAt(r, 8)); break;
    case EMR_MODIFYWORLDTRANSFORM: canvas.ModifyWorldTransform(TransformAt(r, 8), r.U32(32)); break;
    case EMR_INTERSECTCLIPRECT: canvas.IntersectClipRect(RectAt(r, 8)); break;
    case EMR_EXCLUDECLIPRECT: canvas.ExcludeClipRect(RectAt(r, 8)); break;
    case EMR_OFFSETCLIPRGN: canvas.OffsetClip(PointAt(r, 8)); break;
    case EMR_EXTSELECTCLIPRGN: canvas.SelectClipRegion(RegionAt(r, 16, r.U32(8)), r.I32(12)); break;

    case EMR_CREATEPEN: {
        GdiPen pen;
        pen.style = r.U32(12);
        pen.width = std::fabs(double(r.I32(16)));
        pen.color = ColorFromRef(r.U32(24));
        CreateObject(r.U32(8), pen);
        break;
    }
    case EMR_EXTCREATEPEN: CreateObject(r.U32(8), ReadExtPen(r)); break;
    case EMR_CREATEBRUSHINDIRECT: {
        GdiBrush brush;
        brush.style = r.U32(12);
        brush.color = ColorFromRef(r.U32(16));
        brush.hatch = r.U32(20);
        if (brush.style != BS_NULL && brush.style != BS_HATCHED)
            brush.style = BS_SOLID;
        CreateObject(r.U32(8), brush);
        break;
    }
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT: {
        GdiBrush brush;
        brush.style = BS_DIBPATTERN;
        brush.color = Qt::black;
        brush.pattern = RecordDib(canvas, r, 16, false, nullptr);
        if (type == EMR_CREATEMONOBRUSH && brush.pattern.format() == QImage::Format_Mono)
            brush.pattern.setColorTable({s.textColor.rgb(), s.bkColor.rgb()});
        CreateObject(r.U32(8), brush);
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
        GdiFont font;
        font.height = r.I32(12);
        font.width = r.I32(16);
        font.escapement = r.I32(20);
        font.weight = r.I32(28);
        font.italic = r.U8(32);
        font.underline = r.U8(33);
        font.strikeOut = r.U8(34);
        font.charSet = r.U8(35);
        for (size_t i = 0; i < 32 && r.Has(40 + 2 * i, 2); ++i) {
            const char16_t c = r.U16(40 + 2 * i);
            if (c == 0)
                break;
            font.faceName.append(QChar(c));
        }
        CreateObject(r.U32(8), font);
        break;
    }
    case EMR_CREATEPALETTE: CreateObject(r.U32(8), GdiPlaceholder{}); break;
    case EMR_SELECTOBJECT: SelectObject(canvas, r.U32(8)); break;
    case EMR_DELETEOBJECT: objects_.erase(r.U32(8)); break;

    case EMR_MOVETOEX: canvas.MoveTo(PointAt(r, 8)); break;
    case EMR_LINETO: canvas.LineTo(PointAt(r, 8)); break;
    case EMR_SETPIXELV: canvas.SetPixel(PointAt(r, 8), ColorFromRef(r.U32(16))); break;
    case EMR_RECTANGLE: canvas.Rectangle(RectAt(r, 8)); break;
    case EMR_ELLIPSE: canvas.Ellipse(RectAt(r, 8)); break;
    case EMR_ROUNDRECT: canvas.RoundRect(RectAt(r, 8), PointAt(r, 24)); break;
    case EMR_ARC: canvas.Arc(GdiCanvas::ArcKind::Arc, RectAt(r, 8), PointAt(r, 24), PointAt(r, 32)); break;
    case EMR_ARCTO: canvas.Arc(GdiCanvas::ArcKind::ArcTo, RectAt(r, 8), PointAt(r, 24), PointAt(r, 32)); break;
    case EMR_CHORD: canvas.Arc(GdiCanvas::ArcKind::Chord, RectAt(r, 8), PointAt(r, 24), PointAt(r, 32)); break;
    case EMR_PIE: canvas.Arc(GdiCanvas::ArcKind::Pie, RectAt(r, 8), PointAt(r, 24), PointAt(r, 32)); break;
    case EMR_ANGLEARC: canvas.AngleArc(PointAt(r, 8), r.U32(16), r.F32(20), r.F32(24)); break;

    case EMR_BEGINPATH: canvas.BeginPath(); break;
    case EMR_ENDPATH: canvas.EndPath(); break;
    case EMR_ABORTPATH: canvas.AbortPath(); break;
    case EMR_CLOSEFIGURE: canvas.CloseFigure(); break;
    case EMR_FILLPATH: canvas.FillPath(); break;
    case EMR_STROKEPATH: canvas.StrokePath(); break;
    case EMR_STROKEANDFILLPATH: canvas.StrokeAndFillPath(); break;
    case EMR_WIDENPATH: canvas.WidenPath(); break;
    case EMR_SELECTCLIPPATH: canvas.SelectClipPath(r.I32(8)); break;

    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYDRAW: case EMR_POLYBEZIER16: case EMR_POLYGON16:
    case EMR_POLYLINE16: case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16: case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16: case EMR_POLYDRAW16:
        DrawPolys(canvas, type, r);
        break;

    case EMR_EXTTEXTOUTA: DrawText(canvas, r, false); break;
    case EMR_EXTTEXTOUTW: DrawText(canvas, r, true); break;

    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_STRETCHDIBITS: case EMR_SETDIBITSTODEVICE:
    case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT:
        DrawBitmap(canvas, type, r);
        break;

    case EMR_FILLRGN: case EMR_FRAMERGN: case EMR_INVERTRGN: case EMR_PAINTRGN: DrawRegion(canvas, type, r); break;
    case EMR_GRADIENTFILL: DrawGradient(canvas, r); break;
    default: break; // comments, palettes, colour management and the rest draw nothing
    }
}

void EmfPlayer::DrawPolys(GdiCanvas& canvas, uint32_t type, const RecordBytes& r)
{
    const bool small = type >= EMR_POLYBEZIER16;
    const uint32_t base = small ? type - (EMR_POLYBEZIER16 - EMR_POLYBEZIER) : type;
    if (type == EMR_POLYDRAW || type == EMR_POLYDRAW16) {
        const uint32_t count = r.U32(24);
        const QPolygonF points = PointsAt(r, 28, count, small);
        const uint8_t* types = points.isEmpty() ? nullptr : r.At(28 + size_t(count) * (small ? 4 : 8), count);
        if (types)
            canvas.PolyDraw(points, types);
        return;
    }
    if (base == EMR_POLYPOLYLINE || base == EMR_POLYPOLYGON) {
        const uint32_t polys = r.U32(24);
        const uint32_t total = r.U32(28);
        if (polys > r.Size() / 4 || !r.Has(32, size_t(polys) * 4))
            return;
        const size_t pointsAt = 32 + size_t(polys) * 4;
        const QPolygonF all = PointsAt(r, pointsAt, total, small);
        std::vector<QPolygonF> parts;
        qsizetype used = 0;
        for (uint32_t i = 0; i < polys; ++i) {
            const uint32_t n = r.U32(32 + size_t(i) * 4);
            if (n > all.size() - used)
                return;
            parts.push_back(all.mid(used, n));
            used += n;
        }
        if (base == EMR_POLYPOLYGON)
            canvas.PolyPolygon(parts);
        else
            canvas.PolyPolyline(parts);
        return;
    }
    const QPolygonF points = PointsAt(r, 28, r.U32(24), small);
    switch (base) {
    case EMR_POLYBEZIER: canvas.PolyBezier(points); break;
    case EMR_POLYGON: canvas.Polygon(points); break;
    case EMR_POLYLINE: canvas.Polyline(points); break;
    case EMR_POLYBEZIERTO: canvas.PolyBezierTo(points); break;
    case EMR_POLYLINETO: canvas.PolylineTo(points); break;
    default: break;
    }
}

void EmfPlayer::DrawText(GdiCanvas& canvas, const RecordBytes& r, bool wide)
{
    enum : uint32_t { ETO_NO_RECT = 0x100, ETO_PDY = 0x2000 };
    const QPointF reference = PointAt(r, 36);
    const uint32_t count = r.U32(44);
    const uint32_t offString = r.U32(48);
    const uint32_t options = r.U32(52);
    const bool haveRect = !(options & ETO_NO_RECT);
    const QRectF rect = haveRect ? RectAt(r, 56) : QRectF();
    const uint32_t offDx = r.U32(haveRect ? 72 : 56);
    const size_t unit = wide ? 2 : 1;
    if (count > r.Size() || !r.Has(offString, size_t(count) * unit))
        return;
    QString text;
    if (wide) {
        text.reserve(count);
        for (uint32_t i = 0; i < count; ++i)
            text.append(QChar(char16_t(r.U16(offString + 2 * size_t(i)))));
    } else {
        text = AnsiToString(r.At(offString, count), count);
    }
    std::vector<double> dx;
    const size_t step = (options & ETO_PDY) ? 8 : 4;
    if (offDx != 0 && count <= r.Size() / step && r.Has(offDx, size_t(count) * step))
        for (uint32_t i = 0; i < count; ++i)
            dx.push_back(r.I32(offDx + step * i));
    canvas.TextOut(reference, text, dx, options, haveRect && !rect.isEmpty() ? &rect : nullptr);
}

void EmfPlayer::DrawBitmap(GdiCanvas& canvas, uint32_t type, const RecordBytes& r)
{
    bool bottomUp = false;
    if (type == EMR_SETDIBITSTODEVICE) {
        DrawDibToDevice(canvas, r);
        return;
    }
    if (type == EMR_STRETCHDIBITS) {
        // The source rectangle counts rows from the bottom of a bottom-up
        // bitmap.
        const QRectF dest(r.I32(24), r.I32(28), r.I32(72), r.I32(76));
        QRectF source(r.I32(32), r.I32(36), r.I32(40), r.I32(44));
        const uint32_t rop = r.U32(68);
        const QImage image = RecordDib(canvas, r, 48, false, &bottomUp);
        if (bottomUp)
            source.moveTop(image.height() - source.top() - source.height());
        if (r.U32(52) == 0)
            canvas.PatBlt(dest, rop);
        else
            canvas.DrawImage(dest, image, source, rop);
        return;
    }
    const QRectF dest(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
    const uint32_t rop = r.U32(40);
    QTransform sourceTransform = TransformAt(r, 52);
    if (!UsableTransform(sourceTransform))
        sourceTransform = QTransform();
    const bool withSize = type != EMR_BITBLT;
    const QRectF source = sourceTransform.mapRect(
        QRectF(r.I32(44), r.I32(48), withSize ? r.I32(100) : dest.width(), withSize ? r.I32(104) : dest.height()));
    if (r.U32(88) == 0) { // no bitmap: a pattern operation
        if (type == EMR_BITBLT || type == EMR_STRETCHBLT)
            canvas.PatBlt(dest, rop);
        return;
    }
    if (type == EMR_ALPHABLEND) {
        const uint8_t constantAlpha = r.U8(42);
        const bool perPixel = r.U8(43) & 1; // AC_SRC_ALPHA
        const QImage image = RecordDib(canvas, r, 84, perPixel, nullptr);
        canvas.DrawImage(dest, image, source, 0x00CC0020, constantAlpha / 255.0);
        return;
    }
    QImage image = RecordDib(canvas, r, 84, false, nullptr);
    if (type == EMR_TRANSPARENTBLT && !image.isNull()) {
        const QRgb key = ColorFromRef(r.U32(40)).rgb();
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((row[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                    row[x] = 0;
        }
        canvas.DrawImage(dest, image, source, 0x00CC0020);
        return;
    }
    canvas.DrawImage(dest, image, source, rop);
}

void EmfPlayer::DrawDibToDevice(GdiCanvas& canvas, const RecordBytes& r)
{
    // Only scan lines first .. first + count - 1 are stored; the header
    // still gives the whole bitmap's height.
    const uint32_t offInfo = r.U32(48), infoBytes = r.U32(52);
    const uint32_t offBits = r.U32(56), bitsBytes = r.U32(60);
    const uint32_t first = r.U32(68), count = r.U32(72);
    const uint8_t* info = r.At(offInfo, infoBytes);
    const uint8_t* bits = r.At(offBits, bitsBytes);
    DibInfo dib;
    if (!info || !bits || !ReadDibInfo(info, infoBytes, dib) || dib.headerSize < 40 || count == 0 ||
        count > uint64_t(std::abs(dib.height)) || !canvas.ChargeWork(double(dib.width) * count))
        return;
    std::vector<uint8_t> part(info, info + infoBytes);
    const int32_t height = dib.height < 0 ? -int32_t(count) : int32_t(count);
    for (int i = 0; i < 4; ++i)
        part[8 + i] = uint8_t(uint32_t(height) >> (8 * i));
    const QImage image = DecodeDib(part.data(), part.size(), bits, bitsBytes);
    const QRectF dest(r.I32(24), r.I32(28), r.I32(40), r.I32(44));
    QRectF source(r.I32(32), r.I32(36), r.I32(40), r.I32(44));
    if (dib.height > 0)
        source.moveTop(double(first) + count - source.top() - source.height());
    else
        source.moveTop(source.top() - first);
    canvas.DrawImage(dest, image, source, 0x00CC0020);
}

void EmfPlayer::DrawRegion(GdiCanvas& canvas, uint32_t type, const RecordBytes& r)
{
    const uint32_t bytes = r.U32(24);
    if (type == EMR_INVERTRGN || type == EMR_PAINTRGN) {
        const std::optional<QRegion> region = RegionAt(r, 28, bytes);
        if (!region)
            return;
        if (type == EMR_INVERTRGN)
            canvas.InvertRegion(*region, false);
        else
            canvas.FillRegion(*region, canvas.State().brush, false);
        return;
    }
    GdiObject stock;
    const GdiObject* object = nullptr;
    const uint32_t index = r.U32(28);
    if (index & 0x80000000u) {
        if (StockObject(index & 0x7FFFFFFFu, stock))
            object = &stock;
    } else if (auto found = objects_.find(index); found != objects_.end()) {
        object = &found->second;
    }
    const GdiBrush* brush = object ? std::get_if<GdiBrush>(object) : nullptr;
    if (!brush)
        return;
    if (type == EMR_FILLRGN) {
        if (const auto region = RegionAt(r, 32, bytes))
            canvas.FillRegion(*region, *brush, false);
    } else if (const auto region = RegionAt(r, 40, bytes)) {
        canvas.FrameRegion(*region, *brush, PointAt(r, 32), false);
    }
}

void EmfPlayer::DrawGradient(GdiCanvas& canvas, const RecordBytes& r)
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
    for (uint32_t k = 0; k < shapes && !canvas.Exhausted(); ++k) {
        const size_t at = shapesAt + size_t(k) * each;
        const uint32_t a = r.U32(at), b = r.U32(at + 4);
        if (mode == GRADIENT_FILL_TRIANGLE) {
            const uint32_t c = r.U32(at + 8);
            if (a >= vertices || b >= vertices || c >= vertices)
                continue;
            const QColor ca = color(a), cb = color(b), cc = color(c);
            canvas.FillTriangle(QPolygonF{point(a), point(b), point(c)},
                                QColor((ca.red() + cb.red() + cc.red()) / 3, (ca.green() + cb.green() + cc.green()) / 3,
                                       (ca.blue() + cb.blue() + cc.blue()) / 3));
        } else if (a < vertices && b < vertices) {
            canvas.GradientRect(QRectF(point(a), point(b)), color(a), color(b), mode == GRADIENT_FILL_RECT_V);
        }
    }
}

} // namespace orvane::imaging::metafile
