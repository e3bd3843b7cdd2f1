#include "platform/metafile/WmfPlayer.h"

#include "platform/metafile/AnsiText.h"
#include "platform/metafile/DibImage.h"
#include "platform/metafile/GdiGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orvane::imaging::metafile {

namespace {

enum : uint16_t {
    META_EOF = 0x0000, META_SAVEDC = 0x001E, META_REALIZEPALETTE = 0x0035, META_SETPALENTRIES = 0x0037,
    META_CREATEPALETTE = 0x00F7, META_SETBKMODE = 0x0102, META_SETMAPMODE = 0x0103, META_SETROP2 = 0x0104,
    META_SETPOLYFILLMODE = 0x0106, META_SETTEXTCHAREXTRA = 0x0108, META_RESTOREDC = 0x0127,
    META_INVERTREGION = 0x012A, META_PAINTREGION = 0x012B, META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D, META_SETTEXTALIGN = 0x012E, META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0, META_CREATEPATTERNBRUSH = 0x01F9, META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209, META_SETWINDOWORG = 0x020B, META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D, META_SETVIEWPORTEXT = 0x020E, META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211, META_LINETO = 0x0213, META_MOVETO = 0x0214, META_OFFSETCLIPRGN = 0x0220,
    META_FILLREGION = 0x0228, META_SELECTPALETTE = 0x0234, META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB, META_CREATEBRUSHINDIRECT = 0x02FC, META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325, META_SCALEWINDOWEXT = 0x0410, META_SCALEVIEWPORTEXT = 0x0412,
    META_EXCLUDECLIPRECT = 0x0415, META_INTERSECTCLIPRECT = 0x0416, META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B, META_SETPIXEL = 0x041F, META_FRAMEREGION = 0x0429, META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538, META_ROUNDRECT = 0x061C, META_PATBLT = 0x061D, META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817, META_PIE = 0x081A, META_CHORD = 0x0830, META_DIBBITBLT = 0x0940, META_EXTTEXTOUT = 0x0A32,
    META_DIBSTRETCHBLT = 0x0B41, META_SETDIBTODEV = 0x0D33, META_STRETCHDIB = 0x0F43,
};

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kHeaderSize = 18;
constexpr uint32_t SRCCOPY = 0x00CC0020;

// The 18-byte header: memory (1) or disk (2) metafile, nine words long.
bool HeaderAt(const RecordBytes& r, size_t at)
{
    const uint16_t type = r.U16(at);
    return r.Has(at, kHeaderSize) && (type == 1 || type == 2) && r.U16(at + 2) == 9;
}

// Parameter word i of a record (after the 6-byte size and function).
int16_t P(const RecordBytes& r, size_t i)
{
    return r.I16(6 + 2 * i);
}

// A rectangle stored bottom, right, top, left from parameter i on.
QRectF ReversedRect(const RecordBytes& r, size_t i)
{
    return QRectF(QPointF(P(r, i + 3), P(r, i + 2)), QPointF(P(r, i + 1), P(r, i)));
}

// A point stored y, x from parameter i on.
QPointF ReversedPoint(const RecordBytes& r, size_t i)
{
    return QPointF(P(r, i + 1), P(r, i));
}

QPolygonF PointsAt(const RecordBytes& r, size_t offset, size_t count)
{
    if (count > r.Size() / 4 || !r.Has(offset, count * 4))
        return {};
    QPolygonF points;
    points.reserve(qsizetype(count));
    for (size_t i = 0; i < count; ++i)
        points.append(QPointF(r.I16(offset + 4 * i), r.I16(offset + 4 * i + 2)));
    return points;
}

} // namespace

bool WmfPlayer::Recognise(const uint8_t* data, size_t size)
{
    const RecordBytes r(data, size);
    if (r.U32(0) == kPlaceableKey)
        return HeaderAt(r, kPlaceableSize);
    return HeaderAt(r, 0);
}

