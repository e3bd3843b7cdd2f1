// The folder walk: both walks of ReadDir over 100,000 files in 5,000 folders,
// against listing the same tree twice with a plain readdir loop.
#include "library/MediaLibrary.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const std::string kTree = "/tmp/orvane-bench-walk-100k";

// 5,000 folders (50 top folders of 99 sub-folders each, plus the 50
// themselves and the root's files) with 100,000 files: 80% pictures, 5%
// videos, the rest other files.
void EnsureTree()
{
    if (std::filesystem::exists(kTree + "/.complete"))
        return;
    std::filesystem::remove_all(kTree);
    int files = 0;
    for (int top = 0; top < 50; ++top) {
        for (int sub = 0; sub < 100; ++sub) {
            const std::string folder = kTree + "/year" + std::to_string(top) +
                                       (sub == 0 ? std::string() : "/event" + std::to_string(sub));
            std::filesystem::create_directories(folder);
            for (int i = 0; i < 20; ++i, ++files) {
                const char* ext = (files % 20) < 16 ? ".jpg" : (files % 20) == 16 ? ".avi" : ".txt";
                std::ofstream(folder + "/IMG_" + std::to_string(files) + ext);
            }
        }
    }
    std::ofstream(kTree + "/.complete");
}

size_t PlainList(const std::string& folder)
{
    size_t count = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    while (dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        if (entry->d_type == DT_DIR)
            count += PlainList(folder + "/" + name);
        else
            ++count;
    }
    ::closedir(dir);
    return count;
}

void BM_Readdir_ListTreeTwice_100kFiles(benchmark::State& state)
{
    EnsureTree();
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlainList(kTree));
        benchmark::DoNotOptimize(PlainList(kTree));
    }
}
BENCHMARK(BM_Readdir_ListTreeTwice_100kFiles)->Unit(benchmark::kMillisecond)->MinTime(3);

class Host : public orvane::library::LibraryHost {
public:
    int ActivePage() const override { return 0; }
    bool ShuffleOn() const override { return false; }
    QString RootFolder() const override { return QString::fromStdString(kTree); }
    QString CurrentFile() const override { return {}; }
    bool SetThis(const QString&, bool) override { return true; }
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void SetTabCaption(int, const QString&) override {}
};

void BM_Library_ReadDir_100kFiles_5kFolders(benchmark::State& state)
{
    EnsureTree();
    Host host;
    orvane::library::MediaLibrary library(host);
    for (auto _ : state) {
        library.ReadDir();
        benchmark::DoNotOptimize(library.PhotoList.size());
    }
    state.counters["photos"] = static_cast<double>(library.PhotoList.size());
    state.counters["videos"] = static_cast<double>(library.VideoList.size());
}
BENCHMARK(BM_Library_ReadDir_100kFiles_5kFolders)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
