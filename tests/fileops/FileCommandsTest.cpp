#include "fileops/FileCommands.h"
#include "support/QtPrinters.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

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
