#pragma once
// Where the magnifier takes its picture from: the screen rectangle around
// the pointer that, enlarged, fills the magnifier image, and the cross-hair
// marking the pointer in it.
#include <QLine>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace orvane::viewer {

struct MagnifierView {
    QRect source;     // on the screen
    QLine horizontal; // cross-hair, in the image; end points excluded
    QLine vertical;
};

// image: the magnifier image's size; zoom: 1 to 10; screen: the primary
// screen's size. The source is 2*nearest(W/k) by 2*nearest(H/k) pixels
// around the pointer (k = 4 * zoom, halves to even), moved back inside the
// screen's right and bottom edges only.
MagnifierView MagnifierFor(const QPoint& pointer, const QSize& image, int zoom, const QSize& screen);

} // namespace orvane::viewer
