#pragma once
// Where a picture goes in the viewing area: scaled up or down to the largest
// size that fits with its aspect kept, centred.
#include <QRect>
#include <QSize>

namespace orvane::viewer {

QRect FitCentered(const QSize& picture, const QSize& area);
// A size in an area's own pixels as the screen's pixels at this ratio
// (scale factor), at least one pixel each way.
QSize DevicePixels(const QSize& size, qreal devicePixelRatio);

} // namespace orvane::viewer
