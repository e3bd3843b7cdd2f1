// A collection of 1,000,000 files in 50,000 folders: both walks of ReadDir
// with the lists shown in real list views, measuring what a user feels and
// what the machine holds:
//   - the largest gap between handled window messages during the scan (a
//     zero-interval timer notes each time the window gets to run);
//   - the heap bytes held afterwards by both lists and their models and
//     views, per entry.
// The tree is made once under /tmp (it takes a minute) and kept.
#include "WalkTree.h"
#include "library/MediaLibrary.h"
#include "library/MediaListModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <string>

namespace {

const std::string kTree = "/tmp/orvane-bench-walk-1m";

size_t HeapInUse()
{
    malloc_trim(0);
    return mallinfo2().uordblks;
}

void BM_Library_ReadDir_1MFiles_50kFolders(benchmark::State& state)
{
    orvane::bench::EnsureWalkTree(kTree, 100, 500, 20);
    double largestGapMs = 0;
    double bytesPerEntry = 0;
    size_t entries = 0;
    for (auto _ : state) {
        orvane::bench::ScanHost host(kTree);
        const size_t before = HeapInUse();
        auto library = std::make_unique<orvane::library::MediaLibrary>(host);
        QListView photos;
        QListView videos;
        photos.setUniformItemSizes(true);
        videos.setUniformItemSizes(true);
        photos.setModel(&library->PhotoLines());
        videos.setModel(&library->VideoLines());
        photos.resize(400, 800);
        videos.resize(400, 800);
        photos.show();
        videos.show();
        QCoreApplication::processEvents();

        // The window's turns: a zero timer runs each time messages are handled.
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 largest = 0;
        QTimer tick;
        tick.setInterval(0);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            largest = std::max(largest, now - last);
            last = now;
        });
        tick.start();
        clock.start();
        library->ReadDir();
        QCoreApplication::processEvents(); // the views take the new lines
        largest = std::max(largest, clock.nsecsElapsed() - last);
        tick.stop();

        entries = static_cast<size_t>(library->scannedPhotos.size() + library->scannedVideos.size());
        const size_t after = HeapInUse();
        bytesPerEntry = static_cast<double>(after - before) / static_cast<double>(entries);
        largestGapMs = static_cast<double>(largest) / 1e6;
    }
    state.counters["entries"] = static_cast<double>(entries);
    state.counters["largest_gap_ms"] = largestGapMs;
    state.counters["bytes_per_entry"] = bytesPerEntry;
}
BENCHMARK(BM_Library_ReadDir_1MFiles_50kFolders)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
