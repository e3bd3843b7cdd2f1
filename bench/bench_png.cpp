// Decoding 12-megapixel PNG files (8-bit RGB and RGBA, plain and Adam7) with
// our reader next to libpng decoding the same files into the same BGR(A)
// rows. The files are written by libpng with its default filter choice and
// compression, from a smooth photo-like picture with noise.
//
// The Process benchmarks time whole programs turning the same files into a
// PPM file: orvane-convert against this program itself run as a libpng
// converter (--libpng-to-ppm INPUT OUTPUT), both started afresh for every
// run; the child's processor time is reported as cpu_ms. Run with
// --benchmark_enable_random_interleaving=true and repetitions so that the
// two alternate on a busy machine. The reader benchmarks also report the
// peak memory one load takes above what was held before it, as a multiple
// of the decoded pixels (peak_ratio; resident pages, so memory taken
// straight from the kernel counts too).
#include "PhotoLikePicture.h"
#include "WholeProcess.h"
#include "imaging/readers/PNGGraphic.h"

#include <benchmark/benchmark.h>

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

using namespace orvane::imaging;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr uint32_t kWidth = 4000;
constexpr uint32_t kHeight = 3000;


void WriteBytes(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

// The photo-like picture, written by libpng with its defaults.
Bytes MakeFile(int channels, bool interlaced)
{
    const size_t rowBytes = size_t{kWidth} * channels;
    const Bytes pixels = PhotoLikePixels(kWidth, kHeight, channels);
    Bytes file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        throw std::runtime_error("libpng could not write the benchmark file");
    png_set_write_fn(png, &file, WriteBytes, Flush);
    png_set_IHDR(png, info, kWidth, kHeight, 8, channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (uint32_t y = 0; y < kHeight; ++y)
            png_write_row(png, pixels.data() + y * rowBytes);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return file;
}

const Bytes& File(int channels, bool interlaced)
{
    static std::map<std::pair<int, bool>, Bytes> files;
    auto& file = files[{channels, interlaced}];
    if (file.empty())
        file = MakeFile(channels, interlaced);
    return file;
}

struct TMemoryInput {
    const Bytes* file;
    size_t position;
};

void ReadBytes(png_structp png, png_bytep data, size_t length)
{
    auto* in = static_cast<TMemoryInput*>(png_get_io_ptr(png));
    if (in->position + length > in->file->size())
        png_error(png, "read past the end");
    std::memcpy(data, in->file->data() + in->position, length);
    in->position += length;
}

// libpng into a freshly allocated picture of BGR(A) rows, as an application
// showing the picture would.
void DecodeWithLibpng(const Bytes& file, int channels)
{
    TMemoryInput input{&file, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const size_t rowBytes = size_t{kWidth} * channels;
    std::unique_ptr<uint8_t[]> pixels(new uint8_t[rowBytes * kHeight]);
    std::vector<png_bytep> rows(kHeight);
    for (uint32_t y = 0; y < kHeight; ++y)
        rows[y] = pixels.get() + y * rowBytes;
    if (setjmp(png_jmpbuf(png)))
        throw std::runtime_error("libpng could not read the benchmark file");
    png_set_read_fn(png, &input, ReadBytes);
    png_read_info(png, info);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    benchmark::DoNotOptimize(pixels.get());
}


void DecodeWithReader(const Bytes& file, bool withProgress)
{
    TPNGGraphic picture;
    int rows = 0;
    if (withProgress)
        picture.OnProgress = [&rows](TBitmap*, TProgressStage, uint8_t, bool, const TRect&, const std::string&) {
            ++rows;
        };
    TMemoryStream stream(file.data(), file.size());
    picture.LoadFromStream(stream);
    benchmark::DoNotOptimize(picture.ScanLine(0));
    benchmark::DoNotOptimize(rows);
}


// Resident memory of this process in bytes: the current and the peak
// ("VmRSS", "VmHWM").
size_t ResidentBytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::stoull(line.substr(length + 1)) * 1024;
    return 0;
}

// Peak memory of one load above what was resident before it; 0 where the
// kernel cannot reset the peak.
double PeakRatio(const Bytes& file, size_t decodedBytes)
{
    {
        std::ofstream reset("/proc/self/clear_refs");
        reset << "5";
        if (!reset)
            return 0;
    }
    const size_t before = ResidentBytes("VmRSS");
    {
        TPNGGraphic picture;
        TMemoryStream stream(file.data(), file.size());
        picture.LoadFromStream(stream);
        benchmark::DoNotOptimize(picture.ScanLine(0));
    }
    const size_t peak = ResidentBytes("VmHWM");
    return peak > before ? double(peak - before) / double(decodedBytes) : 0;
}

void SetCounters(benchmark::State& state, int channels)
{
    // Bytes of decoded pixels per second.
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * channels);
}

void BM_Reader(benchmark::State& state, int channels, bool interlaced, bool withProgress)
{
    const Bytes& file = File(channels, interlaced);
    for (auto _ : state)
        DecodeWithReader(file, withProgress);
    SetCounters(state, channels);
    state.counters["peak_ratio"] = PeakRatio(file, size_t{kWidth} * kHeight * channels);
}

void BM_Libpng(benchmark::State& state, int channels, bool interlaced)
{
    const Bytes& file = File(channels, interlaced);
    for (auto _ : state)
        DecodeWithLibpng(file, channels);
    SetCounters(state, channels);
}


// --- Whole programs

// libpng's side of the Process benchmarks: INPUT to a binary PPM, as a
// converter would (RGB rows, alpha dropped).
int LibpngToPpm(const char* input, const char* output)
{
    std::FILE* in = std::fopen(input, "rb");
    if (!in)
        return 1;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(in);
        return 1;
    }
    png_init_io(png, in);
    png_read_info(png, info);
    png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const uint32_t width = png_get_image_width(png, info);
    const uint32_t height = png_get_image_height(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    pixels.resize(rowBytes * height);
    rows.resize(height);
    for (uint32_t y = 0; y < height; ++y)
        rows[y] = pixels.data() + y * rowBytes;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(in);
    std::FILE* out = std::fopen(output, "wb");
    if (!out)
        return 1;
    std::fprintf(out, "P6\n%u %u\n255\n", width, height);
    const bool written = std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}

// The benchmark file on disk (in memory where the system has a memory file
// system, so that the disk's noise stays out).
const std::string& FileOnDisk(int channels, bool interlaced)
{
    static std::map<std::pair<int, bool>, std::string> paths;
    std::string& path = paths[{channels, interlaced}];
    if (path.empty()) {
        path = ScratchFolder() + "/orvane-bench-png-" + std::to_string(channels) + (interlaced ? "-adam7" : "") +
               "-" + std::to_string(::getpid()) + ".png";
        const Bytes& file = File(channels, interlaced);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
    }
    return path;
}

void BM_Process(benchmark::State& state, bool orvane, int channels, bool interlaced)
{
    const std::string& input = FileOnDisk(channels, interlaced);
    const std::string output = ScratchFolder() + "/orvane-bench-png-out-" + std::to_string(::getpid()) + ".ppm";
    const std::vector<std::string> command = orvane ? std::vector<std::string>{ConvertPath(), input, output}
                                                    : std::vector<std::string>{SelfPath(), "--libpng-to-ppm", input,
                                                                               output};
    double cpu = 0;
    for (auto _ : state)
        cpu += RunProgram(command);
    std::filesystem::remove(output);
    state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000 / double(state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 3);
}

} // namespace

