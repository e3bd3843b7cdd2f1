#pragma once
// Where a picture goes in the viewing area: scaled up or down to the largest
// size that fits with its aspect kept, centred.
#include <QRect>
#include <QSize>

namespace orvane::viewer {

QRect FitCentered(const QSize& picture, const QSize& area);

} // namespace orvane::viewer
