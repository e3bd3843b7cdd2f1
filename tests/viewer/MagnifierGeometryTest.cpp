#include "viewer/MagnifierGeometry.h"

#include <gtest/gtest.h>

using orvane::viewer::MagnifierFor;

TEST(MagnifierGeometry, SourceIsAroundThePointerWithHalvesRoundedToEven)
{
    struct Case { QPoint pointer; QSize image; int zoom; QRect source; };
    const QSize screen(1920, 1080);
    const Case cases[] = {
        {{500, 400}, {250, 200}, 1, QRect(438, 350, 124, 100)},  // nearest(62.5) = 62, nearest(50) = 50
        {{500, 400}, {250, 200}, 10, QRect(494, 395, 12, 10)},   // nearest(6.25) = 6, nearest(5) = 5
        {{500, 400}, {300, 240}, 3, QRect(475, 380, 50, 40)},    // nearest(25) = 25, nearest(20) = 20
        {{1915, 1075}, {250, 200}, 1, QRect(1796, 980, 124, 100)}, // moved back inside the right and bottom
        {{5, 3}, {250, 200}, 1, QRect(-57, -47, 124, 100)},       // left and top are not clamped
    };
    for (const auto& c : cases)
        EXPECT_EQ(MagnifierFor(c.pointer, c.image, c.zoom, screen).source, c.source)
            << c.pointer.x() << "," << c.pointer.y() << " zoom " << c.zoom;
}

TEST(MagnifierGeometry, CrossHairStaysOnThePointerNearTheEdges)
{
    const auto centred = MagnifierFor({500, 400}, {250, 200}, 1, {1920, 1080});
    EXPECT_EQ(centred.horizontal, QLine(124 - 62, 100, 124 + 62, 100));
    EXPECT_EQ(centred.vertical, QLine(124, 100 - 50, 124, 100 + 50));
    // At the right edge the area stops and the cross-hair moves right.
    const auto edge = MagnifierFor({1915, 600}, {250, 200}, 1, {1920, 1080});
    EXPECT_EQ(edge.horizontal.y1(), 100);
    EXPECT_EQ(edge.vertical.x1(), (1915 - 1796) * 2);
}
