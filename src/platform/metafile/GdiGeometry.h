#pragma once
// Geometry helpers of the metafile canvas: mapping paths with coordinates
// kept inside what the rasteriser handles, device rectangles, regions.
#include "platform/metafile/GdiObjects.h"

#include <QPainterPath>
#include <QRect>
#include <QRegion>
#include <QTransform>

#include <vector>

namespace orvane::imaging::metafile {

// Coordinates beyond this many pixels are pulled in: far outside any
// picture, and inside the rasteriser's fixed-point range.
constexpr double kCoordinateLimit = 4.0e6;

QPointF ClampPoint(QPointF point);
// The path mapped by the transform, every point clamped.
QPainterPath MapPath(const QPainterPath& path, const QTransform& transform);
// A transform with finite entries that does not collapse the plane.
bool UsableTransform(const QTransform& transform);
// A device rectangle with its edges on whole device pixels.
QRectF RoundedDeviceRect(const QRectF& rect);
// The picture pixels of a device rectangle [left, right) x [top, bottom).
QRegion DeviceRectRegion(const QRectF& deviceRect, const QTransform& deviceToPicture);
// The box shrunk by half the pen's width for inside-frame pens.
QRectF InsideFrame(const QRectF& box, const GdiPen& pen);
// The angle (degrees, counterclockwise with y down) of the point where the
// ray from the ellipse's centre through the point meets the ellipse, in the
// ellipse's own parameter, as arc drawing takes it.
double AngleOnEllipse(const QRectF& ellipse, QPointF point);
// A region of rectangles: fast when they are in the usual banded order,
// else joined one by one up to a bound.
QRegion RegionFromRects(const std::vector<QRect>& rects);
// The region's rectangles mapped one by one (their bounding boxes where the
// transform turns them), joined again.
QRegion MapRegion(const QRegion& region, const QTransform& transform);

} // namespace orvane::imaging::metafile
