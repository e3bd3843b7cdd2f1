// Start-up with a stored root folder of 10,000 files and a stored 24-megapixel
// current picture: from creating the main window (settings read, scan, the
// stored picture shown and painted) against the scan of the same tree alone.
#include "app/Settings.h"
#include "imaging/core/PictureLoader.h"
#include "library/MediaLibrary.h"
#include "platform/Registry.h"
#include "support/FakeServices.h"
#include "support/TestImages.h"
#include "ui/PictureSurface.h"
#include "ui/TForm1.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

const std::string kTree = "/tmp/orvane-bench-startup-10k";
const std::string kConfig = "/tmp/orvane-bench-startup-config";

// 500 folders of 20 files (16 pictures, 1 video, 3 others) and one photo-like
// 6000 x 4000 JPEG.
void EnsureTree()
{
    if (std::filesystem::exists(kTree + "/.complete"))
        return;
    std::filesystem::remove_all(kTree);
    int files = 0;
    for (int folder = 0; folder < 500; ++folder) {
        const std::string path = kTree + "/album" + std::to_string(folder / 25) + "/day" + std::to_string(folder);
        std::filesystem::create_directories(path);
        for (int i = 0; i < 20; ++i, ++files) {
            const char* ext = (files % 20) < 16 ? ".jpg" : (files % 20) == 16 ? ".avi" : ".txt";
            std::ofstream(path + "/IMG_" + std::to_string(files) + ext);
        }
    }
    orvane::test::RgbImage image = orvane::test::RgbImage::Gradient(6000, 4000);
    std::mt19937 random(7);
    for (auto& value : image.rgb)
        value = static_cast<uint8_t>(std::clamp<int>(value + static_cast<int>(random() % 21) - 10, 0, 255));
    orvane::test::WriteJpeg(kTree + "/album0/big.jpg", image, 90);
    std::ofstream(kTree + "/.complete");
}

void WriteSettings()
{
    std::filesystem::remove_all(kConfig);
    orvane::platform::TRegistry registry;
    registry.OpenKey(QString::fromLatin1(orvane::app::kAdditionalKey), true);
    registry.WriteString("Dir", QString::fromStdString(kTree));
    registry.WriteString("FileName", QString::fromStdString(kTree + "/album0/big.jpg"));
    registry.CloseKey();
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

void BM_Library_ReadDir_10kFiles(benchmark::State& state)
{
    EnsureTree();
    Host host;
    orvane::library::MediaLibrary library(host);
    for (auto _ : state) {
        library.ReadDir();
        benchmark::DoNotOptimize(library.PhotoList.size());
    }
}
BENCHMARK(BM_Library_ReadDir_10kFiles)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_Orvane_StartToStoredPicturePainted_10kFiles_24MP(benchmark::State& state)
{
    EnsureTree();
    WriteSettings();
    orvane::imaging::RegisterPlatformPictureClasses();
    orvane::test::InstallFakeServices();
    for (auto _ : state) {
        auto form = std::make_unique<orvane::ui::TForm1>();
        form->OnGetSettings = orvane::app::GetSettings;
        form->FormCreate();
        form->show();
        form->im2->repaint();
        benchmark::DoNotOptimize(form->im2->Picture());
        state.PauseTiming();
        form.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Orvane_StartToStoredPicturePainted_10kFiles_24MP)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_CONFIG_HOME", kConfig.c_str(), 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