WmfPlayer::WmfPlayer(const uint8_t* data, size_t size) : data_(data)
{
    if (!Recognise(data, size))
        InvalidMetafile();
    const RecordBytes file(data, size);
    const bool placeable = file.U32(0) == kPlaceableKey;
    const size_t header = placeable ? kPlaceableSize : 0;
    firstRecord_ = header + kHeaderSize;
    const uint16_t objects = file.U16(header + 10);
    objectLimit_ = objects != 0 ? objects : 65535;

    // Every record must lie inside the file; the last one is META_EOF, or
    // the file holds all the words its header claims.
    size_t at = firstRecord_;
    bool sawEof = false;
    std::optional<QPointF> windowExt, windowOrg;
    while (at < size && !sawEof) {
        if (size - at < 6)
            InvalidMetafile();
        const uint64_t length = uint64_t(file.U32(at)) * 2;
        const uint16_t function = file.U16(at + 4);
        if (length < 6 || length > size - at)
            InvalidMetafile();
        const RecordBytes r(data + at, size_t(length));
        if (function == META_SETWINDOWEXT && !windowExt && r.Has(6, 4))
            windowExt = ReversedPoint(r, 0);
        if (function == META_SETWINDOWORG && !windowOrg && r.Has(6, 4))
            windowOrg = ReversedPoint(r, 0);
        sawEof = function == META_EOF;
        at += size_t(length);
    }
    if (!sawEof && uint64_t(file.U32(header + 6)) * 2 > size - header)
        InvalidMetafile();
    end_ = at;

    // The size: the placeable header's box in its units per inch, shown at
    // 96 dpi; else the window extent taken as pixels.
    const QRectF box(QPointF(file.I16(6), file.I16(8)), QPointF(file.I16(10), file.I16(12)));
    const uint16_t inch = file.U16(14);
    if (placeable && inch != 0 && box.width() != 0 && box.height() != 0) {
        natural_ = QSizeF(std::fabs(box.width()) * 96.0 / inch, std::fabs(box.height()) * 96.0 / inch);
        windowOrg_ = box.topLeft();
        windowExt_ = QPointF(box.width(), box.height());
    } else if (windowExt && windowExt->x() != 0 && windowExt->y() != 0) {
        natural_ = QSizeF(std::fabs(windowExt->x()), std::fabs(windowExt->y()));
        windowOrg_ = windowOrg.value_or(QPointF(0, 0));
        windowExt_ = *windowExt;
    } else {
        InvalidMetafile();
    }
    if (natural_.width() < 0.5 || natural_.height() < 0.5)
        InvalidMetafile();
}

void WmfPlayer::Play(QImage& target)
{
    GdiCanvas canvas(target, QTransform(), DeviceResolution{}, true);
    canvas.SetWindowOrg(windowOrg_);
    canvas.SetWindowExt(windowExt_);
    objects_.clear();
    freeSlots_.clear();
    size_t at = firstRecord_;
    while (at < end_ && !canvas.Exhausted()) {
        const RecordBytes head(data_ + at, 6);
        const size_t length = size_t(head.U32(0)) * 2;
        Dispatch(canvas, head.U16(4), RecordBytes(data_ + at, length));
        at += length;
    }
}

void WmfPlayer::CreateObject(GdiObject object)
{
    if (!freeSlots_.empty()) {
        const size_t slot = *freeSlots_.begin();
        freeSlots_.erase(freeSlots_.begin());
        objects_[slot] = std::move(object);
    } else if (objects_.size() < objectLimit_) {
        objects_.emplace_back(std::move(object));
    }
}

const GdiObject* WmfPlayer::Object(uint16_t index) const
{
    return index < objects_.size() && objects_[index] ? &*objects_[index] : nullptr;
}

