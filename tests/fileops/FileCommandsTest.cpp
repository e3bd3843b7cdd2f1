#include "fileops/FileCommands.h"
#include "support/QtPrinters.h"
#include "support/TempTree.h"
#include "TmpfsMount.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

using namespace orvane::fileops;
using orvane::test::TempTree;

TEST(FileCommands, TargetLinesOfEachCommand)
{
    struct Case { FileCommand command; const char* line; const char* text; const char* target; };
    const Case cases[] = {
        {FileCommand::MoveInFolder, "2005/trip/a.jpg", "best", "2005/trip/best/a.jpg"},
        {FileCommand::MoveInFolder, "a.jpg", "best", "best/a.jpg"},
        {FileCommand::RenameFolder, "A/B/a.jpg", "T", "A/T/a.jpg"},
        {FileCommand::RenameFolder, "B/a.jpg", "T", "T/a.jpg"},
        {FileCommand::RenameFolder, "a.jpg", "T", "T/a.jpg"},
        {FileCommand::AddToFilename, "x/IMG.0001.JPG", "sea", "x/IMG.0001 sea.JPG"},
        {FileCommand::AddToFilename, "x.y/README", "v2", "x.y/README v2"},
        {FileCommand::AddToFilename, "a.jpg", " spaced ", "a  spaced .jpg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TargetLine(c.command, c.line, c.text), c.target) << c.line;
}

TEST(FileCommands, MovesNeverReplaceAFileAndLeaveTheOriginalOnFailure)
{
    TempTree tree({"a.jpg", "b.jpg", "d/"});
    tree.Add("a.jpg", "A");
    tree.Add("b.jpg", "B");
    EXPECT_FALSE(MoveFileNoReplace(QString::fromStdString(tree.Path("a.jpg")), QString::fromStdString(tree.Path("b.jpg"))));
    EXPECT_EQ(orvane::test::ReadFileBytes(tree.Path("b.jpg")), std::vector<unsigned char>({'B'}));
    EXPECT_TRUE(std::filesystem::exists(tree.Path("a.jpg")));
    EXPECT_TRUE(MoveFileNoReplace(QString::fromStdString(tree.Path("a.jpg")), QString::fromStdString(tree.Path("d/a.jpg"))));
    EXPECT_FALSE(std::filesystem::exists(tree.Path("a.jpg")));
    EXPECT_EQ(orvane::test::ReadFileBytes(tree.Path("d/a.jpg")), std::vector<unsigned char>({'A'}));
    EXPECT_FALSE(MoveFileNoReplace(QString::fromStdString(tree.Path("gone.jpg")), QString::fromStdString(tree.Path("x.jpg"))));
}

TEST(FileCommands, MoveInFolderCreatesOneLevelAndReportsEachFailedLine)
{
    TempTree tree({"p/a.jpg", "p/b.jpg", "p/keep/b.jpg", "q/c.jpg"});
    QStringList lines({"p/a.jpg", "p/b.jpg", "q/c.jpg"});
    int failures = 0;
    RunFileCommand(FileCommand::MoveInFolder, QString::fromStdString(tree.RootText()), lines, {0, 1}, "keep",
                   [&] { ++failures; });
    EXPECT_EQ(lines, QStringList({"p/keep/a.jpg", "p/b.jpg", "q/c.jpg"})); // b exists in keep already
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(std::filesystem::exists(tree.Path("p/keep/a.jpg")));
    EXPECT_TRUE(std::filesystem::exists(tree.Path("p/b.jpg")));
    // Two new levels at once cannot be made: the move fails.
    RunFileCommand(FileCommand::MoveInFolder, QString::fromStdString(tree.RootText()), lines, {2}, "x/y",
                   [&] { ++failures; });
    EXPECT_EQ(failures, 2);
    EXPECT_TRUE(std::filesystem::exists(tree.Path("q/c.jpg")));
}

TEST(FileCommands, ChangeAFolderMovesBesideAndRemovesTheEmptiedFolder)
{
    TempTree tree({"A/B/a.jpg", "A/C/b.jpg", "A/C/other.txt", "root.jpg"});
    QStringList lines({"A/B/a.jpg", "A/C/b.jpg", "root.jpg"});
    RunFileCommand(FileCommand::RenameFolder, QString::fromStdString(tree.RootText()), lines, {0, 1, 2}, "T", [] {});
    EXPECT_EQ(lines, QStringList({"A/T/a.jpg", "A/T/b.jpg", "T/root.jpg"}));
    EXPECT_FALSE(std::filesystem::exists(tree.Root() / "A/B"));      // emptied: removed
    EXPECT_TRUE(std::filesystem::exists(tree.Path("A/C/other.txt"))); // still holds a file: kept
    EXPECT_TRUE(std::filesystem::exists(tree.Root()));
}

TEST(FileCommands, TextAndHistoryRules)
{
    EXPECT_FALSE(UsableText("   \t"));
    EXPECT_FALSE(UsableText(""));
    EXPECT_TRUE(UsableText(" x "));
    QStringList history({"Trip"});
    AddToHistory(history, "TRIP");
    AddToHistory(history, "beach");
    EXPECT_EQ(history, QStringList({"Trip", "beach"}));
}

TEST(FileMoves, EachWayWithinAFileSystemMovesAndNeverReplaces)
{
    // Every fallback on its own, as on a file system that lacks the ones
    // before it.
    for (const auto strategy : {MoveWithinStrategy::NoReplaceRename, MoveWithinStrategy::LinkThenUnlink,
                                MoveWithinStrategy::ClaimThenRename}) {
        TempTree tree;
        tree.Add("a.jpg", "A");
        tree.Add("b.jpg", "B");
        const int way = static_cast<int>(strategy);
        EXPECT_FALSE(MoveWithinFileSystem(QString::fromStdString(tree.Path("a.jpg")),
                                          QString::fromStdString(tree.Path("b.jpg")), strategy)) << way;
        EXPECT_EQ(orvane::test::ReadFileBytes(tree.Path("b.jpg")), std::vector<unsigned char>({'B'})) << way;
        EXPECT_TRUE(MoveWithinFileSystem(QString::fromStdString(tree.Path("a.jpg")),
                                         QString::fromStdString(tree.Path("c.jpg")), strategy)) << way;
        EXPECT_FALSE(std::filesystem::exists(tree.Path("a.jpg"))) << way;
        EXPECT_EQ(orvane::test::ReadFileBytes(tree.Path("c.jpg")), std::vector<unsigned char>({'A'})) << way;
    }
}

TEST(FileMoves, AcrossFileSystemsTheCopyKeepsTimesModeAndLinksAndFailuresLeaveTheOriginal)
{
    TempTree tree({"card/", "elsewhere.txt"});
    orvane::test::TmpfsMount card(tree.Path("card"), "3m");
    if (!card.Mounted())
        GTEST_SKIP() << "needs root to mount a second file system";
    const auto path = [&](const char* name) { return QString::fromStdString(tree.Path(name)); };

    // A file of several chunks: progress between them, mtime and mode kept.
    std::vector<unsigned char> big(kMoveChunkBytes * 2 + 5);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<unsigned char>(i * 31);
    tree.Write("big.bin", big);
    std::filesystem::permissions(tree.Path("big.bin"), std::filesystem::perms(0640));
    const auto mtime = std::filesystem::last_write_time(tree.Path("big.bin")) - std::chrono::hours(50);
    std::filesystem::last_write_time(tree.Path("big.bin"), mtime);
    std::vector<int> percents;
    ASSERT_TRUE(MoveFileNoReplace(path("big.bin"), path("card/big.bin"), [&](int p) { percents.push_back(p); }));
    EXPECT_FALSE(std::filesystem::exists(tree.Path("big.bin")));
    EXPECT_EQ(orvane::test::ReadFileBytes(tree.Path("card/big.bin")), big);
    EXPECT_EQ(std::filesystem::last_write_time(tree.Path("card/big.bin")), mtime);
    EXPECT_EQ(std::filesystem::status(tree.Path("card/big.bin")).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(percents, (std::vector<int>{49, 99, 100}));

    // A link arrives as the same link.
    std::filesystem::create_symlink(tree.Path("elsewhere.txt"), tree.Path("link"));
    ASSERT_TRUE(MoveFileNoReplace(path("link"), path("card/link")));
    EXPECT_EQ(std::filesystem::read_symlink(tree.Path("card/link")), tree.Path("elsewhere.txt"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(tree.Path("link"))));

    // The name taken on the other side, or no room there: nothing changes
    // and no partial copy is left.
    tree.Add("taken", "mine");
    tree.Add("card/taken", "theirs");
    EXPECT_FALSE(MoveFileNoReplace(path("taken"), path("card/taken")));
    EXPECT_EQ(orvane::test::ReadFileBytes(tree.Path("card/taken")), std::vector<unsigned char>({'t', 'h', 'e', 'i', 'r', 's'}));
    tree.Write("huge.bin", std::vector<unsigned char>(kMoveChunkBytes * 2, 7));
    EXPECT_FALSE(MoveFileNoReplace(path("huge.bin"), path("card/huge.bin")));
    EXPECT_EQ(std::filesystem::file_size(tree.Path("huge.bin")), kMoveChunkBytes * 2);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(tree.Path("card")))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"big.bin", "link", "taken"}));
}

TEST(FileMoves, CommandsShowTheProgressOfALongCopyInTheStatusLine)
{
    TempTree tree({"card/"});
    orvane::test::TmpfsMount card(tree.Path("card"), "4m");
    if (!card.Mounted())
        GTEST_SKIP() << "needs root to mount a second file system";
    tree.Write("my photo.jpg", std::vector<unsigned char>(kMoveChunkBytes + 1, 1));
    QStringList lines({"my photo.jpg"});
    QStringList status;
    RunFileCommand(FileCommand::MoveInFolder, QString::fromStdString(tree.RootText()), lines, {0}, "card", [] {},
                   [&](const QString& text) { status.append(text); });
    EXPECT_EQ(lines, QStringList({"card/my photo.jpg"}));
    EXPECT_EQ(status, QStringList({"Moving my photo.jpg: 99%", "Moving my photo.jpg: 100%"}));
}
