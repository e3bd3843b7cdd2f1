#include "viewer/FitGeometry.h"
#include "viewer/ItemDisplay.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane::viewer;

TEST(FitGeometry, ScalesUpOrDownKeepingTheAspectAndCentres)
{
    struct Case { QSize picture; QSize area; QRect expected; };
    const Case cases[] = {
        {{640, 480}, {300, 240}, {0, 7, 300, 225}},     // wider than the area: full width
        {{480, 640}, {300, 240}, {60, 0, 180, 240}},    // taller: full height
        {{100, 80}, {300, 240}, {0, 0, 300, 240}},      // same aspect, scaled up
        {{6000, 4000}, {257, 205}, {0, 17, 257, 171}},
        {{1, 1000}, {300, 240}, {149, 0, 1, 240}},      // never narrower than a pixel
        {{0, 10}, {300, 240}, {}},
        {{10, 10}, {0, 240}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitCentered(c.picture, c.area), c.expected) << c.picture.width() << "x" << c.picture.height();
}

TEST(ItemDisplayTexts, TitleDropsTheRootAndItsSeparator)
{
    EXPECT_EQ(TitleFor("/photos/2005/a.jpg", "/photos"), "2005/a.jpg - Orvane");
    // A path outside the root still loses root length + 1 characters.
    EXPECT_EQ(TitleFor("/elsewhere/x.jpg", "/photos"), "re/x.jpg - Orvane");
    EXPECT_EQ(TitleFor("/p/" + QString(1200, 'n'), "/p"), QString(999, 'n') + " - Orvane");
}

TEST(ItemDisplayTexts, ProgressTextNamesTheStageAndRedraw)
{
    EXPECT_EQ(ProgressText(0, 0, false, "Preparing..."), "Starting percent done: 0 Preparing...");
    EXPECT_EQ(ProgressText(1, 42, true, ""), "Running percent done: 42 (Redrawing) ");
    EXPECT_EQ(ProgressText(2, 100, false, ""), "Ending percent done: 100 ");
}