void WmfPlayer::SelectObject(GdiCanvas& canvas, uint16_t index)
{
    const GdiObject* object = Object(index);
    if (!object)
        return;
    DcState& s = canvas.State();
    if (auto pen = std::get_if<GdiPen>(object))
        s.pen = *pen;
    else if (auto brush = std::get_if<GdiBrush>(object))
        s.brush = *brush;
    else if (auto font = std::get_if<GdiFont>(object))
        s.font = *font;
    else if (auto region = std::get_if<GdiRegion>(object))
        canvas.SelectLogicalClipRegion(region->region);
}

GdiObject WmfPlayer::ReadRegion(const RecordBytes& r) const
{
    // Region16: header of 22 bytes, then scans (count, top, bottom,
    // count / 2 pairs of left and right, count again).
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
    return GdiRegion{RegionFromRects(rects)};
}

GdiObject WmfPlayer::ReadPatternBrush(const RecordBytes& r) const
{
    // A Bitmap16 header, 18 reserved bytes, then the bits; only
    // monochrome patterns are read, others paint gray.
    GdiBrush brush;
    brush.color = QColor(128, 128, 128);
    const int width = r.I16(8), height = r.I16(10), stride = r.I16(12);
    const uint8_t planes = r.U8(14), bitsPixel = r.U8(15);
    const size_t bitsAt = 6 + 14 + 18;
    if (planes == 1 && bitsPixel == 1 && width > 0 && height > 0 && width <= 256 && height <= 256 &&
        stride >= (width + 7) / 8 && r.Has(bitsAt, size_t(stride) * size_t(height))) {
        QImage pattern(width, height, QImage::Format_Mono);
        pattern.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        for (int y = 0; y < height; ++y)
            std::memcpy(pattern.scanLine(y), r.At(bitsAt + size_t(y) * size_t(stride), size_t(stride)),
                        size_t((width + 7) / 8));
        brush.style = BS_PATTERN;
        brush.pattern = pattern;
    }
    return brush;
}

