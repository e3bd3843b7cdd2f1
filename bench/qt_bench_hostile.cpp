// Hostile pictures in the window: each regression file of tests/files whose
// name starts with "regress-" (settings files aside) goes through the display
// step of the real main window and is painted. Reported per file: the time
// from SetThis to painted, the peak resident memory that step took above what
// was held before it (peak_MB), and whether it was shown or refused. One
// iteration each: a hostile file is met once.
//
//   qt_bench_hostile [TESTS_FILES_DIR] [benchmark options]
#include "imaging/registry/FormatRegistration.h"
#include "support/FakeServices.h"
#include "support/MainWindowAccess.h"
#include "ui/PictureSurface.h"
#include "ui/TForm1.h"

#include <QApplication>
#include <QLabel>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

long ResidentKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::char_traits<char>::length(field)));
    return 0;
}

void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from what is held now
}

void BM_Orvane_ShowHostileFile(benchmark::State& state, const fs::path& file)
{
    const fs::path folder = fs::temp_directory_path() / "orvane-bench-hostile";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path shown = folder / file.filename();
    fs::copy_file(file, shown);

    auto form = std::make_unique<orvane::ui::TForm1>();
    form->resize(1280, 800);
    form->show();
    orvane::test::ChangeSettings(*form, [&](orvane::ui::Settings& s) { s.rootFolder = QString::fromStdString(folder.string()); });
    form->ReadDir();
    QApplication::processEvents();
    bool shownOk = false;
    long peak = 0;
    std::string outcome;
    for (auto _ : state) {
        const long before = ResidentKilobytes("VmRSS:");
        ResetPeak();
        try {
            shownOk = form->SetThis(QString::fromStdString(shown.string()), false);
        } catch (const std::exception& error) {
            outcome = std::string("refused: ") + error.what();
        }
        orvane::test::FindControl<orvane::ui::PictureSurface>(*form, "im2")->repaint();
        peak = ResidentKilobytes("VmHWM:") - before;
    }
    state.counters["peak_MB"] = static_cast<double>(peak) / 1024.0;
    state.SetLabel(shownOk ? "shown: " + orvane::test::FindControl<QLabel>(*form, "StatusText")->text().toStdString() : outcome);
    form.reset();
    fs::remove_all(folder);
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    orvane::imaging::InitializeImageFormats();
    orvane::test::InstallFakeServices();
    fs::path files = fs::path(ORVANE_SOURCE_DIR) / "tests" / "files";
    if (argc > 1 && argv[1][0] != '-') {
        files = argv[1];
        --argc;
        ++argv;
    }
    for (const auto& folder : fs::directory_iterator(files)) {
        if (!folder.is_directory() || folder.path().filename() == "registry")
            continue;
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            const fs::path path = entry.path();
            if (path.filename().string().rfind("regress-", 0) != 0)
                continue;
            benchmark::RegisterBenchmark(("BM_Orvane_ShowHostileFile/" + path.filename().string()).c_str(),
                                         BM_Orvane_ShowHostileFile, path)
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
