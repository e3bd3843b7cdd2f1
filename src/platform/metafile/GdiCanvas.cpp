#include "platform/metafile/GdiCanvas.h"

#include "platform/metafile/GdiGeometry.h"

#include <algorithm>
#include <cmath>

namespace orvane::imaging::metafile {

namespace {

// Deepest SaveDC nesting we keep; further saves are dropped (GDI fails them).
constexpr size_t kMaxSavedStates = 1024;

// Drawing work allowed per picture, in pixels touched: generous for real
// pictures, bounded for hostile ones that fill the picture over and over.
double WorkBudget(const QImage& target)
{
    const double area = double(target.width()) * double(target.height());
    return std::clamp(area * 256.0, double(1 << 26), 4294967296.0);
}

enum : int {
    R2_BLACK = 1, R2_NOTMERGEPEN, R2_MASKNOTPEN, R2_NOTCOPYPEN, R2_MASKPENNOT, R2_NOT, R2_XORPEN, R2_NOTMASKPEN,
    R2_MASKPEN, R2_NOTXORPEN, R2_NOP, R2_MERGENOTPEN, R2_COPYPEN, R2_MERGEPENNOT, R2_MERGEPEN, R2_WHITE,
};

QPainter::CompositionMode Rop2Mode(int rop2)
{
    switch (rop2) {
    case R2_BLACK: return QPainter::RasterOp_ClearDestination;
    case R2_NOTMERGEPEN: return QPainter::RasterOp_NotSourceAndNotDestination;
    case R2_MASKNOTPEN: return QPainter::RasterOp_NotSourceAndDestination;
    case R2_NOTCOPYPEN: return QPainter::RasterOp_NotSource;
    case R2_MASKPENNOT: return QPainter::RasterOp_SourceAndNotDestination;
    case R2_NOT: return QPainter::RasterOp_NotDestination;
    case R2_XORPEN: return QPainter::RasterOp_SourceXorDestination;
    case R2_NOTMASKPEN: return QPainter::RasterOp_NotSourceOrNotDestination;
    case R2_MASKPEN: return QPainter::RasterOp_SourceAndDestination;
    case R2_NOTXORPEN: return QPainter::RasterOp_NotSourceXorDestination;
    case R2_MERGENOTPEN: return QPainter::RasterOp_NotSourceOrDestination;
    case R2_MERGEPENNOT: return QPainter::RasterOp_SourceOrNotDestination;
    case R2_MERGEPEN: return QPainter::RasterOp_SourceOrDestination;
    case R2_WHITE: return QPainter::RasterOp_SetDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

// Logical units per millimetre of the fixed mapping modes.
double UnitsPerMm(int mode)
{
    switch (mode) {
    case MM_LOMETRIC: return 10.0;
    case MM_HIMETRIC: return 100.0;
    case MM_LOENGLISH: return 100.0 / 25.4;
    case MM_HIENGLISH: return 1000.0 / 25.4;
    case MM_TWIPS: return 1440.0 / 25.4;
    default: return 1.0;
    }
}

} // namespace

GdiCanvas::GdiCanvas(QImage& target, const QTransform& deviceToPicture, DeviceResolution resolution,
                     bool fixedViewport)
    : target_(target), painter_(&target), deviceToPicture_(deviceToPicture), resolution_(resolution),
      fixedViewport_(fixedViewport), budget_(WorkBudget(target))
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    if (fixedViewport_) {
        state_.mapMode = MM_ANISOTROPIC;
        state_.viewportExt = QPointF(target.width(), target.height());
    }
}

GdiCanvas::~GdiCanvas()
{
    painter_.end();
}

// ---- Mapping ---------------------------------------------------------------

QTransform GdiCanvas::LogicalToDevice() const
{
    const DcState& s = state_;
    double sx = 1, sy = 1;
    switch (s.mapMode) {
    case MM_TEXT: break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC: {
        sx = s.windowExt.x() != 0 ? s.viewportExt.x() / s.windowExt.x() : 1.0;
        sy = s.windowExt.y() != 0 ? s.viewportExt.y() / s.windowExt.y() : 1.0;
        if (s.mapMode == MM_ISOTROPIC) {
            const double m = std::min(std::fabs(sx), std::fabs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    }
    default: // metric and English modes: y grows upwards
        sx = resolution_.pixelsPerMmX / UnitsPerMm(s.mapMode);
        sy = -resolution_.pixelsPerMmY / UnitsPerMm(s.mapMode);
        break;
    }
    const QTransform page(sx, 0, 0, sy, s.viewportOrg.x() - s.windowOrg.x() * sx,
                          s.viewportOrg.y() - s.windowOrg.y() * sy);
    return s.world * page;
}

double GdiCanvas::PictureScale() const
{
    return std::sqrt(std::fabs(LogicalToPicture().determinant()));
}

bool GdiCanvas::AxisAligned() const
{
    const QTransform t = LogicalToDevice();
    return t.m12() == 0 && t.m21() == 0;
}

void GdiCanvas::SetMapMode(int mode)
{
    if (fixedViewport_ || mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return;
    state_.mapMode = mode;
}

void GdiCanvas::SetWindowOrg(QPointF origin)
{
    state_.windowOrg = origin;
}

void GdiCanvas::SetWindowExt(QPointF extent)
{
    // Extents count only in the two free modes, and never zero.
    if (extent.x() == 0 || extent.y() == 0)
        return;
    if (fixedViewport_ || state_.mapMode == MM_ISOTROPIC || state_.mapMode == MM_ANISOTROPIC)
        state_.windowExt = extent;
}

void GdiCanvas::SetViewportOrg(QPointF origin)
{
    if (!fixedViewport_)
        state_.viewportOrg = origin;
}

void GdiCanvas::SetViewportExt(QPointF extent)
{
    if (fixedViewport_ || extent.x() == 0 || extent.y() == 0)
        return;
    if (state_.mapMode == MM_ISOTROPIC || state_.mapMode == MM_ANISOTROPIC)
        state_.viewportExt = extent;
}

void GdiCanvas::OffsetWindowOrg(QPointF delta)
{
    state_.windowOrg += delta;
}

void GdiCanvas::OffsetViewportOrg(QPointF delta)
{
    if (!fixedViewport_)
        state_.viewportOrg += delta;
}

void GdiCanvas::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom == 0 || yDenom == 0)
        return;
    SetWindowExt(QPointF(state_.windowExt.x() * xNum / xDenom, state_.windowExt.y() * yNum / yDenom));
}

void GdiCanvas::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom == 0 || yDenom == 0)
        return;
    SetViewportExt(QPointF(state_.viewportExt.x() * xNum / xDenom, state_.viewportExt.y() * yNum / yDenom));
}

void GdiCanvas::SetWorldTransform(const QTransform& transform)
{
    if (UsableTransform(transform))
        state_.world = transform;
}

void GdiCanvas::ModifyWorldTransform(const QTransform& transform, uint32_t mode)
{
    enum : uint32_t { MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3, MWT_SET = 4 };
    QTransform result;
    switch (mode) {
    case MWT_IDENTITY: break;
    case MWT_LEFTMULTIPLY: result = transform * state_.world; break;
    case MWT_RIGHTMULTIPLY: result = state_.world * transform; break;
    case MWT_SET: result = transform; break;
    default: return;
    }
    SetWorldTransform(result);
}

// ---- Objects -----------------------------------------------------------------

void GdiCanvas::SelectObject(const GdiObject& object)
{
    if (auto pen = std::get_if<GdiPen>(&object))
        state_.pen = *pen;
    else if (auto brush = std::get_if<GdiBrush>(&object))
        state_.brush = *brush;
    else if (auto font = std::get_if<GdiFont>(&object))
        state_.font = *font;
    else if (auto region = std::get_if<GdiRegion>(&object))
        SelectLogicalClipRegion(region->region);
}

// ---- Saved states ------------------------------------------------------------

void GdiCanvas::SaveDC()
{
    if (saved_.size() < kMaxSavedStates)
        saved_.push_back(state_);
}

void GdiCanvas::RestoreDC(int level)
{
    const int64_t count = static_cast<int64_t>(saved_.size());
    const int64_t index = level < 0 ? count + level : int64_t{level} - 1;
    if (index < 0 || index >= count)
        return;
    state_ = saved_[static_cast<size_t>(index)];
    saved_.resize(static_cast<size_t>(index));
    clipDirty_ = true;
}

// ---- Clipping ----------------------------------------------------------------

void GdiCanvas::UpdateClip()
{
    if (!clipDirty_)
        return;
    painter_.resetTransform();
    if (state_.clip)
        painter_.setClipRegion(*state_.clip);
    else
        painter_.setClipping(false);
    clipDirty_ = false;
}

QRegion GdiCanvas::PictureRegion(const QRegion& region, bool logical) const
{
    return MapRegion(region, logical ? LogicalToPicture() : deviceToPicture_);
}

void GdiCanvas::IntersectClipRect(const QRectF& rect)
{
    const QRegion box = DeviceRectRegion(LogicalToDevice().mapRect(rect.normalized()), deviceToPicture_);
    state_.clip = state_.clip ? *state_.clip & box : box;
    clipDirty_ = true;
}

void GdiCanvas::ExcludeClipRect(const QRectF& rect)
{
    const QRegion box = DeviceRectRegion(LogicalToDevice().mapRect(rect.normalized()), deviceToPicture_);
    state_.clip = (state_.clip ? *state_.clip : QRegion(target_.rect())) - box;
    clipDirty_ = true;
}

void GdiCanvas::OffsetClip(QPointF logicalDelta)
{
    if (!state_.clip)
        return;
    const QTransform t = LogicalToPicture();
    const QPointF d = t.map(logicalDelta) - t.map(QPointF(0, 0));
    if (!std::isfinite(d.x()) || !std::isfinite(d.y()) || std::fabs(d.x()) > 1e6 || std::fabs(d.y()) > 1e6)
        return;
    state_.clip->translate(qRound(d.x()), qRound(d.y()));
    clipDirty_ = true;
}

void GdiCanvas::SelectClipRegion(const std::optional<QRegion>& deviceRegion, int mode)
{
    if (!deviceRegion) {
        if (mode == RGN_COPY) {
            state_.clip.reset();
            clipDirty_ = true;
        }
        return;
    }
    CombineClip(PictureRegion(*deviceRegion, false), mode);
}

void GdiCanvas::CombineClip(const QRegion& region, int mode)
{
    const QRegion whole(target_.rect());
    switch (mode) {
    case RGN_AND: state_.clip = state_.clip ? *state_.clip & region : region; break;
    case RGN_OR:
        if (state_.clip)
            state_.clip = *state_.clip | region;
        break;
    case RGN_XOR: state_.clip = (state_.clip ? *state_.clip : whole) ^ region; break;
    case RGN_DIFF: state_.clip = (state_.clip ? *state_.clip : whole) - region; break;
    case RGN_COPY: state_.clip = region; break;
    default: return;
    }
    clipDirty_ = true;
}

void GdiCanvas::SelectLogicalClipRegion(const std::optional<QRegion>& logicalRegion)
{
    if (logicalRegion)
        state_.clip = PictureRegion(*logicalRegion, true);
    else
        state_.clip.reset();
    clipDirty_ = true;
}

// ---- Painting ----------------------------------------------------------------

bool GdiCanvas::ChargeWork(double amount)
{
    spent_ += std::max(amount, 1.0);
    return !Exhausted();
}

bool GdiCanvas::Charge(const QRectF& bounds, double margin)
{
    const QRectF visible = bounds.adjusted(-margin, -margin, margin + 1, margin + 1) &
                           QRectF(target_.rect());
    return ChargeWork(visible.isEmpty() ? 1 : visible.width() * visible.height());
}

bool GdiCanvas::ChargeStroke(const QPainterPath& path, double width)
{
    // Each segment costs at most the visible part of the picture it
    // crosses, times the pen's width.
    const QRectF visible = path.controlPointRect().adjusted(-width, -width, width + 1, width + 1) &
                           QRectF(target_.rect());
    if (visible.isEmpty())
        return ChargeWork(path.elementCount());
    const double perSegment = std::hypot(visible.width(), visible.height());
    const double length = std::min(path.length(), perSegment * std::max(1, path.elementCount()));
    return ChargeWork(length * width + path.elementCount());
}

void GdiCanvas::ApplyRop()
{
    painter_.setCompositionMode(Rop2Mode(state_.rop2));
    painter_.setBackgroundMode(state_.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(state_.bkColor);
}

QBrush GdiCanvas::PictureBrush(const GdiBrush& brush) const
{
    switch (brush.style) {
    case BS_HATCHED: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                 Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(brush.color, brush.hatch < 6 ? hatches[brush.hatch] : Qt::SolidPattern);
    }
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT:
        if (!brush.pattern.isNull())
            return QBrush(brush.pattern);
        return QBrush(brush.color);
    default: return QBrush(brush.color);
    }
}

QPen GdiCanvas::PicturePen(const GdiPen& pen, bool& cosmetic) const
{
    const double width = pen.width * PictureScale();
    cosmetic = !(width >= 1.5) || !std::isfinite(width);
    QPen result(pen.color);
    const uint32_t type = pen.style & PS_STYLE_MASK;
    if (cosmetic) {
        result.setWidth(0);
        result.setCapStyle(Qt::FlatCap);
    } else {
        result.setWidthF(std::min(width, 32767.0)); // the widest pen Qt takes
        switch (pen.style & PS_ENDCAP_MASK) {
        case PS_ENDCAP_SQUARE: result.setCapStyle(Qt::SquareCap); break;
        case PS_ENDCAP_FLAT: result.setCapStyle(Qt::FlatCap); break;
        default: result.setCapStyle(Qt::RoundCap); break;
        }
        switch (pen.style & PS_JOIN_MASK) {
        case PS_JOIN_BEVEL: result.setJoinStyle(Qt::BevelJoin); break;
        case PS_JOIN_MITER: result.setJoinStyle(Qt::MiterJoin); break;
        default: result.setJoinStyle(Qt::RoundJoin); break;
        }
    }
    // Dash lengths in pen widths: one-pixel pens use the screen's dot
    // lengths, wide pens proportions of their width.
    QList<qreal> dashes;
    switch (type) {
    case PS_DASH: dashes = cosmetic ? QList<qreal>{18, 6} : QList<qreal>{3, 1}; break;
    case PS_DOT: dashes = cosmetic ? QList<qreal>{3, 3} : QList<qreal>{1, 1}; break;
    case PS_DASHDOT: dashes = cosmetic ? QList<qreal>{9, 6, 3, 6} : QList<qreal>{3, 1, 1, 1}; break;
    case PS_DASHDOTDOT: dashes = cosmetic ? QList<qreal>{9, 3, 3, 3, 3, 3} : QList<qreal>{3, 1, 1, 1, 1, 1}; break;
    case PS_ALTERNATE: dashes = {1, 1}; break;
    case PS_USERSTYLE: {
        const double unit = pen.width > 0 ? pen.width : 1.0;
        for (double entry : pen.userDashes)
            dashes.push_back(std::clamp(entry / unit, 0.01, 1e4));
        if (dashes.size() % 2)
            dashes.append(QList<qreal>(dashes));
        break;
    }
    default: break;
    }
    if (!dashes.isEmpty())
        result.setDashPattern(dashes);
    return result;
}

void GdiCanvas::Paint(const QPainterPath* fill, const QPainterPath* stroke)
{
    if (Exhausted() || state_.rop2 == 11 /* R2_NOP */)
        return;
    UpdateClip();
    painter_.resetTransform();
    ApplyRop();
    if (fill && !state_.brush.IsNull()) {
        QPainterPath path = MapPath(*fill, deviceToPicture_);
        path.setFillRule(state_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        if (Charge(path.controlPointRect(), 0) && ChargeWork(path.elementCount()))
            painter_.fillPath(path, PictureBrush(state_.brush));
    }
    const GdiPen& pen = state_.pen;
    if (stroke && !pen.IsNull()) {
        bool cosmetic = true;
        QPen qpen = PicturePen(pen, cosmetic);
        // One-pixel lines are drawn on the pixels their integer coordinates
        // name; wide lines are centred on the middle of those pixels.
        const QTransform t = cosmetic ? deviceToPicture_ * QTransform::fromTranslate(1.0 / 32, 1.0 / 32)
                                      : QTransform::fromTranslate(0.5, 0.5) * deviceToPicture_;
        const QPainterPath path = MapPath(*stroke, t);
        const double width = std::max(qpen.widthF(), 1.0);
        if (qpen.style() != Qt::SolidLine) {
            // Dashes too fine for the path's length are drawn as a line.
            double pattern = 0;
            for (qreal d : qpen.dashPattern())
                pattern += d;
            if (!(path.length() / (pattern * width) < 1e5))
                qpen.setStyle(Qt::SolidLine);
        }
        if (ChargeStroke(path, width))
            painter_.strokePath(path, qpen);
    }
}

void GdiCanvas::PaintLogical(const QPainterPath& path, bool fill, bool stroke)
{
    const QPainterPath device = MapPath(path, LogicalToDevice());
    Paint(fill ? &device : nullptr, stroke ? &device : nullptr);
}

void GdiCanvas::AddToPath(const QPainterPath& logicalPath, bool connect)
{
    const QPainterPath device = MapPath(logicalPath, LogicalToDevice());
    if (connect && path_.elementCount() > 0)
        path_.connectPath(device);
    else
        path_.addPath(device);
}

void GdiCanvas::Figure(const QPainterPath& logicalPath, bool connect, bool fill)
{
    if (inPath_)
        AddToPath(logicalPath, connect);
    else
        PaintLogical(logicalPath, fill, true);
}

// ---- Lines and shapes --------------------------------------------------------

void GdiCanvas::MoveTo(QPointF point)
{
    state_.current = point;
    if (inPath_)
        path_.moveTo(ClampPoint(ToDevice(point)));
}

void GdiCanvas::LineTo(QPointF point)
{
    PolylineTo(QPolygonF{point});
}

void GdiCanvas::Polyline(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    Figure(path, false, false);
}

void GdiCanvas::PolylineTo(const QPolygonF& points)
{
    if (points.isEmpty())
        return;
    QPainterPath path(state_.current);
    for (const QPointF& p : points)
        path.lineTo(p);
    state_.current = points.back();
    Figure(path, true, false);
}

void GdiCanvas::PolyPolyline(const std::vector<QPolygonF>& polylines)
{
    QPainterPath path;
    for (const QPolygonF& line : polylines)
        if (line.size() >= 2)
            path.addPolygon(line);
    Figure(path, false, false);
}

void GdiCanvas::Polygon(const QPolygonF& points)
{
    PolyPolygon({points});
}

void GdiCanvas::PolyPolygon(const std::vector<QPolygonF>& polygons)
{
    QPainterPath path;
    for (const QPolygonF& polygon : polygons) {
        if (polygon.size() < 2)
            continue;
        path.addPolygon(polygon);
        path.closeSubpath();
    }
    Figure(path, false, true);
}

void GdiCanvas::PolyBezier(const QPolygonF& points)
{
    if (points.size() < 4)
        return;
    QPainterPath path(points[0]);
    for (qsizetype i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    Figure(path, false, false);
}

void GdiCanvas::PolyBezierTo(const QPolygonF& points)
{
    if (points.size() < 3)
        return;
    QPainterPath path(state_.current);
    qsizetype i = 0;
    for (; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    state_.current = points[i - 1];
    Figure(path, true, false);
}

void GdiCanvas::PolyDraw(const QPolygonF& points, const uint8_t* types)
{
    enum : uint8_t { PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6 };
    QPainterPath path(state_.current);
    QPointF start = state_.current;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const uint8_t type = types[i] & ~PT_CLOSEFIGURE;
        if (type == PT_MOVETO) {
            path.moveTo(points[i]);
            start = points[i];
        } else if (type == PT_LINETO) {
            path.lineTo(points[i]);
        } else if (type == PT_BEZIERTO && i + 2 < points.size()) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else {
            break; // an ill-formed sequence ends the figure
        }
        if (types[i] & PT_CLOSEFIGURE) {
            path.closeSubpath();
            path.moveTo(start);
        }
        state_.current = points[i];
    }
    Figure(path, true, false);
}

void GdiCanvas::Rectangle(const QRectF& box)
{
    RoundRect(box, QPointF(0, 0));
}

void GdiCanvas::RoundRect(const QRectF& box, QPointF corner)
{
    QRectF r = InsideFrame(box.normalized(), state_.pen);
    const double rx = std::fabs(corner.x()) / 2, ry = std::fabs(corner.y()) / 2;
    if (inPath_ || !AxisAligned()) {
        QPainterPath path;
        path.addRoundedRect(r, rx, ry);
        Figure(path, false, true);
        return;
    }
    // On the device: the fill covers [left, right); with an outline the
    // outline runs along the last pixels inside, without one the shape
    // is one pixel smaller.
    const QTransform toDevice = LogicalToDevice();
    const QRectF d = RoundedDeviceRect(toDevice.mapRect(r));
    const QPointF c = QPointF(rx * std::fabs(toDevice.m11()), ry * std::fabs(toDevice.m22()));
    const QRectF inner = d.adjusted(0, 0, -1, -1);
    QPainterPath fill, outline;
    fill.addRoundedRect(state_.pen.IsNull() ? inner : d, c.x(), c.y());
    outline.addRoundedRect(inner, c.x(), c.y());
    Paint(&fill, &outline);
}

void GdiCanvas::Ellipse(const QRectF& box)
{
    const QRectF r = InsideFrame(box.normalized(), state_.pen);
    if (inPath_ || !AxisAligned()) {
        QPainterPath path;
        path.addEllipse(r);
        Figure(path, false, true);
        return;
    }
    const QRectF d = RoundedDeviceRect(LogicalToDevice().mapRect(r));
    const QRectF inner = d.adjusted(0, 0, -1, -1);
    QPainterPath fill, outline;
    fill.addEllipse(state_.pen.IsNull() ? inner : d);
    outline.addEllipse(inner);
    Paint(&fill, &outline);
}

void GdiCanvas::Arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end)
{
    const QRectF r = InsideFrame(box.normalized(), state_.pen);
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const QPointF c = r.center();
    const double a0 = AngleOnEllipse(r, start);
    const double a1 = AngleOnEllipse(r, end);
    double sweep = a1 - a0;
    // Counterclockwise as seen with y growing downwards, like the device.
    if (state_.arcDirection == AD_CLOCKWISE) {
        while (sweep >= 0)
            sweep -= 360;
    } else {
        while (sweep <= 0)
            sweep += 360;
    }
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(c);
        path.arcTo(r, a0, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(r, a0);
        if (kind == ArcKind::ArcTo) {
            QPainterPath lead(state_.current);
            lead.lineTo(path.currentPosition());
            path = lead;
        }
        path.arcTo(r, a0, sweep);
        if (kind == ArcKind::Chord)
            path.closeSubpath();
    }
    if (kind == ArcKind::ArcTo)
        state_.current = path.currentPosition();
    const bool closed = kind == ArcKind::Chord || kind == ArcKind::Pie;
    Figure(path, kind == ArcKind::ArcTo, closed);
}

void GdiCanvas::AngleArc(QPointF center, double radius, double startDegrees, double sweepDegrees)
{
    if (!std::isfinite(startDegrees) || !std::isfinite(sweepDegrees) || !std::isfinite(radius))
        return;
    sweepDegrees = std::clamp(sweepDegrees, -3600.0, 3600.0);
    const QRectF r(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path(state_.current);
    QPainterPath arcStart;
    arcStart.arcMoveTo(r, startDegrees);
    path.lineTo(arcStart.currentPosition());
    path.arcTo(r, startDegrees, sweepDegrees);
    state_.current = path.currentPosition();
    Figure(path, true, false);
}

void GdiCanvas::SetPixel(QPointF point, const QColor& color)
{
    if (Exhausted())
        return;
    const QPointF d = ToDevice(point);
    const QRectF pixel = deviceToPicture_.mapRect(QRectF(std::floor(d.x()), std::floor(d.y()), 1, 1));
    if (!Charge(pixel, 0))
        return;
    UpdateClip();
    painter_.resetTransform();
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.fillRect(pixel, color);
}

} // namespace orvane::imaging::metafile
