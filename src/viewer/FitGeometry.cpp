#include "viewer/FitGeometry.h"

#include <algorithm>

namespace orvane::viewer {

QRect FitCentered(const QSize& picture, const QSize& area)
{
    if (picture.width() <= 0 || picture.height() <= 0 || area.width() <= 0 || area.height() <= 0)
        return {};
    // Compare aspect ratios in 64-bit integers: no rounding decides the side.
    const long long pw = picture.width(), ph = picture.height();
    const long long aw = area.width(), ah = area.height();
    long long w, h;
    if (pw * ah >= ph * aw) { // limited by the width
        w = aw;
        h = (ph * aw + pw / 2) / pw;
    } else {
        h = ah;
        w = (pw * ah + ph / 2) / ph;
    }
    if (w < 1)
        w = 1;
    if (h < 1)
        h = 1;
    return QRect(static_cast<int>((aw - w) / 2), static_cast<int>((ah - h) / 2), static_cast<int>(w),
                 static_cast<int>(h));
}

} // namespace orvane::viewer

namespace orvane::viewer {

QSize DevicePixels(const QSize& size, qreal devicePixelRatio)
{
    return QSize(std::max(1, qRound(size.width() * devicePixelRatio)),
                 std::max(1, qRound(size.height() * devicePixelRatio)));
}

} // namespace orvane::viewer
