// Thousands of random file commands on a tree of awkward names (blanks, dots,
// no extension, non-ASCII, names that collide), with part of the tree on a
// second file system when the test may mount one: afterwards every original
// file is found exactly once, in the tree or in the trash, with its own
// content, and no temporary copy is left behind.
#include "fileops/FileCommands.h"
#include "fileops/FileFunctions.h"
#include "support/FakeServices.h"
#include "support/TempTree.h"
#include "TmpfsMount.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sys/stat.h>

using namespace orvane::fileops;
namespace fs = std::filesystem;

namespace {

const char* const Names[] = {"a.jpg", "a.JPG", "a .jpg", "IMG.0001.jpg", "noext", ".hidden", "x.y.z", "été.png",
                             "日本 写真.jpg", "trailing.", "..dots", "a.jpg.jpg"};
const char* const Texts[] = {"best", "best ", "T", "Ünï", "a.jpg", "x.y", "card", " 2"};
const char* const Prefix = "orvane-random-file-";

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Regular files holding one of our contents, and links, anywhere below root
// (the trash folders included), by content or link text; temporary names are
// collected too.
void Survey(const fs::path& root, std::map<std::string, int>& found, std::vector<std::string>& temporaries)
{
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path path = it->path();
        if (path.filename().string().rfind(".orvane-move-", 0) == 0)
            temporaries.push_back(path.string());
        if (it->is_symlink())
            ++found["link:" + fs::read_symlink(path).string()];
        else if (it->is_regular_file()) {
            const std::string text = ReadText(path);
            if (text.rfind(Prefix, 0) == 0)
                ++found[text];
        }
    }
}

dev_t Device(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_dev : 0;
}

} // namespace

TEST(FileCommandsRandom, EveryFileSurvivesExactlyOnce)
{
    auto& fakes = orvane::test::InstallFakeServices();
    (void)fakes;
    orvane::test::TempTree tree({"home/", "photos/card/", "elsewhere/"});
    const std::string home = tree.Path("home");
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
    // The card folder is another file system when the test may mount one:
    // moves into and out of it then copy.
    orvane::test::TmpfsMount card(tree.Path("photos/card"), "8m");
    if (!card.Mounted())
        std::printf("not root: moves across file systems are not part of this run\n");

    std::mt19937 random(20261209);
    const auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    const QString root = QString::fromStdString(tree.Path("photos"));
    QStringList lines;
    std::map<std::string, int> expected;
    for (int i = 0; i < 120; ++i) {
        const std::string folder = i % 4 == 0 ? "card/" : i % 4 == 1 ? "" : "f" + std::to_string(i % 3) + " x/";
        const std::string line = folder + std::to_string(i % 7) + " " + Names[pick(std::size(Names))];
        const std::string path = tree.Path("photos/" + line);
        if (fs::exists(fs::symlink_status(path)))
            continue;
        fs::create_directories(fs::path(path).parent_path());
        if (i % 10 == 9) {
            // A link moves as a link; what it points to stays.
            const std::string target = tree.Path("elsewhere/" + std::to_string(i));
            tree.Add("elsewhere/" + std::to_string(i), Prefix + std::string("target ") + std::to_string(i));
            ++expected[Prefix + std::string("target ") + std::to_string(i)];
            fs::create_symlink(target, path);
            ++expected["link:" + target];
        } else {
            const std::string content = Prefix + std::to_string(i);
            std::ofstream(path, std::ios::binary) << content;
            ++expected[content];
        }
        lines.append(QString::fromStdString(line));
    }

    int moved = 0, failed = 0, trashed = 0, crossed = 0;
    for (int step = 0; step < 3000 && !lines.isEmpty(); ++step) {
        QList<int> selected;
        for (int i = 0; i < lines.size(); ++i)
            if (pick(lines.size()) < 2)
                selected.append(i);
        if (selected.isEmpty())
            selected.append(static_cast<int>(pick(lines.size())));
        const size_t operation = pick(100);
        if (operation == 0) {
            // Trashing removes the lines whether or not the files went.
            for (const int i : selected)
                trashed += SendToRecycleBin(root + QLatin1Char('/') + lines.at(i));
            for (auto it = selected.rbegin(); it != selected.rend(); ++it)
                lines.removeAt(*it);
            continue;
        }
        // Changing a folder keeps files near the top, where "card" moves
        // them onto and off the other file system.
        const FileCommand command = operation < 30 ? FileCommand::MoveInFolder
                                    : operation < 75 ? FileCommand::RenameFolder
                                                     : FileCommand::AddToFilename;
        const char* text = pick(3) == 0 ? "card" : Texts[pick(std::size(Texts))];
        const QStringList before = lines;
        std::map<int, dev_t> devices;
        for (const int i : selected)
            devices[i] = Device(tree.Path("photos/" + lines.at(i).toStdString()));
        int failures = 0;
        RunFileCommand(command, root, lines, selected, QString::fromUtf8(text), [&] { ++failures; });
        failed += failures;
        for (const int i : selected) {
            // A line names its file, whether it moved or not.
            const fs::path file = tree.Path("photos/" + lines.at(i).toStdString());
            ASSERT_TRUE(fs::exists(fs::symlink_status(file))) << file << " after step " << step;
            moved += lines.at(i) != before.at(i);
            crossed += Device(file.string()) != devices[i];
        }
    }

    std::map<std::string, int> found;
    std::vector<std::string> temporaries;
    Survey(tree.Root(), found, temporaries);
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(temporaries.empty()) << temporaries.front();
    std::printf("%d moves (%d to another file system), %d refused, %d trashed, %d lines left\n", moved, crossed,
                failed, trashed, static_cast<int>(lines.size()));
    // The run reached every outcome: moves, refusals, trashing.
    EXPECT_GT(moved, 500);
    EXPECT_GT(failed, 50);
    EXPECT_GT(trashed, 5);
    if (card.Mounted()) {
        EXPECT_GT(crossed, 50);
    }
    if (oldHome)
        ::setenv("HOME", savedHome.c_str(), 1);
}
