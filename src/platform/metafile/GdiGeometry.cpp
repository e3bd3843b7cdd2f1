#include "platform/metafile/GdiGeometry.h"

#include <algorithm>
#include <cmath>

namespace orvane::imaging::metafile {

namespace {

double ClampCoordinate(double v)
{
    if (!std::isfinite(v))
        return v > 0 ? kCoordinateLimit : -kCoordinateLimit; // NaN goes left/up too
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

// Rectangles joined one at a time cost time in their number squared.
constexpr size_t kMaxJoinedRects = 4000;

bool Banded(const std::vector<QRect>& rects)
{
    for (size_t i = 0; i < rects.size(); ++i) {
        const QRect& r = rects[i];
        if (r.isEmpty())
            return false;
        if (i == 0)
            continue;
        const QRect& p = rects[i - 1];
        const bool sameBand = r.top() == p.top() && r.bottom() == p.bottom();
        if (sameBand ? r.left() <= p.right() + 1 : r.top() <= p.bottom())
            return false;
    }
    return true;
}

} // namespace

QPointF ClampPoint(QPointF point)
{
    return QPointF(ClampCoordinate(point.x()), ClampCoordinate(point.y()));
}

QPainterPath MapPath(const QPainterPath& path, const QTransform& transform)
{
    QPainterPath mapped = transform.map(path);
    for (int i = 0; i < mapped.elementCount(); ++i) {
        const QPainterPath::Element e = mapped.elementAt(i);
        const QPointF p = ClampPoint(QPointF(e.x, e.y));
        if (p.x() != e.x || p.y() != e.y)
            mapped.setElementPositionAt(i, p.x(), p.y());
    }
    return mapped;
}

bool UsableTransform(const QTransform& t)
{
    const double entries[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    for (double v : entries)
        if (!std::isfinite(v) || std::fabs(v) > 1e12)
            return false;
    const double det = t.determinant();
    return std::isfinite(det) && std::fabs(det) > 1e-18;
}

QRectF RoundedDeviceRect(const QRectF& rect)
{
    const QPointF a = ClampPoint(rect.topLeft());
    const QPointF b = ClampPoint(rect.bottomRight());
    return QRectF(QPointF(std::round(a.x()), std::round(a.y())), QPointF(std::round(b.x()), std::round(b.y())));
}

QRegion DeviceRectRegion(const QRectF& deviceRect, const QTransform& deviceToPicture)
{
    const QRectF picture = deviceToPicture.mapRect(RoundedDeviceRect(deviceRect));
    const QPointF a = ClampPoint(picture.topLeft());
    const QPointF b = ClampPoint(picture.bottomRight());
    const int left = int(std::lround(a.x())), top = int(std::lround(a.y()));
    const int right = int(std::lround(b.x())), bottom = int(std::lround(b.y()));
    if (right <= left || bottom <= top)
        return QRegion();
    return QRegion(left, top, right - left, bottom - top);
}

QRectF InsideFrame(const QRectF& box, const GdiPen& pen)
{
    if ((pen.style & PS_STYLE_MASK) != PS_INSIDEFRAME || pen.width <= 1)
        return box;
    const double half = std::min({pen.width / 2, box.width() / 2, box.height() / 2});
    return box.adjusted(half, half, -half, -half);
}

double AngleOnEllipse(const QRectF& ellipse, QPointF point)
{
    const QPointF c = ellipse.center();
    const double rx = ellipse.width() / 2, ry = ellipse.height() / 2;
    if (rx <= 0 || ry <= 0)
        return 0;
    const double dx = (point.x() - c.x()) / rx;
    const double dy = (point.y() - c.y()) / ry;
    if (dx == 0 && dy == 0)
        return 0;
    return std::atan2(-dy, dx) * 180.0 / M_PI;
}

QRegion RegionFromRects(const std::vector<QRect>& rects)
{
    QRegion region;
    if (rects.empty())
        return region;
    if (Banded(rects)) {
        region.setRects(rects.data(), static_cast<int>(std::min<size_t>(rects.size(), 1u << 24)));
        return region;
    }
    const size_t count = std::min(rects.size(), kMaxJoinedRects);
    for (size_t i = 0; i < count; ++i)
        region |= rects[i];
    return region;
}

QRegion MapRegion(const QRegion& region, const QTransform& transform)
{
    std::vector<QRect> rects;
    rects.reserve(size_t(region.rectCount()));
    for (const QRect& r : region) {
        const QRectF mapped = transform.mapRect(QRectF(r));
        const QPointF a = ClampPoint(mapped.topLeft()), b = ClampPoint(mapped.bottomRight());
        const int left = int(std::lround(a.x())), top = int(std::lround(a.y()));
        const int right = int(std::lround(b.x())), bottom = int(std::lround(b.y()));
        if (right > left && bottom > top)
            rects.emplace_back(left, top, right - left, bottom - top);
    }
    // A mirroring transform reverses the bands; put them back in order.
    std::sort(rects.begin(), rects.end(), [](const QRect& p, const QRect& q) {
        return p.top() != q.top() ? p.top() < q.top() : p.left() < q.left();
    });
    return RegionFromRects(rects);
}

} // namespace orvane::imaging::metafile
