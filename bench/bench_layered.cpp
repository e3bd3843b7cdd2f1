// Decoding speed of the planar and layered readers on a 12-megapixel picture
// (4000 x 3000; Photo-CD: its fixed 768 x 512 base image), each from a file
// made in memory. `bench_layered --write-files DIR` also writes those files,
// to time whole programs on them.
#include "imaging/readers/EPSGraphic.h"
#include "imaging/readers/PCDGraphic.h"
#include "imaging/readers/PSDGraphic.h"
#include "imaging/readers/PSPGraphic.h"
#include "imaging/readers/RLAGraphic.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace orvane::imaging;

namespace {

constexpr int W = 4000, H = 3000;
using Bytes = std::vector<uint8_t>;

// A photo-like picture: smooth gradients with a little noise (so runs are
// short, as in real pictures), one plane per channel.
const std::vector<Bytes>& Planes()
{
    static const std::vector<Bytes> planes = [] {
        std::vector<Bytes> out(3, Bytes(size_t{W} * H));
        uint32_t noise = 1;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                for (int c = 0; c < 3; ++c) {
                    noise = noise * 1664525u + 1013904223u;
                    const int base = c == 0 ? x * 255 / W : c == 1 ? y * 255 / H : (x + y) * 255 / (W + H);
                    const int v = base + static_cast<int>((noise >> 29) & 3) - 1;
                    out[c][size_t(y) * W + x] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
                }
        return out;
    }();
    return planes;
}

void Be16(Bytes& b, unsigned v) { b.push_back(uint8_t(v >> 8)), b.push_back(uint8_t(v)); }
void Be32(Bytes& b, uint32_t v) { Be16(b, v >> 16), Be16(b, v & 0xFFFF); }
void Le16(Bytes& b, unsigned v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }
void Le32(Bytes& b, uint32_t v) { Le16(b, v & 0xFFFF), Le16(b, v >> 16); }

// Splits data into runs of at least minRun equal bytes and literals, at most
// limit bytes each.
template <class Emit>
void Packets(const uint8_t* p, size_t n, size_t limit, size_t minRun, Emit emit)
{
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < limit && p[i + run] == p[i])
            ++run;
        if (run >= minRun) {
            emit(true, p + i, run);
            i += run;
            continue;
        }
        size_t start = i;
        while (i < n && i - start < limit) {
            size_t ahead = 1;
            while (i + ahead < n && ahead < minRun && p[i + ahead] == p[i])
                ++ahead;
            if (ahead >= minRun)
                break;
            ++i;
        }
        emit(false, p + start, i - start);
    }
}

Bytes PackBits(const uint8_t* p, size_t n)
{
    Bytes out;
    Packets(p, n, 128, 2, [&](bool run, const uint8_t* s, size_t count) {
        out.push_back(static_cast<uint8_t>(run ? 257 - count : count - 1));
        out.insert(out.end(), s, s + (run ? 1 : count));
    });
    return out;
}

Bytes PsdFile(bool packed)
{
    Bytes out{'8', 'B', 'P', 'S'};
    Be16(out, 1);
    out.resize(12);
    Be16(out, 3);
    Be32(out, H);
    Be32(out, W);
    Be16(out, 8);
    Be16(out, 3);
    Be32(out, 0), Be32(out, 0), Be32(out, 0);
    Be16(out, packed ? 1 : 0);
    const auto& planes = Planes();
    if (!packed) {
        for (const Bytes& plane : planes)
            out.insert(out.end(), plane.begin(), plane.end());
        return out;
    }
    std::vector<Bytes> rows;
    for (const Bytes& plane : planes)
        for (int y = 0; y < H; ++y)
            rows.push_back(PackBits(plane.data() + size_t(y) * W, W));
    for (const Bytes& row : rows)
        Be16(out, static_cast<unsigned>(row.size()));
    for (const Bytes& row : rows)
        out.insert(out.end(), row.begin(), row.end());
    return out;
}