void WmfPlayer::Dispatch(GdiCanvas& canvas, uint16_t function, const RecordBytes& r)
{
    DcState& s = canvas.State();
    switch (function) {
    case META_SETWINDOWORG: canvas.SetWindowOrg(ReversedPoint(r, 0)); break;
    case META_SETWINDOWEXT: canvas.SetWindowExt(ReversedPoint(r, 0)); break;
    case META_OFFSETWINDOWORG: canvas.OffsetWindowOrg(ReversedPoint(r, 0)); break;
    case META_SCALEWINDOWEXT: canvas.ScaleWindowExt(P(r, 3), P(r, 2), P(r, 1), P(r, 0)); break;
    case META_SETVIEWPORTORG: case META_SETVIEWPORTEXT: case META_OFFSETVIEWPORTORG:
    case META_SCALEVIEWPORTEXT: case META_SETMAPMODE:
        break; // the viewport is the picture
    case META_SETBKMODE: s.bkMode = P(r, 0) == TRANSPARENT ? TRANSPARENT : OPAQUE; break;
    case META_SETPOLYFILLMODE: s.polyFillMode = P(r, 0) == WINDING ? WINDING : ALTERNATE; break;
    case META_SETROP2: s.rop2 = P(r, 0); break;
    case META_SETTEXTALIGN: s.textAlign = uint16_t(P(r, 0)); break;
    case META_SETTEXTCHAREXTRA: s.textCharExtra = P(r, 0); break;
    case META_SETTEXTCOLOR: s.textColor = ColorFromRef(r.U32(6)); break;
    case META_SETBKCOLOR: s.bkColor = ColorFromRef(r.U32(6)); break;
    case META_SAVEDC: canvas.SaveDC(); break;
    case META_RESTOREDC: canvas.RestoreDC(P(r, 0)); break;
    case META_INTERSECTCLIPRECT: canvas.IntersectClipRect(ReversedRect(r, 0)); break;
    case META_EXCLUDECLIPRECT: canvas.ExcludeClipRect(ReversedRect(r, 0)); break;
    case META_OFFSETCLIPRGN: canvas.OffsetClip(ReversedPoint(r, 0)); break;

    case META_CREATEPENINDIRECT: {
        GdiPen pen;
        pen.style = uint16_t(P(r, 0));
        pen.width = std::abs(P(r, 1));
        pen.color = ColorFromRef(r.U32(12));
        CreateObject(pen);
        break;
    }
    case META_CREATEBRUSHINDIRECT: {
        GdiBrush brush;
        brush.style = uint16_t(P(r, 0));
        brush.color = ColorFromRef(r.U32(8));
        brush.hatch = uint16_t(r.I16(12));
        if (brush.style != BS_NULL && brush.style != BS_HATCHED)
            brush.style = BS_SOLID;
        CreateObject(brush);
        break;
    }
    case META_CREATEFONTINDIRECT: {
        GdiFont font;
        font.height = P(r, 0);
        font.width = P(r, 1);
        font.escapement = P(r, 2);
        font.weight = P(r, 4);
        font.italic = r.U8(16);
        font.underline = r.U8(17);
        font.strikeOut = r.U8(18);
        font.charSet = r.U8(19);
        size_t length = 0;
        while (length < 32 && r.Has(24 + length, 1) && r.U8(24 + length) != 0)
            ++length;
        font.faceName = AnsiToString(r.Data() + 24, length);
        CreateObject(font);
        break;
    }
    case META_DIBCREATEPATTERNBRUSH: {
        GdiBrush brush;
        brush.style = BS_DIBPATTERN;
        brush.color = QColor(128, 128, 128);
        if (r.Size() > 10 && canvas.ChargeWork(double(r.Size())))
            brush.pattern = DecodePackedDib(r.Data() + 10, r.Size() - 10);
        CreateObject(brush);
        break;
    }
    case META_CREATEPATTERNBRUSH: CreateObject(ReadPatternBrush(r)); break;
    case META_CREATEREGION: CreateObject(ReadRegion(r)); break;
    case META_CREATEPALETTE: CreateObject(GdiPlaceholder{}); break;
    case META_SELECTOBJECT: SelectObject(canvas, uint16_t(P(r, 0))); break;
    case META_SELECTCLIPREGION: {
        const GdiObject* object = Object(uint16_t(P(r, 0)));
        const GdiRegion* region = object ? std::get_if<GdiRegion>(object) : nullptr;
        canvas.SelectLogicalClipRegion(region ? std::optional<QRegion>(region->region) : std::nullopt);
        break;
    }
    case META_DELETEOBJECT: {
        const uint16_t index = uint16_t(P(r, 0));
        if (index < objects_.size() && objects_[index]) {
            objects_[index].reset();
            freeSlots_.insert(index);
        }
        break;
    }

    case META_MOVETO: canvas.MoveTo(ReversedPoint(r, 0)); break;
    case META_LINETO: canvas.LineTo(ReversedPoint(r, 0)); break;
    case META_SETPIXEL: canvas.SetPixel(ReversedPoint(r, 2), ColorFromRef(r.U32(6))); break;
    case META_RECTANGLE: canvas.Rectangle(ReversedRect(r, 0)); break;
    case META_ELLIPSE: canvas.Ellipse(ReversedRect(r, 0)); break;
    case META_ROUNDRECT: canvas.RoundRect(ReversedRect(r, 2), ReversedPoint(r, 0)); break;
    case META_ARC:
        canvas.Arc(GdiCanvas::ArcKind::Arc, ReversedRect(r, 4), ReversedPoint(r, 2), ReversedPoint(r, 0));
        break;
    case META_PIE:
        canvas.Arc(GdiCanvas::ArcKind::Pie, ReversedRect(r, 4), ReversedPoint(r, 2), ReversedPoint(r, 0));
        break;
    case META_CHORD:
        canvas.Arc(GdiCanvas::ArcKind::Chord, ReversedRect(r, 4), ReversedPoint(r, 2), ReversedPoint(r, 0));
        break;
    case META_POLYGON: canvas.Polygon(PointsAt(r, 8, uint16_t(P(r, 0)))); break;
    case META_POLYLINE: canvas.Polyline(PointsAt(r, 8, uint16_t(P(r, 0)))); break;
    case META_POLYPOLYGON: {
        const size_t polys = uint16_t(P(r, 0));
        if (!r.Has(8, polys * 2))
            break;
        size_t at = 8 + polys * 2;
        std::vector<QPolygonF> parts;
        for (size_t i = 0; i < polys; ++i) {
            const size_t n = uint16_t(r.I16(8 + 2 * i));
            QPolygonF part = PointsAt(r, at, n);
            if (part.size() != qsizetype(n))
                return;
            parts.push_back(std::move(part));
            at += n * 4;
        }
        canvas.PolyPolygon(parts);
        break;
    }
    case META_PATBLT: canvas.PatBlt(QRectF(P(r, 5), P(r, 4), P(r, 3), P(r, 2)), r.U32(6)); break;

    case META_FILLREGION:
    case META_FRAMEREGION:
    case META_PAINTREGION:
    case META_INVERTREGION: {
        const GdiObject* object = Object(uint16_t(P(r, 0)));
        const GdiRegion* region = object ? std::get_if<GdiRegion>(object) : nullptr;
        if (!region)
            break;
        if (function == META_INVERTREGION) {
            canvas.InvertRegion(region->region, true);
        } else if (function == META_PAINTREGION) {
            canvas.FillRegion(region->region, s.brush, true);
        } else {
            const GdiObject* brushObject = Object(uint16_t(P(r, 1)));
            const GdiBrush* brush = brushObject ? std::get_if<GdiBrush>(brushObject) : nullptr;
            if (brush && function == META_FILLREGION)
                canvas.FillRegion(region->region, *brush, true);
            else if (brush)
                canvas.FrameRegion(region->region, *brush, QPointF(P(r, 3), P(r, 2)), true);
        }
        break;
    }

    case META_TEXTOUT:
    case META_EXTTEXTOUT: DrawText(canvas, function, r); break;

    case META_DIBBITBLT:
    case META_DIBSTRETCHBLT:
    case META_STRETCHDIB:
    case META_SETDIBTODEV: DrawBitmap(canvas, function, r); break;
    default: break; // palettes, escapes and the rest draw nothing
    }
}

