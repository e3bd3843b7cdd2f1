#include "MainWindowFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPixmap>
#include <QSlider>

using namespace orvane;
using orvane::test::MainWindowTest;

TEST_F(MainWindowTest, ThePointerOutsideTheWindowShowsTheEnlargedScreenAroundIt)
{
    form->SetLeftWidth(250); // a 250 x 200 viewing area
    const QPoint outside = form->frameGeometry().bottomRight() + QPoint(300, 50);
    fakes->screen->size = QSize(4000, 3000);
    fakes->screen->pointer = outside;
    form->magnifierTick();
    EXPECT_TRUE(Find<QWidget>("pnIm")->isHidden());
    EXPECT_FALSE(Find<QLabel>("i1")->isHidden());
    EXPECT_EQ(fakes->screen->lastGrab, QRect(outside - QPoint(62, 50), QSize(124, 100)));
    const QImage shown = Find<QLabel>("i1")->pixmap().toImage();
    ASSERT_EQ(shown.size(), QSize(250, 200));
    // Enlarging repeats pixels: the top-left 2 x 2 block is the grab's first pixel.
    const QRgb first = qRgb((outside.x() - 62) & 0xFF, (outside.y() - 50) & 0xFF, 100);
    EXPECT_EQ(shown.pixel(0, 0), first);
    EXPECT_EQ(shown.pixel(1, 1), first);

    // Back over the window (its frame included): the viewing area returns.
    fakes->screen->pointer = form->frameGeometry().topLeft();
    form->magnifierTick();
    EXPECT_FALSE(Find<QWidget>("pnIm")->isHidden());
    EXPECT_TRUE(Find<QLabel>("i1")->isHidden());
}

TEST_F(MainWindowTest, TheCrossHairIsDrawnOnlyWhenShowCursorIsTicked)
{
    form->SetLeftWidth(250);
    fakes->screen->size = QSize(4000, 3000);
    fakes->screen->pointer = form->frameGeometry().bottomRight() + QPoint(300, 50);
    form->magnifierTick();
    EXPECT_NE(Find<QLabel>("i1")->pixmap().toImage().pixel(124 - 30, 100), qRgb(0, 0, 0));
    Find<QCheckBox>("cb1")->setChecked(true);
    form->magnifierTick();
    const QImage shown = Find<QLabel>("i1")->pixmap().toImage();
    EXPECT_EQ(shown.pixel(124 - 30, 100), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(124, 100 + 40), qRgb(0, 0, 0));
    EXPECT_NE(shown.pixel(124 + 62, 100), qRgb(0, 0, 0)); // the end point is left out
}

TEST_F(MainWindowTest, DoNotUseMagnifierLeavesTheViewingAreaAlone)
{
    Change([&](ui::Settings& s) { s.noMagnifier = true; });
    fakes->screen->pointer = form->frameGeometry().bottomRight() + QPoint(300, 50);
    form->magnifierTick();
    EXPECT_FALSE(Find<QWidget>("pnIm")->isHidden());
}
