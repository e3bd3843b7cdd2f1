// The uninstall entry and "/uninstall" on an installed copy made in a
// temporary prefix (the layout "cmake --install" gives): what is removed,
// what is left for the next log-on, and that nothing outside the program
// folder is touched.
#include "AppFixture.h"

#include "app/AppFunctions.h"
#include "app/InstallLocation.h"
#include "app/Removal.h"
#include "fileops/FileFunctions.h"
#include "platform/DesktopEntry.h"

#include <QDir>

#include <filesystem>
#include <sys/stat.h>

using namespace orvane;
namespace fs = std::filesystem;

namespace {

const QString kUninstallKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane";
const QString kRunOnceKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

class RemovalTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        for (const char* file : {"orvane", "orvane-convert", "orvane.png"})
            tree.Add(std::string("prefix/lib/orvane/") + file, "installed");
        app::UseProgramFile(Installed("orvane"));
        desktop = fileops::GetShellFolder("Desktop");
        programs = fileops::GetShellFolder("Programs");
        fs::remove_all(desktop.toStdString());
        fs::remove_all(programs.toStdString());
        fs::remove(app::PendingDeletionsEntryPath().toStdString());
    }
    void TearDown() override
    {
        app::UseProgramFile({});
        AppTest::TearDown();
    }
    QString Installed(const std::string& relative) const
    {
        return QString::fromStdString(tree.Path("prefix/lib/orvane/" + relative));
    }
    QString Folder() const { return Installed(""); }
    void List(const std::string& text) { tree.Add("prefix/lib/orvane/install.txt", text); }
    void ReadOnly(const std::string& relative)
    {
        tree.Add("prefix/lib/orvane/" + relative, "in use");
        ::chmod(tree.Path("prefix/lib/orvane/" + relative).c_str(), 0444);
    }
    QStringList FolderContents() const
    {
        return QDir(Folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                        QDir::Name);
    }
    // The values of a machine key, "name=data" each.
    QStringList Values(const QString& key) const
    {
        platform::TRegistry registry(platform::RootKey::HKEY_LOCAL_MACHINE);
        QStringList values;
        if (!registry.OpenKeyReadOnly(key))
            return values;
        for (const QString& name : registry.GetValueNames())
            values << name + "=" + registry.ReadString(name);
        return values;
    }
    // What the log-on entry would run.
    QStringList PendingCommand() const
    {
        const auto keys = platform::ReadDesktopEntry(app::PendingDeletionsEntryPath());
        return platform::DropFieldCodes(platform::SplitExec(keys.value("Exec")));
    }
    QString Hive() const { return QString::fromStdString(tree.Path("prefix/etc/orvane/machine.reg")); }
    void UninstallAnsweredYes()
    {
        fakes->dialogs->yesNoAnswers = {true};
        app::AppStart({"orvane", "/uninstall"});
        EXPECT_TRUE(app::StartupStopFlag);
    }

    QString desktop;
    QString programs;
};

} // namespace

TEST_F(RemovalTest, EveryStartOutsideTheBuildTreeRegistersTheUninstallEntry)
{
    EXPECT_EQ(app::MachineHiveFolderFor(Installed("orvane")), QString::fromStdString(tree.Path("prefix/etc/orvane")));
    EXPECT_EQ(app::MachineHiveFolderFor("/usr/lib/orvane/orvane"), "/etc/orvane");
    app::AppStart({"orvane"});
    EXPECT_FALSE(app::StartupStopFlag);
    EXPECT_EQ(Values(kUninstallKey), QStringList({"DisplayName=Orvane", "UninstallString=" + Installed("orvane") + " /uninstall"}));
    EXPECT_TRUE(fakes->dialogs->informations.isEmpty());

    List("orvane.png\n");
    app::AppStart({"orvane", "/uninstall"}); // answered No
    EXPECT_TRUE(app::StartupStopFlag);
    EXPECT_EQ(Values(kUninstallKey).size(), 2);
    EXPECT_EQ(FolderContents(), QStringList({"install.txt", "orvane", "orvane-convert", "orvane.png"}));
}

