// TIFF decoding speed: our reader against libtiff's RGBA interface
// (TIFFReadRGBAImage) on the same 12-megapixel RGB files, uncompressed and
// deflate-compressed (plain and with the horizontal predictor), in the same
// run. Both read the file from disk (cached) and produce a whole picture in
// memory; both inflate deflate strips with libdeflate. On a busy machine run
// with --benchmark_enable_random_interleaving=true and repetitions, and
// compare medians.
#include "imaging/core/Stream.h"
#include "imaging/readers/TIFFGraphic.h"

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace orvane::imaging;

namespace {

constexpr int Width = 4000, Height = 3000;

// A photo-like picture: smooth gradients with a little noise.
std::string MakeFile(uint16_t compression, uint16_t predictor)
{
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("orvane-bench-" + std::to_string(compression) + "-" + std::to_string(predictor) + ".tif"))
                                 .string();
    if (std::filesystem::exists(path))
        return path;
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, Width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, Height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    if (predictor)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, predictor);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
    std::vector<uint8_t> row(static_cast<size_t>(Width) * 3);
    uint32_t seed = 12345;
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>((seed >> 16) % 7) - 3;
            row[x * 3] = static_cast<uint8_t>(std::clamp(x * 255 / Width + noise, 0, 255));
            row[x * 3 + 1] = static_cast<uint8_t>(std::clamp(y * 255 / Height + noise, 0, 255));
            row[x * 3 + 2] = static_cast<uint8_t>(std::clamp(((x + y) / 23) % 256 + noise, 0, 255));
        }
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
    return path;
}

void DecodeWithOrvane(benchmark::State& state, const std::string& path)
{
    for (auto _ : state) {
        TFileStream stream(path);
        TTIFFGraphic tiff;
        tiff.LoadFromStream(stream);
        benchmark::DoNotOptimize(tiff.ScanLine(Height - 1)[0]);
    }
    state.SetBytesProcessed(state.iterations() * int64_t{Width} * Height * 3);
}

void DecodeWithLibtiff(benchmark::State& state, const std::string& path)
{
    for (auto _ : state) {
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        std::vector<uint32_t> raster(static_cast<size_t>(Width) * Height);
        TIFFReadRGBAImage(tif, Width, Height, raster.data(), 0);
        TIFFClose(tif);
        benchmark::DoNotOptimize(raster[0]);
    }
    state.SetBytesProcessed(state.iterations() * int64_t{Width} * Height * 3);
}

void BM_Orvane_TIFF_Uncompressed_RGB_12MP(benchmark::State& state)
{
    DecodeWithOrvane(state, MakeFile(COMPRESSION_NONE, 0));
}
void BM_Libtiff_RGBA_Uncompressed_RGB_12MP(benchmark::State& state)
{
    DecodeWithLibtiff(state, MakeFile(COMPRESSION_NONE, 0));
}
void BM_Orvane_TIFF_Deflate_RGB_12MP(benchmark::State& state)
{
    DecodeWithOrvane(state, MakeFile(COMPRESSION_ADOBE_DEFLATE, 0));
}
void BM_Libtiff_RGBA_Deflate_RGB_12MP(benchmark::State& state)
{
    DecodeWithLibtiff(state, MakeFile(COMPRESSION_ADOBE_DEFLATE, 0));
}
void BM_Orvane_TIFF_DeflatePredictor_RGB_12MP(benchmark::State& state)
{
    DecodeWithOrvane(state, MakeFile(COMPRESSION_ADOBE_DEFLATE, PREDICTOR_HORIZONTAL));
}
void BM_Libtiff_RGBA_DeflatePredictor_RGB_12MP(benchmark::State& state)
{
    DecodeWithLibtiff(state, MakeFile(COMPRESSION_ADOBE_DEFLATE, PREDICTOR_HORIZONTAL));
}

} // namespace

BENCHMARK(BM_Orvane_TIFF_Uncompressed_RGB_12MP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Libtiff_RGBA_Uncompressed_RGB_12MP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Orvane_TIFF_Deflate_RGB_12MP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Libtiff_RGBA_Deflate_RGB_12MP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Orvane_TIFF_DeflatePredictor_RGB_12MP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Libtiff_RGBA_DeflatePredictor_RGB_12MP)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
