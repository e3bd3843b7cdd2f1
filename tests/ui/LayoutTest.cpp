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
    for (auto c : {Case{form->g1, 69}, Case{form->g2, 96}, Case{form->g3, 96}, Case{form->g4, 112}}) {
        EXPECT_EQ(c.box->height(), c.full) << c.box->objectName().toStdString();
        DoubleClick(c.box, QPoint(120, 5));
        EXPECT_EQ(c.box->height(), 16);
        DoubleClick(c.box, QPoint(120, 5));
        EXPECT_EQ(c.box->height(), c.full);
    }
    // The boxes below follow a collapsed one.
    DoubleClick(form->g1, QPoint(120, 5));
    EXPECT_EQ(form->g2->y(), form->g1->y() + 16);
    // An odd stored height collapses on the first double-click.
    form->SetGroupHeight(form->g3, 50);
    DoubleClick(form->g3, QPoint(120, 5));
    EXPECT_EQ(form->g3->height(), 16);
}

TEST_F(MainWindowTest, DraggingTheSplitterResizesTheViewingAreaAtOnce)
{
    form->SetLeftWidth(300);
    Drag(form->Splitter1, 100);
    EXPECT_EQ(form->LeftWidth(), 400);
    EXPECT_EQ(form->pnIm->size(), QSize(400, 320));
    EXPECT_EQ(form->b3->pos(), QPoint(375, 320));
    EXPECT_EQ(form->pnRight->x(), 403);
    Drag(form->Splitter1, 2000); // never wider than 1000
    EXPECT_EQ(form->LeftWidth(), 1000);
}

TEST_F(MainWindowTest, GroupBoxesAreAsWideAsTheColumnLessItsBorder)
{
    EXPECT_EQ(form->g1->width(), 249);
    EXPECT_EQ(form->g1->x(), 4);
    form->SetLeftWidth(500);
    EXPECT_EQ(form->g4->width(), 492);
}

TEST_F(MainWindowTest, ColourSchemesColourTheWindowAndTheToolBarCaptions)
{
    form->ApplyColorScheme(2);
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(form->pnLeft->palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(form->tb1->palette().color(QPalette::ButtonText), QColor(0, 0, 0));
    form->ApplyColorScheme(1);
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(255, 255, 255));
    form->ApplyColorScheme(7); // unknown: unchanged
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(255, 255, 255));
    form->ApplyColorScheme(0);
    EXPECT_EQ(form->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    // Lists keep their own colours.
    EXPECT_EQ(form->ListBox1->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
}

TEST_F(MainWindowTest, CompactModeNarrowsTheWindowToTheColumnAndBack)
{
    // Widths are those of the window's frame, as the user sees it.
    form->SetFrameBounds(QRect(0, 0, 1000, 700));
    form->SetLeftWidth(300);
    form->SwitchListBox(true);
    EXPECT_TRUE(form->PageControl1->isHidden());
    EXPECT_EQ(form->FullWidth, 1000);
    EXPECT_EQ(form->frameGeometry().width(), 308);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->MainMenu1->isHidden());
    EXPECT_EQ(form->tb1->toolButtonStyle(), Qt::ToolButtonIconOnly);
    // While the list is hidden the column follows the window.
    form->SetFrameWidth(408);
    EXPECT_EQ(form->LeftWidth(), 400);
    form->SwitchListBox(true);
    EXPECT_FALSE(form->PageControl1->isHidden());
    EXPECT_EQ(form->frameGeometry().width(), 1000);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form->MainMenu1->isHidden());
    EXPECT_EQ(form->tb1->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
}

TEST_F(MainWindowTest, ThePlayerIsSizedOnlyOnceTheWindowIsCreated)
{
    const QSize before = form->WMPWidget->size();
    form->SetLeftWidth(400);
    EXPECT_EQ(form->WMPWidget->size(), before); // not created yet
    form->FormCreate();
    form->SetLeftWidth(300);
    EXPECT_EQ(form->WMPWidget->size(), QSize(300, 239));
}

TEST_F(MainWindowTest, ControlsCarryTheirCaptionsAndHints)
{
    struct Case { QAbstractButton* button; const char* caption; const char* hint; };
    for (auto c : {Case{form->tb1, "Select Folder", "Select Root Folder of Your Media Files"},
                   Case{form->tb9, "Previous", "View previous item"}, Case{form->tb10, "Next", "View next item"},
                   Case{form->tb2, "Next Background", "Go Next and set it as desktop background"},
                   Case{form->tb5, "Mode", "Switch Mode: Switch File List On/Off"},
                   Case{form->tb6, "Slide show", "Start Slide Show"}, Case{form->tb7, "Preferences", "Open Preferences"},
                   Case{form->tb8, "About", "About Orvane"}, Case{form->b1, "<", "Prev"}, Case{form->b3, ">", "Next"},
                   Case{form->b2, "set", "Set This as Desktop Background"}}) {
        EXPECT_EQ(c.button->text(), c.caption);
        EXPECT_EQ(c.button->toolTip(), c.hint);
    }
    EXPECT_EQ(form->g1->title(), " Search ");
    EXPECT_EQ(form->g4->title(), " Desktop background ");
}