TEST_F(RemovalTest, UninstallRemovesTheInstallAndTheShortcutsAndNothingOutside)
{
    tree.Add("outside/abs.txt", "user");
    tree.Add("outside/up.txt", "user");
    tree.Add("outside/victim.txt", "user");
    tree.AddFolder("outside/empty");
    fs::create_directory_symlink(tree.Path("outside"), tree.Path("prefix/lib/orvane/link"));
    fs::create_directory_symlink(tree.Path("outside/empty"), tree.Path("prefix/lib/orvane/linkdir"));
    tree.Add("prefix/lib/orvane/data/deep/x.txt");
    tree.Add("prefix/lib/orvane/data/y.txt");
    List("orvane\norvane-convert\r\norvane.png\rdata/\ndata/deep/\ndata/deep/x.txt\ndata/y.txt\n" + tree.Path("outside/abs.txt") +
         "\n../../../outside/up.txt\nlink/victim.txt\nlinkdir/\nlink/\ninstall.txt\n");
    tree.Add(desktop.toStdString() + "/Orvane.desktop");
    tree.Add(programs.toStdString() + "/Orvane/Orvane.desktop");
    tree.Add(programs.toStdString() + "/Orvane.desktop");
    tree.Add(programs.toStdString() + "/other.desktop");

    UninstallAnsweredYes();

    EXPECT_EQ(fakes->dialogs->questions, QStringList{"Are you sure to remove Orvane?"});
    EXPECT_EQ(fakes->dialogs->informations, QStringList({"Registry entries has been removed", "Uninstall complete."}));
    EXPECT_EQ(FolderContents(), QStringList({"link", "linkdir", "orvane"})) << "the program file waits for the log-on";
    for (const char* file : {"outside/abs.txt", "outside/up.txt", "outside/victim.txt"})
        EXPECT_TRUE(fs::exists(tree.Path(file))) << file;
    EXPECT_TRUE(fs::is_directory(tree.Path("outside/empty")));
    EXPECT_FALSE(QFile::exists(desktop + "/Orvane.desktop"));
    EXPECT_FALSE(QFile::exists(programs + "/Orvane"));
    EXPECT_FALSE(QFile::exists(programs + "/Orvane.desktop"));
    EXPECT_TRUE(QFile::exists(programs + "/other.desktop"));

    EXPECT_TRUE(Values(kUninstallKey).isEmpty());
    EXPECT_EQ(Values(kRunOnceKey), QStringList{"Delete Orvane=rm -d -f -- '" + Installed("orvane") + "'"});
    EXPECT_EQ(PendingCommand(), QStringList({"rm", "-d", "-f", "--", Installed("orvane"), Hive(), Hive() + ".lock",
                                             app::PendingDeletionsEntryPath()}));
}

TEST_F(RemovalTest, WhatCannotBeRemovedIsNumberedInCaseFreeOrderAndQuotedForTheShell)
{
    const std::string odd = "it's \"x\" $(y) %z;, -w";
    for (const std::string& name : {std::string("b"), std::string("A"), std::string("c"), odd})
        ReadOnly(name);
    tree.Add("prefix/lib/orvane/user/photo.jpg", "the user's");
    List("b\nA\ngone.txt\nc\n" + odd + "\nuser/\nmissing/\n");

    UninstallAnsweredYes();

    EXPECT_EQ(fakes->dialogs->informations.last(), "Uninstall complete.");
    EXPECT_TRUE(fs::exists(tree.Path("prefix/lib/orvane/user/photo.jpg")));
    EXPECT_EQ(Values(kRunOnceKey), QStringList({"Delete Orvane=rm -d -f -- '" + Installed("orvane") + "'",
                                                "Delete Orvane file 0=rm -d -f -- '" + Installed("A") + "'",
                                                "Delete Orvane file 1=rm -d -f -- '" + Installed("b") + "'",
                                                "Delete Orvane file 2=rm -d -f -- '" + Installed("c") + "'",
                                                "Delete Orvane file 3=rm -d -f -- '" + Folder() + "it'\\''s \"x\" $(y) %z;, -w'",
                                                "Delete Orvane file 4=rm -d -f -- '" + Installed("missing/") + "'"}));
    EXPECT_EQ(PendingCommand(), QStringList({"rm", "-d", "-f", "--", Installed("orvane"), Installed("A"), Installed("b"),
                                             Installed("c"), Installed(odd), Installed("missing/"), Hive(),
                                             Hive() + ".lock", app::PendingDeletionsEntryPath()}));
}

