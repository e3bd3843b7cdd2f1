#include "fileops/BrowseFolder.h"
#include "fileops/FileFunctions.h"
#include "support/FakeServices.h"
#include "support/QtPrinters.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace orvane::fileops;
using orvane::test::TempTree;

namespace {

// Points HOME and XDG_DATA_HOME at a folder of the test for its lifetime.
class OwnHome {
public:
    explicit OwnHome(const std::string& home)
    {
        old_home_ = std::getenv("HOME") ? std::getenv("HOME") : "";
        old_data_ = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
        ::setenv("HOME", home.c_str(), 1);
        ::unsetenv("XDG_DATA_HOME");
    }
    ~OwnHome()
    {
        ::setenv("HOME", old_home_.c_str(), 1);
        if (old_data_.empty())
            ::unsetenv("XDG_DATA_HOME");
        else
            ::setenv("XDG_DATA_HOME", old_data_.c_str(), 1);
    }

private:
    std::string old_home_, old_data_;
};

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(RecycleBin, SendsFilesToTheHomeTrashWithRestoreInformation)
{
    auto& fakes = orvane::test::InstallFakeServices();
    TempTree tree({"home/", "photos/a b.jpg", "photos/sub/a b.jpg"});
    OwnHome home(tree.Path("home"));
    ASSERT_TRUE(SendToRecycleBin(QString::fromStdString(tree.Path("photos/a b.jpg"))));
    ASSERT_TRUE(SendToRecycleBin(QString::fromStdString(tree.Path("photos/sub/a b.jpg"))));
    const auto trash = tree.Root() / "home/.local/share/Trash";
    EXPECT_FALSE(std::filesystem::exists(tree.Path("photos/a b.jpg")));
    EXPECT_TRUE(std::filesystem::exists(trash / "files/a b.jpg"));
    EXPECT_TRUE(std::filesystem::exists(trash / "files/a b.jpg.2")); // same name: a new one
    const std::string info = ReadText(trash / "info/a b.jpg.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u) << info;
    EXPECT_NE(info.find("/photos/a%20b.jpg\n"), std::string::npos) << info;
    EXPECT_NE(info.find("DeletionDate="), std::string::npos);
    EXPECT_TRUE(fakes.dialogs->errors.isEmpty());
}

TEST(RecycleBin, MissingFilesAndMissingHomeFailAndLeaveEverythingInPlace)
{
    orvane::test::InstallFakeServices();
    TempTree tree({"photo.jpg"});
    {
        OwnHome home(tree.Path("home-that-does-not-exist"));
        EXPECT_FALSE(SendToRecycleBin(QString::fromStdString(tree.Path("photo.jpg"))));
        EXPECT_TRUE(std::filesystem::exists(tree.Path("photo.jpg")));
        EXPECT_FALSE(std::filesystem::exists(tree.Root() / "Trash"));
    }
    OwnHome home(tree.Path(""));
    EXPECT_FALSE(SendToRecycleBin(QString::fromStdString(tree.Path("nothing.jpg"))));
    EXPECT_FALSE(SendToRecycleBin(QString()));
}

TEST(DeleteTree, RemovesAWholeTreeWithHiddenFilesAndLinksWithoutFollowingThem)
{
    orvane::test::InstallFakeServices();
    TempTree keep({"kept.txt"});
    TempTree tree({"gone/a.txt", "gone/.hidden", "gone/sub/b.txt", "gone/sub/deeper/"});
    std::filesystem::create_symlink(keep.Root(), tree.Root() / "gone/link-to-kept");
    DeleteTree(QString::fromStdString(tree.Path("gone")));
    EXPECT_FALSE(std::filesystem::exists(tree.Root() / "gone"));
    EXPECT_TRUE(std::filesystem::exists(keep.Path("kept.txt")));
}

TEST(DeleteTree, ReadOnlyFileIsOfferedForRetryAndIgnoredFileMakesTheFinalRemovalFail)
{
    auto& fakes = orvane::test::InstallFakeServices();
    TempTree tree({"gone/locked.txt", "gone/free.txt"});
    std::filesystem::permissions(tree.Path("gone/locked.txt"), std::filesystem::perms::owner_read |
                                                                   std::filesystem::perms::group_read);
    fakes.dialogs->retryAnswers = {true}; // Retry once, then Ignore
    EXPECT_THROW(DeleteTree(QString::fromStdString(tree.Path("gone"))), EInOutError);
    ASSERT_EQ(fakes.dialogs->retryPrompts.size(), 2);
    EXPECT_EQ(fakes.dialogs->retryPrompts[0], "Cannot delete " + QString::fromStdString(tree.Path("gone/locked.txt")));
    EXPECT_TRUE(std::filesystem::exists(tree.Path("gone/locked.txt")));
    EXPECT_FALSE(std::filesystem::exists(tree.Path("gone/free.txt")));
}

TEST(DeleteFile, DeletesFilesAndLinksButKeepsWhatTheOwnerMadeReadOnly)
{
    TempTree keep({"target.txt"});
    TempTree tree({"plain.txt", "locked.txt"});
    std::filesystem::permissions(tree.Path("locked.txt"), std::filesystem::perms::owner_read);
    std::filesystem::create_symlink(keep.Path("target.txt"), tree.Root() / "link");
    std::filesystem::create_symlink(tree.Path("nowhere"), tree.Root() / "dangling");
    EXPECT_TRUE(Exists(tree.Path("dangling"))) << "a link is there whatever it points to";
    EXPECT_TRUE(IsLink(tree.Path("dangling")));
    EXPECT_FALSE(IsLink(tree.Path("plain.txt")));
    for (const char* name : {"plain.txt", "link", "dangling", "never-there"})
        EXPECT_TRUE(DeleteFile(tree.Path(name))) << name;
    EXPECT_FALSE(DeleteFile(tree.Path("locked.txt")));
    for (const char* name : {"plain.txt", "link", "dangling"})
        EXPECT_FALSE(Exists(tree.Path(name))) << name;
    EXPECT_TRUE(Exists(tree.Path("locked.txt")));
    EXPECT_TRUE(Exists(keep.Path("target.txt")));
}

TEST(IsHostile, EntriesThatCouldReachOutsideTheFolderAreRefused)
{
    TempTree outside({"victim.txt", "empty/"});
    TempTree tree({"program/sub/a.txt", "program/data/"});
    std::filesystem::create_directory_symlink(outside.Root(), tree.Root() / "program/link");
    std::filesystem::create_directory_symlink(outside.Root(), tree.Root() / "program/sub/deeper");
    const std::string folder = tree.Path("program/");
    struct Case {
        std::string entry;
        bool hostile;
    };
    for (const Case& c : {Case{"sub/a.txt", false}, Case{"data/", false}, Case{"link", false}, Case{"sub/gone.txt", false},
                          Case{outside.Path("victim.txt"), true}, Case{"../program/sub/a.txt", true},
                          Case{"sub/../../x", true}, Case{"..", true}, Case{"", true}, Case{std::string("sub\0/a", 6), true},
                          Case{"link/victim.txt", true}, Case{"link/empty/", true}, Case{"link/", true},
                          Case{"sub/deeper/", true}, Case{"sub/deeper/victim.txt", true}})
        EXPECT_EQ(IsHostile(folder, c.entry), c.hostile) << c.entry;
}

TEST(IsFolderEmpty, TrueForEmptyAndMissingFoldersOnly)
{
    TempTree tree({"empty/", "full/.hidden"});
    EXPECT_TRUE(IsFolderEmpty(QString::fromStdString(tree.Path("empty"))));
    EXPECT_FALSE(IsFolderEmpty(QString::fromStdString(tree.Path("full"))));
    EXPECT_TRUE(IsFolderEmpty(QString::fromStdString(tree.Path("missing"))));
}

TEST(BrowseForFolder, DropsOneTrailingSeparatorAndReportsCancel)
{
    auto& fakes = orvane::test::InstallFakeServices();
    QString chosen = "stale";
    EXPECT_FALSE(BrowseForFolder("Select a folder", "/home/me/", QString(), false, chosen));
    EXPECT_TRUE(chosen.isEmpty());
    fakes.dialogs->folderAnswers.push_back(QString("/data/pictures"));
    EXPECT_TRUE(BrowseForFolder("Select a folder", "/", QString(), false, chosen));
    EXPECT_EQ(chosen, "/data/pictures");
    ASSERT_EQ(fakes.dialogs->folderInitials.size(), 2);
    EXPECT_EQ(fakes.dialogs->folderInitials[0], "/home/me");
    EXPECT_EQ(fakes.dialogs->folderInitials[1], "/"); // the root stays the root
    EXPECT_EQ(fakes.dialogs->folderTitles[0], "Select a folder");
}
