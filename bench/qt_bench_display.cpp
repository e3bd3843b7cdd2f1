// The display step: from ShortNext to the picture painted for a 24-megapixel
// JPEG, against libjpeg alone decoding the same file to RGB; and painting a
// shown picture again after a one-pixel resize.
#include "LibjpegDecode.h"
#include "imaging/core/PictureLoader.h"
#include "imaging/registry/PlatformPictureClasses.h"
#include "support/FakeServices.h"
#include "support/TestImages.h"
#include "support/MainWindowAccess.h"
#include "ui/PictureSurface.h"
#include "ui/TForm1.h"
#include "viewer/ItemDisplay.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace {

const std::string kFolder = "/tmp/orvane-bench-display";

// A photo-like 6000 x 4000 picture: smooth gradients with noise.
void EnsurePictures()
{
    if (std::filesystem::exists(kFolder + "/d.jpg"))
        return;
    std::filesystem::create_directories(kFolder);
    orvane::test::RgbImage image = orvane::test::RgbImage::Gradient(6000, 4000);
    std::mt19937 random(7);
    for (auto& value : image.rgb)
        value = static_cast<uint8_t>(std::clamp<int>(value + static_cast<int>(random() % 21) - 10, 0, 255));
    orvane::test::WriteJpeg(kFolder + "/a.jpg", image, 90);
    orvane::test::WriteJpeg(kFolder + "/b.jpg", image, 88);
    // Four pictures, so the one ahead is never also the one shown before.
    orvane::test::WriteJpeg(kFolder + "/c.jpg", image, 87);
    orvane::test::WriteJpeg(kFolder + "/d.jpg", image, 86);
}

void BM_Libjpeg_DecodeRGB_24MP(benchmark::State& state)
{
    EnsurePictures();
    for (auto _ : state) {
        const std::vector<uint8_t> pixels = LibjpegDecodeFile(kFolder + "/a.jpg");
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_Libjpeg_DecodeRGB_24MP)->Unit(benchmark::kMillisecond)->MinTime(4);

struct Window {
    Window()
    {
        EnsurePictures();
        orvane::imaging::RegisterPlatformPictureClasses();
        orvane::test::InstallFakeServices();
        form = std::make_unique<orvane::ui::TForm1>();
        form->resize(1280, 800);
        form->show();
        orvane::test::ChangeSettings(*form, [&](orvane::ui::Settings& s) { s.rootFolder = QString::fromStdString(kFolder); });
        form->ReadDir();
        QApplication::processEvents();
    }
    orvane::ui::PictureSurface* Surface() const
    {
        return orvane::test::FindControl<orvane::ui::PictureSurface>(*form, "im2");
    }
    std::unique_ptr<orvane::ui::TForm1> form;
};

void BM_Orvane_ShortNextToPainted_24MP(benchmark::State& state)
{
    Window window;
    for (auto _ : state) {
        window.form->Library().ShortNext();
        window.Surface()->repaint();
    }
}
BENCHMARK(BM_Orvane_ShortNextToPainted_24MP)->Unit(benchmark::kMillisecond)->MinTime(4);

// The same step with the viewing area of a full screen of 1920 x 1080.
void BM_Orvane_ShortNextToPainted_24MP_Area1920x1080(benchmark::State& state)
{
    Window window;
    orvane::test::FindControl<QWidget>(*window.form, "pnIm")->setGeometry(0, 0, 1920, 1080);
    window.Surface()->setGeometry(0, 0, 1920, 1080);
    for (auto _ : state) {
        window.form->Library().ShortNext();
        window.Surface()->repaint();
    }
}
BENCHMARK(BM_Orvane_ShortNextToPainted_24MP_Area1920x1080)->Unit(benchmark::kMillisecond)->MinTime(4);

void BM_Orvane_RepaintAfterOnePixelResize_24MP(benchmark::State& state)
{
    Window window;
    window.form->Library().ShortNext();
    window.Surface()->repaint();
    int grow = 1;
    for (auto _ : state) {
        window.Surface()->resize(window.Surface()->width() + grow, window.Surface()->height());
        grow = -grow;
        window.Surface()->repaint();
    }
}
BENCHMARK(BM_Orvane_RepaintAfterOnePixelResize_24MP)->Unit(benchmark::kMicrosecond)->MinTime(2);

// The step after the program was idle for a while: the next picture is
// decoded ahead meanwhile. Reports the largest time one pass of the event
// loop took while idle (how long input could have waited) and the pixel
// memory held by the pictures at hand besides the one shown.
void StepAfterIdle(benchmark::State& state, Window& window, int idleMs)
{
    double largestPassMs = 0;
    size_t heldBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QElapsedTimer idle;
        idle.start();
        while (idle.elapsed() < idleMs) {
            QElapsedTimer pass;
            pass.start();
            QApplication::processEvents();
            largestPassMs = std::max(largestPassMs, pass.nsecsElapsed() / 1e6);
            if (window.form->Display().Nearby().AheadDone())
                QThread::usleep(200); // nothing left to do: idle as the event loop would
        }
        heldBytes = std::max(heldBytes, window.form->Display().Nearby().HeldBytes());
        state.ResumeTiming();
        window.form->Library().ShortNext();
        window.Surface()->repaint();
    }
    state.counters["largest_pass_ms"] = largestPassMs;
    state.counters["held_MB"] = static_cast<double>(heldBytes) / (1024 * 1024);
}

void BM_Orvane_ShortNextAfterIdle2s_24MP(benchmark::State& state)
{
    Window window;
    StepAfterIdle(state, window, 2000);
}
BENCHMARK(BM_Orvane_ShortNextAfterIdle2s_24MP)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_Orvane_ShortNextAfterIdle300ms_24MP(benchmark::State& state)
{
    Window window;
    StepAfterIdle(state, window, 300);
}
BENCHMARK(BM_Orvane_ShortNextAfterIdle300ms_24MP)->Unit(benchmark::kMillisecond)->Iterations(12);

void BM_Orvane_ShortNextAfterIdle2s_24MP_Area1920x1080(benchmark::State& state)
{
    Window window;
    orvane::test::FindControl<QWidget>(*window.form, "pnIm")->setGeometry(0, 0, 1920, 1080);
    window.Surface()->setGeometry(0, 0, 1920, 1080);
    StepAfterIdle(state, window, 2000);
}
BENCHMARK(BM_Orvane_ShortNextAfterIdle2s_24MP_Area1920x1080)->Unit(benchmark::kMillisecond)->Iterations(6);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
