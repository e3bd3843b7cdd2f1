#include "viewer/MagnifierGeometry.h"

#include <cmath>

namespace orvane::viewer {

namespace {

// The closest integer, a half going to the even neighbour.
int Nearest(double value)
{
    return static_cast<int>(std::nearbyint(value)); // the default rounding mode rounds halves to even
}

} // namespace

MagnifierView MagnifierFor(const QPoint& pointer, const QSize& image, int zoom, const QSize& screen)
{
    const int w = image.width();
    const int h = image.height();
    const double k = 4.0 * zoom;
    const int dx = Nearest(w / k);
    const int dy = Nearest(h / k);
    int left = pointer.x() - dx;
    int top = pointer.y() - dy;
    int right = pointer.x() + dx;
    int bottom = pointer.y() + dy;
    if (screen.width() < right) {
        const int excess = right - screen.width();
        left -= excess;
        right -= excess;
    }
    if (screen.height() < bottom) {
        const int excess = bottom - screen.height();
        top -= excess;
        bottom -= excess;
    }
    MagnifierView view;
    view.source = QRect(QPoint(left, top), QSize(right - left, bottom - top));
    const int x = (pointer.x() - left) * 2 * zoom;
    const int y = (pointer.y() - top) * 2 * zoom;
    view.horizontal = QLine(x - w / 4, y, x + w / 4, y);
    view.vertical = QLine(x, y - h / 4, x, y + h / 4);
    return view;
}

} // namespace orvane::viewer