Bytes RlaFile()
{
    Bytes out(740);
    const uint8_t window[8] = {0, 0, uint8_t((W - 1) >> 8), uint8_t(W - 1), 0, 0, uint8_t((H - 1) >> 8), uint8_t(H - 1)};
    std::memcpy(&out[0], window, 8);
    std::memcpy(&out[8], window, 8);
    out[21] = 3;
    out[26] = 0xFF, out[27] = 0xFE;
    std::memcpy(&out[28], "2.2", 3);
    std::memcpy(&out[580], "rgb", 3);
    out[659] = 8;
    const size_t table = out.size();
    out.resize(table + 4 * size_t{H});
    const auto& planes = Planes();
    for (int line = 0; line < H; ++line) {
        Bytes offset;
        Be32(offset, static_cast<uint32_t>(out.size()));
        std::memcpy(&out[table + 4 * size_t(line)], offset.data(), 4);
        const size_t y = H - 1 - line; // bottom up
        for (const Bytes& plane : planes) {
            Bytes packed;
            Packets(plane.data() + y * W, W, 128, 2, [&](bool run, const uint8_t* s, size_t count) {
                packed.push_back(static_cast<uint8_t>(run ? count - 1 : 256 - count));
                packed.insert(packed.end(), s, s + (run ? 1 : count));
            });
            Be16(out, static_cast<unsigned>(packed.size()));
            out.insert(out.end(), packed.begin(), packed.end());
        }
    }
    return out;
}

void PspBlock(Bytes& out, uint16_t id, const Bytes& data)
{
    out.insert(out.end(), {'~', 'B', 'K', 0});
    Le16(out, id);
    Le32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
}

Bytes PspFile(bool deflate)
{
    Bytes out(32);
    std::memcpy(out.data(), "Paint Shop Pro Image File\n\x1a", 27);
    Le16(out, 5), Le16(out, 0);
    Bytes attributes;
    Le32(attributes, 50), Le32(attributes, W), Le32(attributes, H);
    const double resolution = 72;
    uint64_t bits;
    std::memcpy(&bits, &resolution, 8);
    Le32(attributes, uint32_t(bits)), Le32(attributes, uint32_t(bits >> 32));
    attributes.push_back(1);
    Le16(attributes, deflate ? 2 : 1), Le16(attributes, 24), Le16(attributes, 3), Le32(attributes, 0);
    attributes.push_back(0);
    Le32(attributes, 0), Le32(attributes, 0), Le16(attributes, 1), Le32(attributes, 0);
    PspBlock(out, 0, attributes);

    Bytes layer;
    Le32(layer, 4 + 2 + 10 + 115), Le16(layer, 10);
    layer.insert(layer.end(), {'B', 'a', 'c', 'k', 'g', 'r', 'o', 'u', 'n', 'd'});
    layer.push_back(1);
    layer.resize(layer.size() + 114);
    Le32(layer, 8), Le16(layer, 1), Le16(layer, 3);
    const auto& planes = Planes();
    for (uint16_t c = 0; c < 3; ++c) {
        Bytes packed;
        if (deflate) {
            uLongf size = compressBound(planes[c].size());
            packed.resize(size);
            compress2(packed.data(), &size, planes[c].data(), planes[c].size(), 6);
            packed.resize(size);
        } else {
            Packets(planes[c].data(), planes[c].size(), 127, 3, [&](bool run, const uint8_t* s, size_t count) {
                packed.push_back(static_cast<uint8_t>(run ? 128 + count : count));
                packed.insert(packed.end(), s, s + (run ? 1 : count));
            });
        }
        Bytes channel;
        Le32(channel, 16), Le32(channel, static_cast<uint32_t>(packed.size()));
        Le32(channel, static_cast<uint32_t>(planes[c].size())), Le16(channel, 0), Le16(channel, c + 1);
        channel.insert(channel.end(), packed.begin(), packed.end());
        PspBlock(layer, 5, channel);
    }
    Bytes layers;
    PspBlock(layers, 4, layer);
    PspBlock(out, 3, layers);
    return out;
}

Bytes PcdFile()
{
    Bytes out(96 * 2048);
    std::memcpy(&out[2048], "PCD_IPI", 7);
    const auto& planes = Planes();
    for (int group = 0; group < 256; ++group) {
        for (int r = 0; r < 2; ++r)
            out.insert(out.end(), planes[1].begin() + (2 * group + r) * W, planes[1].begin() + (2 * group + r) * W + 768);
        for (int c : {0, 2})
            out.insert(out.end(), planes[c].begin() + group * W, planes[c].begin() + group * W + 384);
    }
    return out;
}

