// A collection of 1,000,000 files in 50,000 folders: both walks of ReadDir
// with the lists shown in real list views, measuring what a user feels and
// what the machine holds:
//   - the largest gap between handled window messages during the scan (a
//     zero-interval timer notes each time the window gets to run);
//   - the heap bytes held afterwards by both lists and their models and
//     views, per entry.
// The tree is made once under /tmp (it takes a minute) and kept.
#include "library/MediaLibrary.h"
#include "library/MediaListModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const std::string kTree = "/tmp/orvane-bench-walk-1m";

void EnsureTree()
{
    if (std::filesystem::exists(kTree + "/.complete"))
        return;
    std::filesystem::remove_all(kTree);
    int files = 0;
    for (int top = 0; top < 100; ++top) {
        for (int sub = 0; sub < 500; ++sub) {
            const std::string folder = kTree + "/year" + std::to_string(top) +
                                       (sub == 0 ? std::string() : "/event" + std::to_string(sub));
            std::filesystem::create_directories(folder);
            for (int i = 0; i < 20; ++i, ++files) {
                const char* ext = (files % 20) < 16 ? ".jpg" : (files % 20) == 16 ? ".avi" : ".txt";
                const std::string path = folder + "/IMG_" + std::to_string(files) + ext;
                const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
                if (fd >= 0)
                    ::close(fd);
            }
        }
    }
    std::ofstream(kTree + "/.complete");
}

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

size_t HeapInUse()
{
    malloc_trim(0);
    return mallinfo2().uordblks;
}

void BM_Library_ReadDir_1MFiles_50kFolders(benchmark::State& state)
{
    EnsureTree();
    double largestGapMs = 0;
    double bytesPerEntry = 0;
    size_t entries = 0;
    for (auto _ : state) {
        Host host;
        const size_t before = HeapInUse();
        auto library = std::make_unique<orvane::library::MediaLibrary>(host);
        QListView photos;
        QListView videos;
        photos.setUniformItemSizes(true);
        videos.setUniformItemSizes(true);
        photos.setModel(&library->ListBox1());
        videos.setModel(&library->ListBox2());
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

        entries = static_cast<size_t>(library->PhotoList.size() + library->VideoList.size());
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
