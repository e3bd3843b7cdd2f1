// The file list with 100,000 entries: filling a list box, and a search that
// refills both, each against the scan of the same entries; and start-up with
// a stored root folder of 10,000 files and a 24-megapixel picture against
// the scan alone.
#include "LibjpegDecode.h"
#include "app/Settings.h"
#include "imaging/core/PictureLoader.h"
#include "imaging/registry/PlatformPictureClasses.h"
#include "library/FolderScanner.h"
#include "support/FakeServices.h"
#include "support/TestImages.h"
#include "support/MainWindowAccess.h"
#include "ui/MediaListView.h"
#include "ui/TForm1.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace {

const std::string kBig = "/tmp/orvane-bench-lists-100k";
const std::string kSmall = "/tmp/orvane-bench-start-10k-24mp";

void EnsureTree(const std::string& root, int folders, int perFolder)
{
    if (std::filesystem::exists(root + "/.complete"))
        return;
    std::filesystem::remove_all(root);
    int n = 0;
    for (int f = 0; f < folders; ++f) {
        const std::string folder = root + "/album" + std::to_string(f % 50) + "/event" + std::to_string(f);
        std::filesystem::create_directories(folder);
        for (int i = 0; i < perFolder; ++i, ++n)
            std::ofstream(folder + "/IMG_" + std::to_string(n) + ((n % 10) ? ".jpg" : ".avi"));
    }
    // The stored current picture: a photo-like 24-megapixel JPEG (gradients
    // with noise).
    orvane::test::RgbImage photo = orvane::test::RgbImage::Gradient(6000, 4000);
    std::mt19937 random(7);
    for (auto& value : photo.rgb)
        value = static_cast<uint8_t>(std::clamp<int>(value + static_cast<int>(random() % 21) - 10, 0, 255));
    orvane::test::WriteJpeg(root + "/shown.jpg", photo, 90);
    std::ofstream(root + "/.complete");
}

orvane::library::NameList Photos{QStringLiteral("jpg"), QStringLiteral("jpeg")};
orvane::library::NameList Bad{QStringLiteral("_")};

void BM_Library_ScanDir_100kEntries(benchmark::State& state)
{
    EnsureTree(kBig, 1000, 100);
    for (auto _ : state) {
        QStringList out;
        orvane::library::ScanDir(QString::fromStdString(kBig), QString(), Photos, Bad, out,
                                 [] { QCoreApplication::processEvents(); });
        benchmark::DoNotOptimize(out.size());
    }
}
BENCHMARK(BM_Library_ScanDir_100kEntries)->Unit(benchmark::kMillisecond)->MinTime(2);

struct Window {
    Window()
    {
        orvane::imaging::RegisterPlatformPictureClasses();
        orvane::test::InstallFakeServices();
        form = std::make_unique<orvane::ui::TForm1>();
        form->resize(1280, 800);
        form->show();
        QApplication::processEvents();
    }
    std::unique_ptr<orvane::ui::TForm1> form;
};

void BM_Orvane_FillListBox_100kEntries(benchmark::State& state)
{
    EnsureTree(kBig, 1000, 100);
    Window window;
    QStringList entries;
    orvane::library::ScanDir(QString::fromStdString(kBig), QString(), Photos, Bad, entries);
    auto& list = window.form->Library().PhotoLines();
    for (auto _ : state) {
        list.SetLines(entries);
        orvane::test::FindControl<QWidget>(*window.form, "ListBox1")->repaint(); // laid out and painted
        state.PauseTiming();
        list.SetLines({});
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["lines"] = static_cast<double>(entries.size());
}
BENCHMARK(BM_Orvane_FillListBox_100kEntries)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_Orvane_SearchRefillsBothLists_100kEntries(benchmark::State& state)
{
    EnsureTree(kBig, 1000, 100);
    Window window;
    orvane::test::ChangeSettings(*window.form, [&](orvane::ui::Settings& s) { s.rootFolder = QString::fromStdString(kBig); });
    window.form->ReadDir();
    bool flip = false;
    for (auto _ : state) {
        // Alternate two searches so every run refills both lists.
        orvane::test::FindControl<QLineEdit>(*window.form, "e1")->setText(flip ? QStringLiteral("event5") : QStringLiteral("img_1"));
        flip = !flip;
        window.form->GoSearch();
        orvane::test::FindControl<QWidget>(*window.form, "ListBox1")->repaint();
    }
}
BENCHMARK(BM_Orvane_SearchRefillsBothLists_100kEntries)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_Library_ScanDir_10kEntries(benchmark::State& state)
{
    EnsureTree(kSmall, 100, 100);
    for (auto _ : state) {
        QStringList out;
        orvane::library::ScanDir(QString::fromStdString(kSmall), QString(), Photos, Bad, out,
                                 [] { QCoreApplication::processEvents(); });
        benchmark::DoNotOptimize(out.size());
    }
}
BENCHMARK(BM_Library_ScanDir_10kEntries)->Unit(benchmark::kMillisecond)->MinTime(2);

// From creating the window to the stored current file painted, with a
// stored root folder of 10,000 files and a stored 24-megapixel picture.
void BM_Orvane_StartUpWithStoredRoot_10kFiles_24MP(benchmark::State& state)
{
    EnsureTree(kSmall, 100, 100);
    orvane::imaging::RegisterPlatformPictureClasses();
    orvane::test::InstallFakeServices();
    for (auto _ : state) {
        auto form = std::make_unique<orvane::ui::TForm1>();
        orvane::test::ChangeSettings(*form, [&](orvane::ui::Settings& s) {
            s.rootFolder = QString::fromStdString(kSmall);
            s.currentFile = QString::fromStdString(kSmall + "/shown.jpg");
        });
        form->FormCreate();
        form->show();
        form->repaint();
        state.PauseTiming();
        form.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Orvane_StartUpWithStoredRoot_10kFiles_24MP)->Unit(benchmark::kMillisecond)->MinTime(2);

// What start-up cannot do without: libjpeg alone decoding the stored picture
// at the 1/8 scale the window shows it at (its entropy decoding is the same
// at every scale).
void BM_Libjpeg_DecodeEighthScale_24MP(benchmark::State& state)
{
    EnsureTree(kSmall, 100, 100);
    for (auto _ : state) {
        const std::vector<uint8_t> pixels = LibjpegDecodeFile(kSmall + "/shown.jpg", 8);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_Libjpeg_DecodeEighthScale_24MP)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

namespace {
void BM_Orvane_CreateWindowOnly(benchmark::State& state)
{
    orvane::imaging::RegisterPlatformPictureClasses();
    orvane::test::InstallFakeServices();
    for (auto _ : state) {
        auto form = std::make_unique<orvane::ui::TForm1>();
        form->FormCreate();
        form->show();
        form->repaint();
        state.PauseTiming();
        form.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Orvane_CreateWindowOnly)->Unit(benchmark::kMillisecond)->MinTime(2);
void BM_Orvane_ShowStoredFile(benchmark::State& state)
{
    orvane::imaging::RegisterPlatformPictureClasses();
    for (auto _ : state) {
        auto p = orvane::imaging::TPictureLoader::Instance().LoadFromFile(kSmall + "/shown.jpg");
        benchmark::DoNotOptimize(p.get());
    }
}
BENCHMARK(BM_Orvane_ShowStoredFile)->Unit(benchmark::kMillisecond)->MinTime(2);
}
