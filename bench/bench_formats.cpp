// Whole programs turning the same 12-megapixel photo-like file into a
// picture file, orvane-convert beside each format's own tool from Debian:
// dwebp (WebP, to PPM), heif-convert (HEIC, to Y4M: it writes no PPM, and
// Y4M is the output that costs it least), avifdec (AVIF, to Y4M likewise),
// djxl (JPEG XL, to PPM; on one thread, as Orvane decodes, and on its
// default of every core) and ImageMagick's convert (GIF, to PPM).
// orvane-convert always writes PPM. The files are made once by the same
// tools' encoders in the scratch folder and kept for the next run. The
// child's processor time is reported as cpu_ms; run with
// --benchmark_enable_random_interleaving=true and repetitions so that the
// programs alternate on a busy machine.
#include "PhotoLikePicture.h"
#include "WholeProcess.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kWidth = 4000;
constexpr uint32_t kHeight = 3000;

std::string Scratch(const std::string& name)
{
    return ScratchFolder() + "/orvane-bench-formats-" + name;
}

// The photo-like picture as PPM and PNG, the encoders' input.
const std::string& Source(const std::string& extension)
{
    static const std::string ppm = [] {
        const std::string path = Scratch("source.ppm");
        if (!std::filesystem::exists(path)) {
            const std::vector<uint8_t> pixels = PhotoLikePixels(kWidth, kHeight, 3);
            std::ofstream out(path, std::ios::binary);
            out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
            out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
        }
        return path;
    }();
    static const std::string png = [] {
        const std::string path = Scratch("source.png");
        if (!std::filesystem::exists(path))
            RunProgram({"convert", ppm, path});
        return path;
    }();
    return extension == "png" ? png : ppm;
}

// The benchmark file of a format, made by the format's own encoder.
const std::string& File(const std::string& extension)
{
    static std::map<std::string, std::string> files;
    std::string& path = files[extension];
    if (!path.empty())
        return path;
    path = Scratch("photo." + extension);
    if (std::filesystem::exists(path))
        return path;
    const std::map<std::string, std::vector<std::string>> encoders = {
        {"webp", {"cwebp", "-quiet", "-q", "90", Source("ppm"), "-o", path}},
        {"heic", {"heif-enc", "-q", "90", "-o", path, Source("png")}},
        {"avif", {"avifenc", "-s", "8", "--min", "20", "--max", "30", Source("png"), path}},
        {"jxl", {"cjxl", "--quiet", "-e", "3", "-d", "1", Source("png"), path}},
        {"gif", {"convert", Source("ppm"), path}},
    };
    RunProgram(encoders.at(extension));
    return path;
}

void BM_Process(benchmark::State& state, std::vector<std::string> command, const std::string& extension)
{
    const std::string input = File(extension);
    for (std::string& argument : command)
        if (argument == "IN")
            argument = input;
        else if (argument.rfind("OUT", 0) == 0)
            argument = Scratch("out" + argument.substr(3));
    if (command.front() == "orvane-convert")
        command.front() = ConvertPath();
    double cpu = 0;
    for (auto _ : state)
        cpu += RunProgram(command);
    state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000 / double(state.iterations()));
    state.SetItemsProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

#define FORMAT_BENCHMARK(name, extension, ...)                                                                      \
    BENCHMARK_CAPTURE(BM_Process, name, std::vector<std::string>{__VA_ARGS__}, extension)                         \
        ->Unit(benchmark::kMillisecond)                                                                            \
        ->UseRealTime()

FORMAT_BENCHMARK(Orvane_ToPPM_WebP_12MP, "webp", "orvane-convert", "IN", "OUT.ppm");
FORMAT_BENCHMARK(Dwebp_ToPPM_WebP_12MP, "webp", "dwebp", "IN", "-ppm", "-o", "OUT.ppm");
FORMAT_BENCHMARK(Orvane_ToPPM_HEIC_12MP, "heic", "orvane-convert", "IN", "OUT.ppm");
FORMAT_BENCHMARK(HeifConvert_ToY4M_HEIC_12MP, "heic", "heif-convert", "IN", "OUT.y4m");
FORMAT_BENCHMARK(Orvane_ToPPM_AVIF_12MP, "avif", "orvane-convert", "IN", "OUT.ppm");
FORMAT_BENCHMARK(Avifdec_ToY4M_AVIF_12MP, "avif", "avifdec", "IN", "OUT.y4m");
FORMAT_BENCHMARK(Orvane_ToPPM_JXL_12MP, "jxl", "orvane-convert", "IN", "OUT.ppm");
FORMAT_BENCHMARK(Djxl_OneThread_ToPPM_JXL_12MP, "jxl", "djxl", "IN", "OUT.ppm", "--num_threads=1");
FORMAT_BENCHMARK(Djxl_ToPPM_JXL_12MP, "jxl", "djxl", "IN", "OUT.ppm");
FORMAT_BENCHMARK(Orvane_ToPPM_GIF_12MP, "gif", "orvane-convert", "IN", "OUT.ppm");
FORMAT_BENCHMARK(ImageMagick_ToPPM_GIF_12MP, "gif", "convert", "IN", "OUT.ppm");

} // namespace

BENCHMARK_MAIN();
