#include "MainWindowFixture.h"

#include "platform/Wallpaper.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>

using namespace orvane;
using orvane::test::MainWindowTest;

TEST_F(MainWindowTest, NextBackgroundShowsTheNextItemAndHandsItToTheDesktop)
{
    AddPicture("a.jpg");
    AddPicture("b.jpg");
    ChooseRoot(); // shows line 0, no wallpaper
    EXPECT_TRUE(fakes->wallpaper->set.isEmpty());
    Find<QToolButton>("tb2")->click();
    EXPECT_EQ(fakes->wallpaper->set, QStringList({form->CurrentFile()}));
    EXPECT_EQ(form->CurrentFile(), Root() + "/" + Lib().PhotoLines().Line(1));
    Find<QPushButton>("b2")->click(); // "set": the current file again
    EXPECT_EQ(fakes->wallpaper->set.size(), 2);
    EXPECT_EQ(fakes->wallpaper->set.last(), form->CurrentFile());
}

TEST_F(MainWindowTest, NextBackgroundOnTheVideoTabPlaysAndHandsOverTheVideo)
{
    tree.Add("clip.avi");
    ChooseRoot();
    Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    form->Action(ui::Command::NextBackground)->trigger();
    EXPECT_EQ(fakes->wallpaper->set, QStringList({Root() + "/clip.avi"}));
    EXPECT_TRUE(Find<QWidget>("WMP")->isVisible());
}

TEST_F(MainWindowTest, SetWithNoCurrentFileDoesNothing)
{
    Find<QPushButton>("b2")->click();
    EXPECT_TRUE(fakes->wallpaper->set.isEmpty());
    EXPECT_TRUE(fakes->dialogs->errors.isEmpty());
}

TEST_F(MainWindowTest, ADesktopWithoutWallpaperSupportReportsItAndKeepsTheFileShown)
{
    AddPicture("a.jpg");
    Change([&](ui::Settings& s) { s.rootFolder = Root(); });
    ASSERT_TRUE(form->SetThis(QString::fromStdString(tree.Path("a.jpg")), false));
    fakes->wallpaper->unavailable = true;
    // Through the event system, as the user's click arrives.
    const QPoint at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, Find<QPushButton>("b2")->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, Find<QPushButton>("b2")->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(Find<QPushButton>("b2"), &press);
    QCoreApplication::sendEvent(Find<QPushButton>("b2"), &release);
    ASSERT_EQ(fakes->dialogs->errors.size(), 1);
    EXPECT_TRUE(fakes->dialogs->errors[0].contains("desktop background"));
    EXPECT_EQ(form->CurrentFile(), QString::fromStdString(tree.Path("a.jpg")));
}

TEST_F(MainWindowTest, TheIntervalChoiceSetsTheTimersPeriodAndTicksActOnlyWhenTicked)
{
    EXPECT_TRUE(Find<QTimer>("Timer2")->isActive());
    EXPECT_EQ(Find<QTimer>("Timer2")->interval(), 10000);
    struct Case { int index; int period; };
    for (auto c : {Case{1, 60000}, Case{3, 3600000}, Case{2, 600000}, Case{0, 10000}}) {
        Find<QComboBox>("ComboBox1")->setCurrentIndex(c.index);
        emit Find<QComboBox>("ComboBox1")->activated(c.index);
        EXPECT_EQ(Find<QTimer>("Timer2")->interval(), c.period);
    }
    AddPicture("a.jpg");
    AddPicture("b.jpg");
    ChooseRoot();
    const QString shown = form->CurrentFile();
    form->autoSwitchTick(); // not ticked: nothing changes
    EXPECT_EQ(form->CurrentFile(), shown);
    Find<QCheckBox>("cb2")->setChecked(true);
    form->autoSwitchTick();
    EXPECT_NE(form->CurrentFile(), shown);
    EXPECT_EQ(fakes->wallpaper->set, QStringList({form->CurrentFile()}));
}

TEST_F(MainWindowTest, HideAndShowIconsGiveBackTheUsersOwnStyle)
{
    fakes->icons->setting = QStringLiteral("1");
    Find<QPushButton>("tb3")->click();
    EXPECT_EQ(fakes->icons->setting, "0");
    Find<QPushButton>("tb4")->click();
    EXPECT_EQ(fakes->icons->setting, "1");
}

TEST(WallpaperCommands, EachDesktopGetsItsOwnTool)
{
    const auto gnome = platform::WallpaperCommandsFor("ubuntu:GNOME", "/p/a b.jpg");
    ASSERT_EQ(gnome.size(), 2u);
    EXPECT_EQ(gnome[0].arguments, QStringList({"set", "org.gnome.desktop.background", "picture-uri", "file:///p/a%20b.jpg"}));
    EXPECT_EQ(gnome[1].arguments[2], "picture-uri-dark");
    const auto xfce = platform::WallpaperCommandsFor(
        "XFCE", "/p/a.jpg",
        {"/backdrop/screen0/monitorHDMI-1/workspace0/last-image", "/backdrop/screen0/monitorHDMI-1/workspace1/last-image"});
    ASSERT_EQ(xfce.size(), 2u);
    EXPECT_EQ(xfce[1].arguments, QStringList({"-c", "xfce4-desktop", "-p",
                                              "/backdrop/screen0/monitorHDMI-1/workspace1/last-image", "-s", "/p/a.jpg"}));
    EXPECT_EQ(platform::WallpaperCommandsFor("MATE", "/p/a.jpg")[0].arguments,
              QStringList({"set", "org.mate.background", "picture-filename", "/p/a.jpg"}));
    // Plasma takes a script over D-Bus, with the file's address quoted for it.
    EXPECT_TRUE(platform::WallpaperCommandsFor("KDE", "/p/a.jpg").empty());
    EXPECT_TRUE(platform::PlasmaWallpaperScript("/p/a\"b.jpg").contains("\"file:///p/a%22b.jpg\""));
    EXPECT_EQ(platform::XfceImageProperties("/backdrop/screen0/monitor0/workspace0/last-image\n"
                                            "/backdrop/screen0/monitor0/workspace0/image-style\n"
                                            "  /backdrop/screen0/monitorVGA-1/workspace1/last-image  \n"),
              QStringList({"/backdrop/screen0/monitor0/workspace0/last-image",
                           "/backdrop/screen0/monitorVGA-1/workspace1/last-image"}));
}
