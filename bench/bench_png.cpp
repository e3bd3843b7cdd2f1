// Decoding 12-megapixel PNG files (8-bit RGB and RGBA, plain and Adam7) with
// our reader next to libpng decoding the same files into the same BGR(A)
// rows. The files are written by libpng with its default filter choice and
// compression, from a smooth photo-like picture with noise.
#include "imaging/readers/PNGGraphic.h"

#include <benchmark/benchmark.h>

#ifdef ORVANE_HAVE_LIBPNG
#include <png.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

using namespace orvane::imaging;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr uint32_t kWidth = 4000;
constexpr uint32_t kHeight = 3000;

#ifdef ORVANE_HAVE_LIBPNG

void WriteBytes(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

// A photo-like picture: smooth colour gradients with soft shapes and sensor
// noise.
Bytes MakeFile(int channels, bool interlaced)
{
    std::mt19937 random(42);
    std::normal_distribution<float> noise(0.0f, 2.5f);
    const size_t rowBytes = size_t{kWidth} * channels;
    Bytes pixels(rowBytes * kHeight);
    for (uint32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = pixels.data() + y * rowBytes;
        for (uint32_t x = 0; x < kWidth; ++x) {
            const float fx = x / float(kWidth), fy = y / float(kHeight);
            const float shape = 40.0f * std::sin(fx * 9.0f + fy * 4.0f) * std::cos(fy * 7.0f - fx * 3.0f);
            const float base[4] = {90 + 120 * fx + shape, 60 + 140 * fy - shape / 2, 180 - 100 * fx * fy + shape / 3,
                                   255 - 60 * fy};
            for (int c = 0; c < channels; ++c) {
                const float v = base[c] + (c < 3 ? noise(random) : 0.0f);
                row[x * channels + c] = static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f));
            }
        }
    }
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

#endif

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

void SetCounters(benchmark::State& state, int channels)
{
    // Bytes of decoded pixels per second.
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * channels);
}

void BM_Reader(benchmark::State& state, int channels, bool interlaced, bool withProgress)
{
#ifdef ORVANE_HAVE_LIBPNG
    const Bytes& file = File(channels, interlaced);
    for (auto _ : state)
        DecodeWithReader(file, withProgress);
    SetCounters(state, channels);
#else
    state.SkipWithError("benchmark files are written with libpng");
#endif
}

#ifdef ORVANE_HAVE_LIBPNG
void BM_Libpng(benchmark::State& state, int channels, bool interlaced)
{
    const Bytes& file = File(channels, interlaced);
    for (auto _ : state)
        DecodeWithLibpng(file, channels);
    SetCounters(state, channels);
}
#endif

} // namespace

BENCHMARK_CAPTURE(BM_Reader, PNG_RGB8_12MP, 3, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reader, PNG_RGB8_12MP_WithProgress, 3, false, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reader, PNG_RGBA8_12MP, 4, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reader, PNG_RGB8_Adam7_12MP, 3, true, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reader, PNG_RGBA8_Adam7_12MP, 4, true, false)->Unit(benchmark::kMillisecond);
#ifdef ORVANE_HAVE_LIBPNG
BENCHMARK_CAPTURE(BM_Libpng, PNG_RGB8_12MP, 3, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Libpng, PNG_RGBA8_12MP, 4, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Libpng, PNG_RGB8_Adam7_12MP, 3, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Libpng, PNG_RGBA8_Adam7_12MP, 4, true)->Unit(benchmark::kMillisecond);
#endif

BENCHMARK_MAIN();