void WmfPlayer::DrawText(GdiCanvas& canvas, uint16_t function, const RecordBytes& r)
{
    QPointF reference;
    size_t length = 0, textAt = 0;
    uint32_t options = 0;
    QRectF rect;
    if (function == META_TEXTOUT) {
        length = uint16_t(P(r, 0));
        textAt = 8;
        const size_t after = textAt + ((length + 1) & ~size_t{1});
        reference = QPointF(r.I16(after + 2), r.I16(after));
    } else {
        reference = ReversedPoint(r, 0);
        length = uint16_t(P(r, 2));
        options = uint16_t(P(r, 3));
        textAt = 14;
        if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
            rect = QRectF(QPointF(P(r, 4), P(r, 5)), QPointF(P(r, 6), P(r, 7)));
            textAt = 22;
        }
    }
    if (r.Short() || !r.Has(textAt, length))
        return;
    const QString text = AnsiToString(r.At(textAt, length), length);
    std::vector<double> dx;
    const size_t dxAt = textAt + ((length + 1) & ~size_t{1});
    if (function == META_EXTTEXTOUT && length > 0 && r.Has(dxAt, length * 2))
        for (size_t i = 0; i < length; ++i)
            dx.push_back(r.I16(dxAt + 2 * i));
    canvas.TextOut(reference, text, dx, options, rect.isNull() ? nullptr : &rect);
}