Bytes EpsFile()
{
    // An uncompressed RGB TIFF preview in one strip after a short PostScript.
    const std::string postscript = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 4000 3000\nshowpage\n";
    Bytes tiff{'I', 'I', 42, 0};
    const uint32_t stripAt = 8, stripSize = uint32_t{W} * H * 3, ifdAt = stripAt + stripSize;
    Le32(tiff, ifdAt);
    const auto& planes = Planes();
    tiff.reserve(ifdAt + 200);
    for (size_t i = 0; i < size_t{W} * H; ++i)
        tiff.insert(tiff.end(), {planes[0][i], planes[1][i], planes[2][i]});
    const uint32_t bitsAt = ifdAt + 2 + 9 * 12 + 4;
    Le16(tiff, 9);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        Le16(tiff, tag), Le16(tiff, type), Le32(tiff, count), Le32(tiff, value);
    };
    entry(256, 4, 1, W), entry(257, 4, 1, H), entry(258, 3, 3, bitsAt), entry(259, 3, 1, 1), entry(262, 3, 1, 2);
    entry(273, 4, 1, stripAt), entry(277, 3, 1, 3), entry(278, 4, 1, H), entry(279, 4, 1, stripSize);
    Le32(tiff, 0);
    Le16(tiff, 8), Le16(tiff, 8), Le16(tiff, 8);
    Bytes out{0xC5, 0xD0, 0xD3, 0xC6};
    Le32(out, 30), Le32(out, static_cast<uint32_t>(postscript.size())), Le32(out, 0), Le32(out, 0);
    Le32(out, static_cast<uint32_t>(30 + postscript.size())), Le32(out, static_cast<uint32_t>(tiff.size()));
    Le16(out, 0xFFFF);
    out.insert(out.end(), postscript.begin(), postscript.end());
    out.insert(out.end(), tiff.begin(), tiff.end());
    return out;
}

template <class Reader>
void Decode(benchmark::State& state, const Bytes& file, int64_t pixels = int64_t{W} * H)
{
    for (auto _ : state) {
        TMemoryStream stream(file.data(), file.size());
        Reader reader;
        reader.LoadFromStream(stream);
        benchmark::DoNotOptimize(reader.ScanLine(reader.Height() - 1));
    }
    state.SetItemsProcessed(state.iterations() * pixels);
    state.counters["file_MB"] = double(file.size()) / 1e6;
}

void PsdRaw(benchmark::State& s) { static const Bytes f = PsdFile(false); Decode<TPSDGraphic>(s, f); }
void PsdPackBits(benchmark::State& s) { static const Bytes f = PsdFile(true); Decode<TPSDGraphic>(s, f); }
void Rla(benchmark::State& s) { static const Bytes f = RlaFile(); Decode<TRLAGraphic>(s, f); }
void PspDeflate(benchmark::State& s) { static const Bytes f = PspFile(true); Decode<TPSPGraphic>(s, f); }
void PspRle(benchmark::State& s) { static const Bytes f = PspFile(false); Decode<TPSPGraphic>(s, f); }
void Pcd(benchmark::State& s) { static const Bytes f = PcdFile(); Decode<TPCDGraphic>(s, f, 768 * 512); }
void Eps(benchmark::State& s) { static const Bytes f = EpsFile(); Decode<TEPSGraphic>(s, f); }

BENCHMARK(PsdRaw)->Name("PsdRgbRaw_12MP")->Unit(benchmark::kMillisecond);
BENCHMARK(PsdPackBits)->Name("PsdRgbPackBits_12MP")->Unit(benchmark::kMillisecond);
BENCHMARK(Rla)->Name("RlaRgb8_12MP")->Unit(benchmark::kMillisecond);
BENCHMARK(PspDeflate)->Name("PspRgbDeflate_12MP")->Unit(benchmark::kMillisecond);
BENCHMARK(PspRle)->Name("PspRgbRle_12MP")->Unit(benchmark::kMillisecond);
BENCHMARK(Pcd)->Name("PcdBase_768x512")->Unit(benchmark::kMillisecond);
BENCHMARK(Eps)->Name("EpsTiffPreview_12MP")->Unit(benchmark::kMillisecond);

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
        const bool ok = WriteFile(dir + "/bench_raw.psd", PsdFile(false)) &&
                        WriteFile(dir + "/bench_packbits.psd", PsdFile(true)) &&
                        WriteFile(dir + "/bench.rla", RlaFile()) &&
                        WriteFile(dir + "/bench_deflate.psp", PspFile(true)) &&
                        WriteFile(dir + "/bench_rle.psp", PspFile(false)) && WriteFile(dir + "/bench.pcd", PcdFile()) &&
                        WriteFile(dir + "/bench.eps", EpsFile());
        return ok ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
