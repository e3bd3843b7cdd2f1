// Bitmaps, raster operations, gradients and regions of the metafile canvas.
#include "platform/metafile/GdiCanvas.h"

#include "platform/metafile/GdiGeometry.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>

namespace orvane::imaging::metafile {

namespace {

enum : uint32_t {
    SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
    SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008, NOTSRCERASE = 0x001100A6, MERGEPAINT = 0x00BB0226,
    PATCOPY = 0x00F00021, PATINVERT = 0x005A0049, DSTINVERT = 0x00550009, BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062, DSTCOPY = 0x00AA0029,
};

// How a raster operation with a source combines it with the picture.
QPainter::CompositionMode SourceMode(uint32_t rop)
{
    switch (rop) {
    case SRCPAINT: return QPainter::RasterOp_SourceOrDestination;
    case SRCAND: return QPainter::RasterOp_SourceAndDestination;
    case SRCINVERT: return QPainter::RasterOp_SourceXorDestination;
    case SRCERASE: return QPainter::RasterOp_SourceAndNotDestination;
    case NOTSRCCOPY: return QPainter::RasterOp_NotSource;
    case NOTSRCERASE: return QPainter::RasterOp_NotSourceAndNotDestination;
    case MERGEPAINT: return QPainter::RasterOp_NotSourceOrDestination;
    default: return QPainter::CompositionMode_SourceOver; // SRCCOPY and the rest
    }
}

// Raster operations that do not read a source (the low byte pattern of
// their code leaves the source bits out).
bool UsesSource(uint32_t rop)
{
    const uint32_t index = (rop >> 16) & 0xFF;
    return ((index >> 2) & 0x33) != (index & 0x33);
}

} // namespace

void GdiCanvas::DrawImage(const QRectF& dest, const QImage& image, const QRectF& source, uint32_t rop,
                          double opacity)
{
    if (Exhausted() || image.isNull())
        return;
    if (!UsesSource(rop)) {
        PatBlt(dest, rop);
        return;
    }
    if (source.width() == 0 || source.height() == 0 || dest.width() == 0 || dest.height() == 0)
        return;
    // Source pixels -> logical destination -> picture.
    const double sx = dest.width() / source.width();
    const double sy = dest.height() / source.height();
    const QTransform place = QTransform(sx, 0, 0, sy, dest.x() - source.x() * sx, dest.y() - source.y() * sy) *
                             LogicalToPicture();
    if (!UsableTransform(place))
        return;
    const QRectF shown = source.normalized() & QRectF(image.rect());
    if (shown.isEmpty())
        return;
    const QRectF onPicture = place.mapRect(shown);
    if (!onPicture.intersects(QRectF(target_.rect())) || !Charge(onPicture, 0))
        return;
    UpdateClip();
    painter_.save();
    painter_.setCompositionMode(SourceMode(rop));
    painter_.setOpacity(std::clamp(opacity, 0.0, 1.0));
    painter_.setTransform(place);
    painter_.drawImage(shown, image, shown);
    painter_.restore();
    clipDirty_ = true;
}

void GdiCanvas::PatBlt(const QRectF& dest, uint32_t rop)
{
    if (Exhausted() || rop == DSTCOPY)
        return;
    QPainterPath area;
    if (AxisAligned())
        area.addRect(RoundedDeviceRect(LogicalToDevice().mapRect(dest.normalized())));
    else
        area = MapPath([&] { QPainterPath p; p.addRect(dest.normalized()); return p; }(), LogicalToDevice());
    const QPainterPath picture = MapPath(area, deviceToPicture_);
    if (!Charge(picture.controlPointRect(), 0))
        return;
    UpdateClip();
    painter_.resetTransform();
    painter_.setBackgroundMode(state_.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(state_.bkColor);
    switch (rop) {
    case BLACKNESS:
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter_.fillPath(picture, Qt::black);
        break;
    case WHITENESS:
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter_.fillPath(picture, Qt::white);
        break;
    case DSTINVERT:
        painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter_.fillPath(picture, Qt::black);
        break;
    case PATINVERT:
        if (!state_.brush.IsNull()) {
            painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter_.fillPath(picture, PictureBrush(state_.brush));
        }
        break;
    default: // PATCOPY and the rest paint the brush
        if (!state_.brush.IsNull()) {
            painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter_.fillPath(picture, PictureBrush(state_.brush));
        }
        break;
    }
}

void GdiCanvas::GradientRect(const QRectF& rect, const QColor& from, const QColor& to, bool vertical)
{
    if (Exhausted())
        return;
    const QRectF r = rect.normalized();
    QLinearGradient gradient(r.topLeft(), vertical ? r.bottomLeft() : r.topRight());
    gradient.setColorAt(0, rect.left() <= rect.right() || vertical ? from : to);
    gradient.setColorAt(1, rect.left() <= rect.right() || vertical ? to : from);
    QPainterPath path;
    path.addRect(r);
    const QTransform toPicture = LogicalToPicture();
    const QPainterPath picture = MapPath(path, toPicture);
    if (!Charge(picture.controlPointRect(), 0))
        return;
    UpdateClip();
    painter_.save();
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.setTransform(toPicture);
    painter_.fillRect(r, gradient);
    painter_.restore();
    clipDirty_ = true;
}

void GdiCanvas::FillTriangle(const QPolygonF& triangle, const QColor& color)
{
    QPainterPath path;
    path.addPolygon(triangle);
    path.closeSubpath();
    const QPainterPath device = MapPath(path, LogicalToDevice());
    const GdiBrush saved = state_.brush;
    state_.brush = GdiBrush{BS_SOLID, color, 0, {}};
    Paint(&device, nullptr);
    state_.brush = saved;
}

void GdiCanvas::FillRegion(const QRegion& region, const GdiBrush& brush, bool logical)
{
    FillPictureRegion(PictureRegion(region, logical), brush);
}

void GdiCanvas::FillPictureRegion(const QRegion& picture, const GdiBrush& brush)
{
    if (Exhausted() || brush.IsNull())
        return;
    if (!Charge(picture.boundingRect(), 0) || !ChargeWork(picture.rectCount()))
        return;
    UpdateClip();
    painter_.resetTransform();
    ApplyRop();
    QPainterPath path;
    path.addRegion(picture);
    painter_.fillPath(path, PictureBrush(brush));
}

void GdiCanvas::FrameRegion(const QRegion& region, const GdiBrush& brush, QPointF stroke, bool logical)
{
    const QRegion picture = PictureRegion(region, logical);
    if (picture.rectCount() > 4000)
        return;
    const QTransform scale = logical ? LogicalToPicture() : deviceToPicture_;
    const int w = std::clamp(int(std::lround(std::fabs(stroke.x() * scale.m11()))), 1, 4096);
    const int h = std::clamp(int(std::lround(std::fabs(stroke.y() * scale.m22()))), 1, 4096);
    // The frame is what of the region does not survive a shift by the
    // stroke size in every direction.
    const QRegion inner = picture & picture.translated(w, 0) & picture.translated(-w, 0) &
                          picture.translated(0, h) & picture.translated(0, -h);
    FillPictureRegion(picture - inner, brush);
}

void GdiCanvas::InvertRegion(const QRegion& region, bool logical)
{
    if (Exhausted())
        return;
    const QRegion picture = PictureRegion(region, logical);
    if (!Charge(picture.boundingRect(), 0) || !ChargeWork(picture.rectCount()))
        return;
    UpdateClip();
    painter_.resetTransform();
    painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
    QPainterPath path;
    path.addRegion(picture);
    painter_.fillPath(path, Qt::black);
}

} // namespace orvane::imaging::metafile