TEST_F(RemovalTest, TheNextStartCancelsThePendingDeletionsAndRegistersAgain)
{
    ReadOnly("locked");
    List("locked\n");
    UninstallAnsweredYes();
    ASSERT_EQ(Values(kRunOnceKey).size(), 2);

    app::AppStart({"orvane"}); // started again before the log-on
    EXPECT_TRUE(Values(kRunOnceKey).isEmpty());
    EXPECT_FALSE(QFile::exists(app::PendingDeletionsEntryPath()));
    EXPECT_EQ(Values(kUninstallKey).size(), 2);

    // With the entry in place a start does nothing more, pending values or not.
    platform::TRegistry registry(platform::RootKey::HKEY_LOCAL_MACHINE);
    registry.OpenKey(kRunOnceKey, true);
    registry.WriteString("Delete Orvane", "rm -f -- 'x'");
    registry.CloseKey();
    app::RegisterUninstall();
    EXPECT_EQ(Values(kRunOnceKey).size(), 1);
}

TEST_F(RemovalTest, CopiesRunFromTheBuildTreeNeverRegisterNorCancel)
{
    app::UseProgramFile(app::DevelopmentFolderPrefix() + "src/app/orvane");
    platform::TRegistry::SetMachineHiveFolder(QString::fromStdString(tree.Path("prefix/etc/orvane")));
    platform::TRegistry registry(platform::RootKey::HKEY_LOCAL_MACHINE);
    registry.OpenKey(kRunOnceKey, true);
    registry.WriteString("Delete Orvane", "rm -f -- 'x'");
    registry.CloseKey();
    app::RegisterUninstall();
    EXPECT_TRUE(Values(kUninstallKey).isEmpty());
    EXPECT_EQ(Values(kRunOnceKey).size(), 1);
}

TEST_F(RemovalTest, WithoutInstallListTheUserIsSentToTheFolderAndNothingIsScheduled)
{
    tree.Add(desktop.toStdString() + "/Orvane.desktop");
    UninstallAnsweredYes();
    EXPECT_EQ(fakes->dialogs->informations, QStringList({"Registry entries has been removed",
                                                        "Can't find install.txt\r\n\r\nYou need to delete the files manually"}));
    EXPECT_EQ(fakes->shell->opened, QStringList{Folder()});
    EXPECT_FALSE(QFile::exists(desktop + "/Orvane.desktop")) << "the shortcuts go first";
    EXPECT_EQ(FolderContents(), QStringList({"orvane", "orvane-convert", "orvane.png"}));
    EXPECT_EQ(Values(kUninstallKey).size(), 2) << "the entry stays";
    EXPECT_TRUE(Values(kRunOnceKey).isEmpty());
}

TEST_F(RemovalTest, AMachineHiveThatCannotBeWrittenStopsBeforeTheEntryGoes)
{
    tree.Add("prefix/etc", "a file where the hive's folder should be");
    List("orvane.png\n");
    app::RegisterUninstall();
    EXPECT_TRUE(fakes->dialogs->informations.isEmpty()) << "registering says nothing";
    fakes->dialogs->yesNoAnswers = {true};
    try {
        app::AppStart({"orvane", "/uninstall"});
        ADD_FAILURE() << "no error";
    } catch (const platform::ERegistryException& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'Delete Orvane'");
    }
    EXPECT_TRUE(app::StartupStopFlag);
    EXPECT_EQ(fakes->dialogs->informations, QStringList{"Registry entries has been removed"});
    EXPECT_FALSE(QFile::exists(app::PendingDeletionsEntryPath()));
}

TEST_F(RemovalTest, ADamagedMachineHiveIsToldOfAndTheSwitchStillEndsTheRun)
{
    tree.Add("prefix/etc/orvane/machine.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n");
    app::AppStart({"orvane", "/reset"});
    EXPECT_TRUE(app::StartupStopFlag);
    ASSERT_EQ(fakes->dialogs->errors.size(), 1);
    EXPECT_TRUE(fakes->dialogs->errors[0].contains(Hive())) << fakes->dialogs->errors[0].toStdString();
    EXPECT_EQ(fakes->dialogs->informations, QStringList{"Registry entries has been removed"});
    EXPECT_EQ(test::ReadFileBytes(Hive().toStdString()).size(), std::string("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n").size());
}
