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
        form->ApplicationMinimize();
    }
    test::FakeTrayIcon& Tray() { return *fakes->lastTray; }
};

} // namespace

TEST_F(TrayTest, MinimisingMovesTheProgramIntoTheTrayAndAClickBringsItBackOnTop)
{
    form->bNormal = true; // the tray click ignores it
    Minimise();
    EXPECT_TRUE(Tray().visible);
    EXPECT_TRUE(form->InTray());
    EXPECT_TRUE(form->isHidden()); // no taskbar button
    EXPECT_EQ(Tray().menu, form->PopupMenu1);
    form->PopupMenu1Popup();
    EXPECT_EQ(VisibleItems(form->PopupMenu1),
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
    form->m1->trigger();
    EXPECT_FALSE(Tray().visible);
    EXPECT_FALSE(form->isHidden());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(TrayTest, TheWindowsOwnContextMenuHasNoRestoreOrExit)
{
    form->PopupMenu1Popup();
    EXPECT_FALSE(form->m1->isVisible());
    EXPECT_FALSE(form->m3->isVisible());
}

TEST_F(TrayTest, WithTheOptionOrWithoutANotificationAreaTheProgramStaysOnTheTaskbar)
{
    form->bNotTray = true;
    Minimise();
    EXPECT_FALSE(Tray().visible);
    EXPECT_FALSE(form->InTray());
    form->showNormal();
    form->bNotTray = false;
    Tray().available = false;
    Minimise();
    EXPECT_FALSE(Tray().visible);
    EXPECT_FALSE(form->InTray());
}

TEST_F(TrayTest, DoNotUseAlwaysOnTopKeepsCompactModeNormal)
{
    form->bNormal = true;
    form->SwitchListBox(true);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    form->SwitchListBox(true);
    form->bNormal = false;
    form->SwitchListBox(true);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(MainWindowTest, PathAndSizeCommandsUseTheCurrentFile)
{
    form->Showfullpathanddimentions1->trigger();
    form->CopyfullpathtothispicturetoClipboardmouserightclick1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "");
    AddPicture("a.jpg", 640, 480);
    form->Dir = Root();
    ASSERT_TRUE(form->SetThis(Full("a.jpg"), false));
    form->Showfullpathanddimentions1->trigger();
    form->CopyfullpathtothispicturetoClipboardmouserightclick1->trigger();
    form->ShellOpenThispicture1->trigger();
    EXPECT_EQ(fakes->dialogs->informations,
              QStringList({"File name: \r\nWidth: 0\r\nHeight: 0",
                           "File name: " + Full("a.jpg") + "\r\nWidth: 640\r\nHeight: 480"}));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Full("a.jpg"));
    EXPECT_EQ(fakes->shell->opened, QStringList({Full("a.jpg")}));
}