void WmfPlayer::DrawBitmap(GdiCanvas& canvas, uint16_t function, const RecordBytes& r)
{
    const uint32_t rop = r.U32(6);
    QRectF dest, source;
    size_t dibAt = 0;
    bool rowsFromBottom = false; // DIB calls count source rows from the bottom
    // Records of the blits without a bitmap are a fixed size and have a
    // reserved word before the destination.
    const size_t bare = (size_t(function >> 8) + 3) * 2;
    switch (function) {
    case META_STRETCHDIB: // rop, usage, srcH, srcW, ySrc, xSrc, destH, destW, yDst, xDst, DIB
        source = QRectF(P(r, 6), P(r, 5), P(r, 4), P(r, 3));
        dest = QRectF(P(r, 10), P(r, 9), P(r, 8), P(r, 7));
        dibAt = 28;
        rowsFromBottom = true;
        break;
    case META_DIBSTRETCHBLT: // rop, srcH, srcW, ySrc, xSrc, [reserved], destH, destW, yDest, xDest, DIB
        if (r.Size() == bare) {
            canvas.PatBlt(QRectF(P(r, 10), P(r, 9), P(r, 8), P(r, 7)), rop);
            return;
        }
        source = QRectF(P(r, 5), P(r, 4), P(r, 3), P(r, 2));
        dest = QRectF(P(r, 9), P(r, 8), P(r, 7), P(r, 6));
        dibAt = 26;
        break;
    case META_DIBBITBLT: // rop, ySrc, xSrc, [reserved], height, width, yDest, xDest, DIB
        if (r.Size() == bare) {
            canvas.PatBlt(QRectF(P(r, 8), P(r, 7), P(r, 6), P(r, 5)), rop);
            return;
        }
        dest = QRectF(P(r, 7), P(r, 6), P(r, 5), P(r, 4));
        source = QRectF(P(r, 3), P(r, 2), P(r, 5), P(r, 4));
        dibAt = 22;
        break;
    default: { // META_SETDIBTODEV: usage, scans, startScan, yDib, xDib, h, w, yDest, xDest, DIB
        const size_t scans = uint16_t(P(r, 1)), first = uint16_t(P(r, 2));
        dest = QRectF(P(r, 8), P(r, 7), P(r, 6), P(r, 5));
        source = QRectF(P(r, 4), P(r, 3), P(r, 6), P(r, 5));
        DibInfo info;
        if (r.Size() <= 24 || !ReadDibInfo(r.Data() + 24, r.Size() - 24, info) || info.headerSize < 40 ||
            scans == 0 || scans > uint64_t(std::abs(info.height)))
            return;
        // Only the stored scan lines: a header with their count in front.
        std::vector<uint8_t> part(r.Data() + 24, r.Data() + r.Size());
        const int32_t height = info.height < 0 ? -int32_t(scans) : int32_t(scans);
        for (int i = 0; i < 4; ++i)
            part[8 + i] = uint8_t(uint32_t(height) >> (8 * i));
        if (!canvas.ChargeWork(double(info.width) * double(scans)))
            return;
        const QImage image = DecodePackedDib(part.data(), part.size());
        if (info.height > 0)
            source.moveTop(double(first + scans) - source.top() - source.height());
        else
            source.moveTop(source.top() - double(first));
        canvas.DrawImage(dest, image, source, SRCCOPY);
        return;
    }
    }
    DibInfo info;
    if (r.Size() <= dibAt || !ReadDibInfo(r.Data() + dibAt, r.Size() - dibAt, info) ||
        !canvas.ChargeWork(double(info.width) * double(std::abs(info.height))))
        return;
    const QImage image = DecodePackedDib(r.Data() + dibAt, r.Size() - dibAt);
    if (rowsFromBottom && info.height > 0)
        source.moveTop(image.height() - source.top() - source.height());
    canvas.DrawImage(dest, image, source, rop);
}

} // namespace orvane::imaging::metafile