BENCHMARK_CAPTURE(BM_Reader, PNG_RGB8_12MP, 3, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reader, PNG_RGB8_12MP_WithProgress, 3, false, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reader, PNG_RGBA8_12MP, 4, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reader, PNG_RGB8_Adam7_12MP, 3, true, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reader, PNG_RGBA8_Adam7_12MP, 4, true, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Libpng, PNG_RGB8_12MP, 3, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Libpng, PNG_RGBA8_12MP, 4, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Libpng, PNG_RGB8_Adam7_12MP, 3, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Libpng, PNG_RGBA8_Adam7_12MP, 4, true)->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(BM_Process, Orvane_ToPPM_RGB8_12MP, true, 3, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Process, Libpng_ToPPM_RGB8_12MP, false, 3, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Process, Orvane_ToPPM_RGBA8_12MP, true, 4, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Process, Libpng_ToPPM_RGBA8_12MP, false, 4, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Process, Orvane_ToPPM_RGB8_Adam7_12MP, true, 3, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Process, Libpng_ToPPM_RGB8_Adam7_12MP, false, 3, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Process, Orvane_ToPPM_RGBA8_Adam7_12MP, true, 4, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Process, Libpng_ToPPM_RGBA8_Adam7_12MP, false, 4, true)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--libpng-to-ppm") == 0)
        return LibpngToPpm(argv[2], argv[3]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (int channels : {3, 4})
        for (bool interlaced : {false, true})
            std::filesystem::remove(ScratchFolder() + "/orvane-bench-png-" + std::to_string(channels) +
                                    (interlaced ? "-adam7" : "") + "-" + std::to_string(::getpid()) + ".png");
    return 0;
}
