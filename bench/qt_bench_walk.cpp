// The folder walk: both walks of ReadDir over 100,000 files in 5,000 folders,
// against listing the same tree twice with a plain readdir loop.
#include "WalkTree.h"
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
// themselves) with 100,000 files.
void EnsureTree()
{
    orvane::bench::EnsureWalkTree(kTree, 50, 100, 20);
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

void BM_Library_ReadDir_100kFiles_5kFolders(benchmark::State& state)
{
    EnsureTree();
    orvane::bench::ScanHost host(kTree);
    orvane::library::MediaLibrary library(host);
    for (auto _ : state) {
        library.ReadDir();
        benchmark::DoNotOptimize(library.scannedPhotos.size());
    }
    state.counters["photos"] = static_cast<double>(library.scannedPhotos.size());
    state.counters["videos"] = static_cast<double>(library.scannedVideos.size());
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
