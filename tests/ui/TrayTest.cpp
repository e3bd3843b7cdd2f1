#include "MainWindowFixture.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>

using namespace orvane;
using orvane::test::MainWindowTest;

namespace {

QStringList VisibleItems(QMenu* menu)
{
    QStringList items;
    for (QAction* action : menu->actions())
        if (action->isVisible())
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return items;
}

class TrayTest : public MainWindowTest {
protected:
    void Minimise()
    {
        form->showMinimized();
        form->minimizeToTray();
    }
    test::FakeTrayIcon& Tray() { return *fakes->lastTray; }
};

} // namespace

TEST_F(TrayTest, MinimisingMovesTheProgramIntoTheTrayAndAClickBringsItBackOnTop)
{
    Change([&](ui::Settings& s) { s.noAlwaysOnTop = true; }); // the tray click ignores it
    Minimise();
    EXPECT_TRUE(Tray().visible);
    EXPECT_TRUE(form->InTray());
    EXPECT_TRUE(form->isHidden()); // no taskbar button
    EXPECT_EQ(Tray().menu, Find<QMenu>("PopupMenu1"));
    emit Find<QMenu>("PopupMenu1")->aboutToShow();
    EXPECT_EQ(VisibleItems(Find<QMenu>("PopupMenu1")),
              QStringList({"Restore", "-", "Go Previous", "Go Next", "-", "Set This as Desltop Background",
                           "Go Next and Set as Desktop Background", "-", "Shell Open This picture (mouse middle click)",
                           "Copy full path of this picture to Clipboard", "Show full path and dimentions", "-", "Exit"}));
    emit Tray().Clicked();
    EXPECT_FALSE(Tray().visible);
    EXPECT_FALSE(form->isHidden());
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(TrayTest, RestoreFromTheMenuDoesNotMakeTheWindowTopmost)
{
    Minimise();
    Find<QAction>("m1")->trigger();
    EXPECT_FALSE(Tray().visible);
    EXPECT_FALSE(form->isHidden());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(TrayTest, TheWindowsOwnContextMenuHasNoRestoreOrExit)
{
    emit Find<QMenu>("PopupMenu1")->aboutToShow();
    EXPECT_FALSE(Find<QAction>("m1")->isVisible());
    EXPECT_FALSE(Find<QAction>("m3")->isVisible());
}

TEST_F(TrayTest, WithTheOptionOrWithoutANotificationAreaTheProgramStaysOnTheTaskbar)
{
    Change([&](ui::Settings& s) { s.noTray = true; });
    Minimise();
    EXPECT_FALSE(Tray().visible);
    EXPECT_FALSE(form->InTray());
    form->showNormal();
    Change([&](ui::Settings& s) { s.noTray = false; });
    Tray().available = false;
    Minimise();
    EXPECT_FALSE(Tray().visible);
    EXPECT_FALSE(form->InTray());
}

TEST_F(TrayTest, DoNotUseAlwaysOnTopKeepsCompactModeNormal)
{
    Change([&](ui::Settings& s) { s.noAlwaysOnTop = true; });
    form->SwitchListBox(true);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    form->SwitchListBox(true);
    Change([&](ui::Settings& s) { s.noAlwaysOnTop = false; });
    form->SwitchListBox(true);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(MainWindowTest, PathAndSizeCommandsUseTheCurrentFile)
{
    form->Action(ui::Command::ShowPathAndSize)->trigger();
    form->Action(ui::Command::CopyPath)->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "");
    AddPicture("a.jpg", 640, 480);
    Change([&](ui::Settings& s) { s.rootFolder = Root(); });
    ASSERT_TRUE(form->SetThis(Full("a.jpg"), false));
    form->Action(ui::Command::ShowPathAndSize)->trigger();
    form->Action(ui::Command::CopyPath)->trigger();
    form->Action(ui::Command::ShellOpen)->trigger();
    EXPECT_EQ(fakes->dialogs->informations,
              QStringList({"File name: \r\nWidth: 0\r\nHeight: 0",
                           "File name: " + Full("a.jpg") + "\r\nWidth: 640\r\nHeight: 480"}));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Full("a.jpg"));
    EXPECT_EQ(fakes->shell->opened, QStringList({Full("a.jpg")}));
}
