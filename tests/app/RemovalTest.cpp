// The uninstall entry and "/uninstall" on an installed copy made in a
// temporary prefix (the layout "cmake --install" gives) whose name holds a
// blank, quotes and a line break: what is removed, what is left for the next
// log-on and carried out there, and that nothing outside the program folder
// is touched.
#include "AppFixture.h"

#include "app/AppFunctions.h"
#include "app/InstallLocation.h"
#include "app/Removal.h"
#include "fileops/FileFunctions.h"
#include "platform/DesktopEntry.h"

#include <QDir>
#include <QProcess>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace orvane;
namespace fs = std::filesystem;

namespace {

const QString kUninstallKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane";
const QString kRunOnceKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::string kPrefix = "the \"pre\" fix\nit's";

class RemovalTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        for (const char* file : {"orvane", "orvane-convert", "orvane.png"})
            tree.Add(std::string(kPrefix + "/lib/orvane/") + file, "installed");
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
        return QString::fromStdString(tree.Path(kPrefix + "/lib/orvane/" + relative));
    }
    QString Folder() const { return Installed(""); }
    void List(const std::string& text) { tree.Add(kPrefix + "/lib/orvane/install.txt", text); }
    void ReadOnly(const std::string& relative)
    {
        tree.Add(kPrefix + "/lib/orvane/" + relative, "in use");
        ::chmod(tree.Path(kPrefix + "/lib/orvane/" + relative).c_str(), 0444);
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
    // Runs the log-on entry as the session does: its Exec line read by the
    // desktop entry rules, the first argument being sh. Its exit status.
    int RunLogOnEntry() const
    {
        const auto keys = platform::ReadDesktopEntry(app::PendingDeletionsEntryPath());
        bool ok = false;
        const QStringList command = platform::DropFieldCodes(platform::SplitExec(keys.value("Exec"), &ok));
        EXPECT_TRUE(ok);
        if (command.isEmpty())
            return -1;
        EXPECT_EQ(command.first(), "sh");
        QProcess session;
        session.setWorkingDirectory(QString::fromStdString(tree.RootText()));
        session.start(command.first(), command.mid(1));
        if (!session.waitForFinished(10000))
            return -1;
        EXPECT_EQ(session.readAllStandardError(), "");
        return session.exitCode();
    }
    // Appends bytes as they stand to the machine hive.
    void AppendToHive(const std::string& bytes) const
    {
        std::ofstream(Hive().toStdString(), std::ios::app | std::ios::binary) << bytes;
    }
    // What the log-on leaves of the hive's folder, the entry and the lock.
    void ExpectLogOnCleanedUp(bool hiveKept) const
    {
        EXPECT_EQ(QFile::exists(Hive()), hiveKept);
        EXPECT_FALSE(QFile::exists(Hive() + ".lock"));
        EXPECT_FALSE(QFile::exists(Hive() + ".rest"));
        EXPECT_FALSE(QFile::exists(app::PendingDeletionsEntryPath()));
    }
    // A pending deletion as the program writes it: the path in single
    // quotes, each quote in it as '\''.
    static std::string Rm(const std::string& path)
    {
        std::string quoted;
        for (const char c : path)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return "rm -d -f -- '" + quoted + "'";
    }
    static QString Rm(const QString& path) { return QString::fromStdString(Rm(path.toStdString())); }
    // A string value's line in the hive.
    static std::string HiveLine(const std::string& name, const std::string& text)
    {
        std::string line = "\"" + name + "\"=\"";
        for (const char c : text)
            line += c == '\\' || c == '"' ? std::string{'\\', c} : std::string(1, c);
        return line + "\"";
    }
    QString Hive() const { return QString::fromStdString(tree.Path(kPrefix + "/etc/orvane/machine.reg")); }
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
    EXPECT_EQ(app::MachineHiveFolderFor(Installed("orvane")), QString::fromStdString(tree.Path(kPrefix + "/etc/orvane")));
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
    fs::create_directory_symlink(tree.Path("outside"), tree.Path(kPrefix + "/lib/orvane/link"));
    fs::create_directory_symlink(tree.Path("outside/empty"), tree.Path(kPrefix + "/lib/orvane/linkdir"));
    tree.Add(kPrefix + "/lib/orvane/data/deep/x.txt");
    tree.Add(kPrefix + "/lib/orvane/data/y.txt");
    List("orvane\norvane-convert\r\norvane.png\rdata/\ndata/deep/\ndata/deep/x.txt\ndata/y.txt\n" + tree.Path("outside/abs.txt") +
         "\n../../../outside/up.txt\nlink/victim.txt\nlinkdir/\ninstall.txt\n");
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
    EXPECT_EQ(Values(kRunOnceKey), QStringList{"Delete Orvane=" + Rm(Installed("orvane"))});

    EXPECT_EQ(RunLogOnEntry(), 0);
    EXPECT_EQ(FolderContents(), QStringList({"link", "linkdir"}));
    EXPECT_TRUE(fs::exists(tree.Path("outside/victim.txt")));
    EXPECT_TRUE(fs::is_directory(tree.Path("outside/empty")));
    ExpectLogOnCleanedUp(false);
}

