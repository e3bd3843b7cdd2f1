#include "AppFixture.h"

#include "app/AppFunctions.h"
#include "app/Removal.h"

#include <QPushButton>

using namespace orvane;
using orvane::test::AppTest;

TEST_F(AppTest, SwitchesAreRecognisedInAnyCaseAndOnlyAsTheFirstArgument)
{
    app::AppStart({"orvane", "/RESET"});
    EXPECT_TRUE(app::StartupStopFlag);
    EXPECT_EQ(fakes->dialogs->informations, QStringList({"Registry entries has been removed"}));
    app::AppStart({"orvane", "photos", "/reset"});
    EXPECT_FALSE(app::StartupStopFlag);
    app::AppStart({"orvane"});
    EXPECT_FALSE(app::StartupStopFlag);
}

TEST_F(AppTest, UninstallAnsweredNoChangesNothing)
{
    Write(app::kMainKey, "Top", 77);
    fakes->dialogs->yesNoAnswers = {false};
    app::AppStart({"orvane", "/UnInstall"});
    EXPECT_TRUE(app::StartupStopFlag);
    EXPECT_EQ(fakes->dialogs->questions, QStringList({"Are you sure to remove Orvane?"}));
    EXPECT_TRUE(fakes->dialogs->informations.isEmpty());
    EXPECT_TRUE(HiveText().contains("\"Top\"=dword:0000004d"));
}

TEST_F(AppTest, ResetRemovesThePositionAndTheOptionsButKeepsTheRest)
{
    Write(app::kMainKey, "Top", 10);
    Write(app::kMainKey, "Height", 500);
    Write(app::kMainKey, "FullWidth", 900);
    Write(app::kAdditionalKey, "Dir", QString("/photos"));
    Write(app::kOptionsKey, "cScheme", 2);
    app::ResetSettings();
    const QString text = HiveText();
    EXPECT_FALSE(text.contains("\"Top\""));
    EXPECT_TRUE(text.contains("\"Height\"=dword:000001f4"));
    EXPECT_TRUE(text.contains("\"FullWidth\""));
    EXPECT_TRUE(text.contains("\"Dir\"=\"/photos\""));
    EXPECT_FALSE(text.contains("Orvane\\Options]"));
    EXPECT_FALSE(text.contains("cScheme"));
}

// The shut-down gives back icons the program hid, and leaves alone a desktop
// whose user keeps them off.
TEST_F(AppTest, ShutDownTouchesTheDesktopIconsOnlyWhenTheProgramHidThem)
{
    fakes->icons->setting = QStringLiteral("0");
    Start();
    Stop();
    EXPECT_TRUE(fakes->icons->writes.isEmpty());

    fakes->icons->setting = QStringLiteral("1");
    fakes->icons->writes.clear();
    Start();
    Find<QPushButton>("tb3")->click();
    Stop();
    EXPECT_EQ(fakes->icons->writes, QStringList({"0", "1"}));
}
