// Decoding speed of the simpler readers on a 12-megapixel picture (4000 x
// 3000), each from a file made in memory. `bench_readers --write-files DIR`
// also writes those files, to time whole programs on them.
#include "imaging/readers/AutodeskGraphic.h"
#include "imaging/readers/CUTGraphic.h"
#include "imaging/readers/PCXGraphic.h"
#include "imaging/readers/PPMGraphic.h"
#include "imaging/readers/SGIGraphic.h"
#include "imaging/readers/TargaGraphic.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace orvane::imaging;

namespace {

constexpr int W = 4000, H = 3000;
using Bytes = std::vector<uint8_t>;

// A photo-like picture: smooth gradients with a little noise (so runs are
// short, as in real pictures), RGB rows top to bottom; and an 8-bit one.
uint8_t Channel(int x, int y, int c, uint32_t& noise)
{
    noise = noise * 1664525u + 1013904223u;
    const int base = c == 0 ? x * 255 / W : c == 1 ? y * 255 / H : (x + y) * 255 / (W + H);
    const int v = base + static_cast<int>((noise >> 29) & 3) - 1;
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

const Bytes& Rgb()
{
    static const Bytes rgb = [] {
        Bytes out(size_t{W} * H * 3);
        uint32_t noise = 1;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                for (int c = 0; c < 3; ++c)
                    out[(size_t(y) * W + x) * 3 + c] = Channel(x, y, c, noise);
        return out;
    }();
    return rgb;
}

const Bytes& Gray()
{
    static const Bytes gray = [] {
        Bytes out(size_t{W} * H);
        const Bytes& rgb = Rgb();
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<uint8_t>((rgb[3 * i] + rgb[3 * i + 1] * 2 + rgb[3 * i + 2]) / 4);
        return out;
    }();
    return gray;
}

void Le16(Bytes& out, unsigned v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

// Run-length packets over pixels of `size` bytes: runs of equal pixels,
// literals otherwise (count limit and header layout given by the caller).
template <class Emit>
void Packets(const uint8_t* p, size_t count, size_t size, size_t limit, size_t minRun, Emit emit)
{
    size_t i = 0;
    while (i < count) {
        size_t run = 1;
        while (i + run < count && run < limit && !std::memcmp(p + (i + run) * size, p + i * size, size))
            ++run;
        if (run >= minRun) {
            emit(true, p + i * size, run);
            i += run;
            continue;
        }
        const size_t start = i;
        while (i < count && i - start < limit) {
            if (i + 1 < count && !std::memcmp(p + (i + 1) * size, p + i * size, size))
                break;
            ++i;
        }
        if (i == start)
            ++i;
        emit(false, p + start * size, i - start);
    }
}

Bytes TargaFile()
{
    Bytes out{0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Le16(out, W);
    Le16(out, H);
    out.push_back(24);
    out.push_back(0x20);
    const Bytes& rgb = Rgb();
    Bytes bgr(rgb.size());
    for (size_t i = 0; i < rgb.size(); i += 3) {
        bgr[i] = rgb[i + 2];
        bgr[i + 1] = rgb[i + 1];
        bgr[i + 2] = rgb[i];
    }
    Packets(bgr.data(), size_t{W} * H, 3, 128, 2, [&](bool run, const uint8_t* p, size_t n) {
        out.push_back(static_cast<uint8_t>((run ? 0x80 : 0) | (n - 1)));
        out.insert(out.end(), p, p + (run ? 3 : 3 * n));
    });
    return out;
}

Bytes PcxFile()
{
    Bytes out(128, 0);
    out[0] = 10, out[1] = 5, out[2] = 1, out[3] = 8;
    out[8] = uint8_t(W - 1), out[9] = uint8_t((W - 1) >> 8), out[10] = uint8_t(H - 1), out[11] = uint8_t((H - 1) >> 8);
    out[65] = 3, out[66] = uint8_t(W), out[67] = uint8_t(W >> 8);
    const Bytes& rgb = Rgb();
    Bytes line(size_t{W} * 3);
    for (int y = 0; y < H; ++y) {
        for (int c = 0; c < 3; ++c)
            for (int x = 0; x < W; ++x)
                line[size_t(c) * W + x] = rgb[(size_t(y) * W + x) * 3 + c];
        Packets(line.data(), line.size(), 1, 63, 2, [&](bool run, const uint8_t* p, size_t n) {
            if (run)
                out.insert(out.end(), {uint8_t(0xC0 | n), p[0]});
            else
                for (size_t k = 0; k < n; ++k) {
                    if (p[k] >= 0xC0)
                        out.push_back(0xC1);
                    out.push_back(p[k]);
                }
        });
    }
    return out;
}

Bytes SgiFile()
{
    Bytes out(512, 0);
    const uint8_t head[] = {0x01, 0xDA, 1, 1, 0, 3, uint8_t(W >> 8), uint8_t(W), uint8_t(H >> 8), uint8_t(H), 0, 3};
    std::memcpy(out.data(), head, sizeof head);
    const size_t rows = size_t{H} * 3;
    out.resize(512 + rows * 8);
    const Bytes& rgb = Rgb();
    Bytes plane(W);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < H; ++r) {
            const int y = H - 1 - r;
            for (int x = 0; x < W; ++x)
                plane[x] = rgb[(size_t(y) * W + x) * 3 + c];
            const size_t start = out.size();
            Packets(plane.data(), plane.size(), 1, 127, 3, [&](bool run, const uint8_t* p, size_t n) {
                out.push_back(static_cast<uint8_t>((run ? 0 : 0x80) | n));
                out.insert(out.end(), p, p + (run ? 1 : n));
            });
            out.push_back(0);
            const size_t index = size_t(r) + size_t(c) * H;
            for (int k = 0; k < 4; ++k) {
                out[512 + 4 * index + k] = uint8_t(start >> (24 - 8 * k));
                out[512 + 4 * (rows + index) + k] = uint8_t((out.size() - start) >> (24 - 8 * k));
            }
        }
    return out;
}

Bytes AutodeskFile()
{
    Bytes out{0x19, 0x91};
    Le16(out, W);
    Le16(out, H);
    out.resize(32, 0);
    out[10] = 8;
    for (int i = 0; i < 256; ++i)
        out.insert(out.end(), {uint8_t(i / 4), uint8_t(i / 4), uint8_t(i / 4)});
    out.insert(out.end(), Gray().begin(), Gray().end());
    return out;
}

Bytes PpmFile()
{
    const std::string header = "P6\n" + std::to_string(W) + " " + std::to_string(H) + "\n255\n";
    Bytes out(header.begin(), header.end());
    out.insert(out.end(), Rgb().begin(), Rgb().end());
    return out;
}

Bytes CutFile()
{
    Bytes out;
    Le16(out, W);
    Le16(out, H);
    Le16(out, 0);
    const Bytes& gray = Gray();
    for (int y = 0; y < H; ++y) {
        Bytes row;
        Packets(gray.data() + size_t(y) * W, W, 1, 127, 3, [&](bool run, const uint8_t* p, size_t n) {
            row.push_back(static_cast<uint8_t>((run ? 0x80 : 0) | n));
            row.insert(row.end(), p, p + (run ? 1 : n));
        });
        row.push_back(0);
        Le16(out, static_cast<unsigned>(row.size()));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

template <class Reader>
void Decode(benchmark::State& state, const Bytes& file)
{
    for (auto _ : state) {
        TMemoryStream stream(file.data(), file.size());
        Reader reader;
        reader.LoadFromStream(stream);
        benchmark::DoNotOptimize(reader.ScanLine(H - 1));
    }
    state.SetItemsProcessed(state.iterations() * int64_t{W} * H);
    state.counters["file_MB"] = double(file.size()) / 1e6;
}

void Targa(benchmark::State& s) { static const Bytes f = TargaFile(); Decode<TTargaGraphic>(s, f); }
void Pcx(benchmark::State& s) { static const Bytes f = PcxFile(); Decode<TPCXGraphic>(s, f); }
void Sgi(benchmark::State& s) { static const Bytes f = SgiFile(); Decode<TSGIGraphic>(s, f); }
void Autodesk(benchmark::State& s) { static const Bytes f = AutodeskFile(); Decode<TAutodeskGraphic>(s, f); }
void Ppm(benchmark::State& s) { static const Bytes f = PpmFile(); Decode<TPPMGraphic>(s, f); }
void Cut(benchmark::State& s) { static const Bytes f = CutFile(); Decode<TCUTGraphic>(s, f); }

BENCHMARK(Targa)->Name("TargaRle24_12MP")->Unit(benchmark::kMillisecond);
BENCHMARK(Pcx)->Name("PcxRle24_12MP")->Unit(benchmark::kMillisecond);
BENCHMARK(Sgi)->Name("SgiRleRgb_12MP")->Unit(benchmark::kMillisecond);
BENCHMARK(Autodesk)->Name("Autodesk8_12MP")->Unit(benchmark::kMillisecond);
BENCHMARK(Ppm)->Name("PpmP6_12MP")->Unit(benchmark::kMillisecond);
BENCHMARK(Cut)->Name("CutRle8_12MP")->Unit(benchmark::kMillisecond);

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-files") == 0) {
        const std::string dir = argv[2];
        const bool ok = WriteFile(dir + "/bench.tga", TargaFile()) && WriteFile(dir + "/bench.pcx", PcxFile()) &&
                        WriteFile(dir + "/bench.sgi", SgiFile()) && WriteFile(dir + "/bench.cel", AutodeskFile()) &&
                        WriteFile(dir + "/bench.ppm", PpmFile()) && WriteFile(dir + "/bench.cut", CutFile());
        return ok ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