TEST_F(RemovalTest, WhatCannotBeRemovedIsNumberedInCaseFreeOrderAndQuotedForTheShell)
{
    const std::string odd = "it's \"x\" $(y) %z;, -w";
    for (const std::string& name : {std::string("b"), std::string("A"), std::string("c"), odd})
        ReadOnly(name);
    tree.Add(kPrefix + "/lib/orvane/user/photo.jpg", "the user's");
    List("b\nA\ngone.txt\nc\n" + odd + "\nuser/\nmissing/\n");

    UninstallAnsweredYes();

    EXPECT_EQ(fakes->dialogs->informations.last(), "Uninstall complete.");
    EXPECT_TRUE(fs::exists(tree.Path(kPrefix + "/lib/orvane/user/photo.jpg")));
    const QStringList values = Values(kRunOnceKey);
    EXPECT_EQ(values, QStringList({"Delete Orvane=" + Rm(Installed("orvane")), "Delete Orvane file 0=" + Rm(Installed("A")),
                                   "Delete Orvane file 1=" + Rm(Installed("b")), "Delete Orvane file 2=" + Rm(Installed("c")),
                                   "Delete Orvane file 3=" + Rm(Installed(odd)),
                                   "Delete Orvane file 4=" + Rm(Installed("missing/"))}));
    ASSERT_EQ(values.size(), 6);
    EXPECT_TRUE(values[4].endsWith("/it'\\''s \"x\" $(y) %z;, -w'")) << values[4].toStdString();

    // The next log-on: the files go, the user's folder stays.
    EXPECT_EQ(RunLogOnEntry(), 0);
    EXPECT_EQ(FolderContents(), QStringList({"install.txt", "orvane-convert", "orvane.png", "user"}));
    EXPECT_TRUE(fs::exists(tree.Path(kPrefix + "/lib/orvane/user/photo.jpg")));
    ExpectLogOnCleanedUp(false);
}

