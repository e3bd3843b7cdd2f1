#include "library/FolderScanner.h"
#include "support/QtPrinters.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <filesystem>

using namespace orvane::library;
using orvane::test::TempTree;

namespace {

const NameList kBad{"_", "...misc", "...orig", "..notebook"};

QStringList Scan(const TempTree& tree, const NameList& extensions, const NameList& bad = kBad)
{
    QStringList out;
    ScanDir(QString::fromStdString(tree.RootText()), QString(), extensions, bad, out);
    return out;
}

// The order the file system lists a folder in, as the walk must keep it.
QStringList ListingOrder(const std::string& folder)
{
    QStringList names;
    DIR* dir = ::opendir(folder.c_str());
    while (dirent* entry = ::readdir(dir))
        if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
            names << QString::fromUtf8(entry->d_name);
    ::closedir(dir);
    return names;
}

} // namespace

TEST(FolderScanner, EntriesCarryTheirFolderPrefixesInListingOrderDepthFirst)
{
    TempTree tree({"a.jpg", "2005/trip/IMG_0001.JPG", "2005/b.jpeg", "2005/notes.txt", "c.jpg"});
    QStringList expected;
    // Build the expected order from the real listing order, depth first.
    std::function<void(const std::string&, const QString&)> walk = [&](const std::string& folder, const QString& prefix) {
        for (const QString& name : ListingOrder(folder)) {
            const std::string path = folder + "/" + name.toStdString();
            if (std::filesystem::is_directory(path))
                walk(path, prefix + name + "/");
            else if (!name.endsWith(".txt"))
                expected << prefix + name;
        }
    };
    walk(tree.RootText(), QString());
    const QStringList found = Scan(tree, {"jpg", "jpeg"});
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(found.contains("2005/trip/IMG_0001.JPG"));
    EXPECT_TRUE(found.contains("a.jpg"));
    EXPECT_EQ(found.size(), 4);
}

TEST(FolderScanner, ExtensionIsAfterTheLastDotAndComparedIgnoringCase)
{
    TempTree tree({"IMG.0001.JPG", "photo.jpg.bak", ".jpg", "noext", "x.Jpeg"});
    QStringList found = Scan(tree, {"jpg", "jpeg"});
    found.sort();
    EXPECT_EQ(found, QStringList({".jpg", "IMG.0001.JPG", "x.Jpeg"}));
}

TEST(FolderScanner, EmptyExtensionItemSelectsFilesWithoutExtension)
{
    TempTree tree({"README", "photo.jpg", "sub/Makefile"});
    QStringList found = Scan(tree, NameList(QStringList{""}));
    found.sort();
    EXPECT_EQ(found, QStringList({"README", "sub/Makefile"}));
}

TEST(FolderScanner, BadNamesAreSkippedAtEveryDepthForFoldersAndFiles)
{
    TempTree tree({"_/a.jpg", "deep/_/b.jpg", "deep/_x/c.jpg", "deep/...MISC/d.jpg", "deep/..notebook", "e.jpg",
                   "deep/f.jpg"});
    QStringList found = Scan(tree, {"jpg", "", "notebook"});
    found.sort();
    EXPECT_EQ(found, QStringList({"deep/_x/c.jpg", "deep/f.jpg", "e.jpg"}));
}

TEST(FolderScanner, HiddenFilesAndFoldersAreScannedLikeAnyOther)
{
    TempTree tree({".hidden/a.jpg", ".b.jpg"});
    QStringList found = Scan(tree, {"jpg"});
    found.sort();
    EXPECT_EQ(found, QStringList({".b.jpg", ".hidden/a.jpg"}));
}

TEST(FolderScanner, LinkLoopsEndAndEveryFileIsStillFound)
{
    TempTree tree({"a/b/c.jpg", "top.jpg"});
    std::filesystem::create_directory_symlink(tree.Root(), tree.Root() / "a/b/up");  // to the root
    std::filesystem::create_directory_symlink(tree.Root() / "a", tree.Root() / "a/b/loop"); // to an ancestor
    TempTree outside({"x.jpg"});
    std::filesystem::create_directory_symlink(outside.Root(), tree.Root() / "a/out"); // a real linked folder
    std::filesystem::create_symlink(tree.Root() / "missing", tree.Root() / "broken.jpg");
    QStringList found = Scan(tree, {"jpg"});
    found.sort();
    EXPECT_EQ(found, QStringList({"a/b/c.jpg", "a/out/x.jpg", "broken.jpg", "top.jpg"}));
}

TEST(FolderScanner, MissingOrUnreadableFoldersContributeNothing)
{
    TempTree tree({"ok/a.jpg", "locked/b.jpg"});
    std::filesystem::permissions(tree.Root() / "locked", std::filesystem::perms::none);
    QStringList found;
    ScanDir(QString::fromStdString(tree.Path("missing")), QString(), {"jpg"}, kBad, found);
    EXPECT_TRUE(found.isEmpty());
    found = Scan(tree, {"jpg"});
    // Root ignores permissions; an ordinary user would not see b.jpg.
    EXPECT_TRUE(found.contains("ok/a.jpg"));
}

TEST(FolderScanner, PumpsMessagesOncePerFolder)
{
    TempTree tree({"a/1.jpg", "a/2.jpg", "b/c/3.jpg", "4.jpg"});
    int pumps = 0;
    QStringList found;
    ScanDir(QString::fromStdString(tree.RootText()), QString(), {"jpg"}, kBad, found, [&] { ++pumps; });
    EXPECT_EQ(pumps, 4); // root, a, b, b/c
    EXPECT_EQ(found.size(), 4);
}

TEST(FolderScanner, DeepTreesAndLinksToPipesAreWalkedWithoutHanging)
{
    // 200 levels: deeper than the walk keeps folders open for, so the lower
    // ones open by full path.
    std::string deep;
    for (int level = 0; level < 200; ++level)
        deep += "d/";
    TempTree tree({deep + "bottom.jpg", "d/top.jpg"});
    ASSERT_EQ(::mkfifo(tree.Path("pipe").c_str(), 0600), 0);
    // A link to a pipe is looked at as a possible folder: opening the pipe
    // itself would wait for a writer for ever.
    std::filesystem::create_symlink(tree.Root() / "pipe", tree.Root() / "pipe.jpg");
    QStringList found = Scan(tree, {"jpg"});
    found.sort();
    EXPECT_EQ(found, QStringList({QString::fromStdString(deep + "bottom.jpg"), "d/top.jpg", "pipe.jpg"}));
}
