#include "MainWindowFixture.h"

#include "ui/MediaListView.h"
#include "ui/Splitter.h"

#include <QApplication>
#include <QMenuBar>

#include <QCoreApplication>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>

using namespace orvane;
using orvane::test::MainWindowTest;

namespace {

void DoubleClick(QWidget* widget, QPoint at)
{
    QMouseEvent event(QEvent::MouseButtonDblClick, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void Drag(QWidget* widget, int dx)
{
    const QPoint start(1, 10);
    const QPoint end(1 + dx, 10);
    QMouseEvent press(QEvent::MouseButtonPress, start, widget->mapToGlobal(start), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, end, widget->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, end, widget->mapToGlobal(end), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &move);
    QCoreApplication::sendEvent(widget, &release);
}

} // namespace

TEST_F(MainWindowTest, GroupBoxesCollapseToTheirCaptionAndOpenToTheirFullHeight)
{
    struct Case { QGroupBox* box; int full; };
    for (auto c : {Case{Find<QGroupBox>("g1"), 69}, Case{Find<QGroupBox>("g2"), 96}, Case{Find<QGroupBox>("g3"), 96}, Case{Find<QGroupBox>("g4"), 112}}) {
        EXPECT_EQ(c.box->height(), c.full) << c.box->objectName().toStdString();
        DoubleClick(c.box, QPoint(120, 5));
        EXPECT_EQ(c.box->height(), 16);
        DoubleClick(c.box, QPoint(120, 5));
        EXPECT_EQ(c.box->height(), c.full);
    }
    // The boxes below follow a collapsed one.
    DoubleClick(Find<QGroupBox>("g1"), QPoint(120, 5));
    EXPECT_EQ(Find<QGroupBox>("g2")->y(), Find<QGroupBox>("g1")->y() + 16);
    // An odd stored height collapses on the first double-click.
    Change([](ui::Settings& s) { s.magnifierGroupHeight = 50; });
    DoubleClick(Find<QGroupBox>("g3"), QPoint(120, 5));
    EXPECT_EQ(Find<QGroupBox>("g3")->height(), 16);
}

TEST_F(MainWindowTest, DraggingTheSplitterResizesTheViewingAreaAtOnce)
{
    form->SetLeftWidth(300);
    Drag(Find<ui::Splitter>("Splitter1"), 100);
    EXPECT_EQ(form->LeftWidth(), 400);
    EXPECT_EQ(Find<QWidget>("pnIm")->size(), QSize(400, 320));
    EXPECT_EQ(Find<QPushButton>("b3")->pos(), QPoint(375, 320));
    EXPECT_EQ(Find<QWidget>("pnRight")->x(), 403);
    Drag(Find<ui::Splitter>("Splitter1"), 2000); // never wider than 1000
    EXPECT_EQ(form->LeftWidth(), 1000);
}

TEST_F(MainWindowTest, GroupBoxesAreAsWideAsTheColumnLessItsBorder)
{
    EXPECT_EQ(Find<QGroupBox>("g1")->width(), 249);
    EXPECT_EQ(Find<QGroupBox>("g1")->x(), 4);
    form->SetLeftWidth(500);
    EXPECT_EQ(Find<QGroupBox>("g4")->width(), 492);
}

TEST_F(MainWindowTest, ColourSchemesColourTheWindowAndTheToolBarCaptions)
{
    UseScheme(2);
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(Find<QWidget>("pnLeft")->palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(Find<QToolButton>("tb1")->palette().color(QPalette::ButtonText), QColor(0, 0, 0));
    UseScheme(1);
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(255, 255, 255));
    UseScheme(7); // unknown: unchanged
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(255, 255, 255));
    UseScheme(0);
    EXPECT_EQ(form->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    // Lists keep their own colours.
    EXPECT_EQ(Find<ui::MediaListView>("ListBox1")->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
}

TEST_F(MainWindowTest, CompactModeNarrowsTheWindowToTheColumnAndBack)
{
    // Widths are those of the window's frame, as the user sees it.
    form->SetFrameBounds(QRect(0, 0, 1000, 700));
    form->SetLeftWidth(300);
    form->SwitchListBox(true);
    EXPECT_TRUE(Find<QTabWidget>("PageControl1")->isHidden());
    EXPECT_EQ(form->CurrentSettings().fullWidth, 1000);
    EXPECT_EQ(form->frameGeometry().width(), 308);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->menuBar()->isHidden());
    EXPECT_EQ(Find<QToolButton>("tb1")->toolButtonStyle(), Qt::ToolButtonIconOnly);
    // While the list is hidden the column follows the window.
    form->SetFrameBounds(QRect(form->frameGeometry().topLeft(), QSize(408, form->frameGeometry().height())));
    EXPECT_EQ(form->LeftWidth(), 400);
    form->SwitchListBox(true);
    EXPECT_FALSE(Find<QTabWidget>("PageControl1")->isHidden());
    EXPECT_EQ(form->frameGeometry().width(), 1000);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form->menuBar()->isHidden());
    EXPECT_EQ(Find<QToolButton>("tb1")->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
}

TEST_F(MainWindowTest, ThePlayerIsSizedOnlyOnceTheWindowIsCreated)
{
    const QSize before = Find<QWidget>("WMP")->size();
    form->SetLeftWidth(400);
    EXPECT_EQ(Find<QWidget>("WMP")->size(), before); // not created yet
    form->FormCreate();
    form->SetLeftWidth(300);
    EXPECT_EQ(Find<QWidget>("WMP")->size(), QSize(300, 239));
}

TEST_F(MainWindowTest, ControlsCarryTheirCaptionsAndHints)
{
    struct Case { QAbstractButton* button; const char* caption; const char* hint; };
    for (auto c : {Case{Find<QToolButton>("tb1"), "Select Folder", "Select Root Folder of Your Media Files"},
                   Case{Find<QToolButton>("tb9"), "Previous", "View previous item"}, Case{Find<QToolButton>("tb10"), "Next", "View next item"},
                   Case{Find<QToolButton>("tb2"), "Next Background", "Go Next and set it as desktop background"},
                   Case{Find<QToolButton>("tb5"), "Mode", "Switch Mode: Switch File List On/Off"},
                   Case{Find<QToolButton>("tb6"), "Slide show", "Start Slide Show"}, Case{Find<QToolButton>("tb7"), "Preferences", "Open Preferences"},
                   Case{Find<QToolButton>("tb8"), "About", "About Orvane"}, Case{Find<QPushButton>("b1"), "<", "Prev"}, Case{Find<QPushButton>("b3"), ">", "Next"},
                   Case{Find<QPushButton>("b2"), "set", "Set This as Desktop Background"}}) {
        EXPECT_EQ(c.button->text(), c.caption);
        EXPECT_EQ(c.button->toolTip(), c.hint);
    }
    EXPECT_EQ(Find<QGroupBox>("g1")->title(), " Search ");
    EXPECT_EQ(Find<QGroupBox>("g4")->title(), " Desktop background ");
}