TEST_F(RemovalTest, TheLogOnRunsOnlyThePendingDeletionsOfTheProgramsOwnFormAndKeepsTheRestOfTheHive)
{
    const std::string odd = "bad\xff\xfe name";
    ReadOnly("locked");
    List("locked\n");
    tree.Add(kPrefix + "/lib/orvane/" + odd, "not UTF-8");
    tree.Add("outside/victim.txt", "user");
    tree.Add("outside/full/kept.txt", "user");
    tree.Add("relative.txt", "user");
    UninstallAnsweredYes();
    const std::string victim = tree.Path("outside/victim.txt");
    {
        // A value of another key whose text looks like pending deletions.
        platform::TRegistry registry(platform::RootKey::HKEY_LOCAL_MACHINE);
        registry.OpenKey("\\Software\\Other", true);
        registry.WriteString("Note", QString::fromStdString("x\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce]\n" +
                                                            HiveLine("Delete Orvane file 5", Rm(victim))));
        registry.CloseKey();
    }
    const std::vector<std::string> foreign{
        HiveLine("Delete Orvane file 2", "rm -rf -- '" + tree.Path("outside/full") + "'"),
        HiveLine("Delete Orvane file 3", Rm(victim) + "; touch '" + tree.Path("pwned") + "'"),
        HiveLine("Delete Orvane file 4", "rm -d -f -- 'relative.txt'"),
        HiveLine("Delete Orvane file 6", Rm(victim) + " '" + victim + "'"),
        HiveLine("Delete Orvane file 07", Rm(victim)),
        "\"Delete Orvane file 8\"=dword:00000001",
        "\"Delete Orvane\"=hex:72,6d,\\\n  20,2d",
        HiveLine("Other", Rm(victim)),
        "[HKEY_LOCAL_MACHINE\\Software\\Other\\Key]\n" + HiveLine("Delete Orvane", Rm(victim)),
    };
    std::string appended = "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce]\n" +
                           HiveLine("Delete Orvane file 1", Rm(Folder().toStdString() + odd)) + "\n";
    for (const std::string& line : foreign)
        appended += line + "\n";
    AppendToHive(appended);

    EXPECT_EQ(RunLogOnEntry(), 0);

    EXPECT_EQ(FolderContents(), QStringList({"install.txt", "orvane-convert", "orvane.png"}))
        << "the program file, the locked file and the one named in other bytes than UTF-8 went";
    for (const char* kept : {"outside/victim.txt", "outside/full/kept.txt", "relative.txt"})
        EXPECT_TRUE(fs::exists(tree.Path(kept))) << kept;
    EXPECT_FALSE(fs::exists(tree.Path("pwned")));
    ExpectLogOnCleanedUp(true);
    // What was carried out is gone from the hive; the rest stays as written.
    const auto bytes = test::ReadFileBytes(Hive().toStdString());
    const std::string hive(bytes.begin(), bytes.end());
    for (const std::string& line : foreign)
        EXPECT_NE(hive.find(line + "\n"), std::string::npos) << line;
    EXPECT_EQ(hive.find("lib/orvane/"), std::string::npos) << hive;
    EXPECT_EQ(Values("\\Software\\Other").size(), 1);
}

TEST_F(RemovalTest, AHiveTheLogOnCannotReadIsLeftAsItIsAndNothingRuns)
{
    ReadOnly("locked");
    List("locked\n");
    UninstallAnsweredYes();
    AppendToHive("\"Unclosed\"=\"rm -d -f -- '/x'\n");
    const auto before = test::ReadFileBytes(Hive().toStdString());

    EXPECT_EQ(RunLogOnEntry(), 0);

    EXPECT_EQ(FolderContents(), QStringList({"install.txt", "locked", "orvane", "orvane-convert", "orvane.png"}));
    EXPECT_EQ(test::ReadFileBytes(Hive().toStdString()), before);
    EXPECT_FALSE(QFile::exists(app::PendingDeletionsEntryPath())) << "the entry goes all the same";
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
    platform::TRegistry::SetMachineHiveFolder(QString::fromStdString(tree.Path(kPrefix + "/etc/orvane")));
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
    tree.Add(kPrefix + "/etc", "a file where the hive's folder should be");
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
    tree.Add(kPrefix + "/etc/orvane/machine.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n");
    app::AppStart({"orvane", "/reset"});
    EXPECT_TRUE(app::StartupStopFlag);
    ASSERT_EQ(fakes->dialogs->errors.size(), 1);
    EXPECT_TRUE(fakes->dialogs->errors[0].contains(Hive())) << fakes->dialogs->errors[0].toStdString();
    EXPECT_EQ(fakes->dialogs->informations, QStringList{"Registry entries has been removed"});
    EXPECT_EQ(test::ReadFileBytes(Hive().toStdString()).size(), std::string("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n").size());
}
