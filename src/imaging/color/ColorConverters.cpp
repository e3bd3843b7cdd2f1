// Row converters of the colour schemes (RGB and BGR with or without alpha,
// CMYK, CIE L*a*b*, YCbCr, Photo YCC) into 24- and 32-bit bitmap rows.
#include "imaging/color/ColorKernels.h"
#include "imaging/color/PixelMask.h"
#include "imaging/color/RedBlueSwap.h"

#include <algorithm>
#include <cmath>

namespace orvane::imaging {

using namespace color_detail;

namespace {

bool IsRGBFamily(TColorScheme s)
{
    return s == TColorScheme::csRGB || s == TColorScheme::csRGBA || s == TColorScheme::csBGR ||
           s == TColorScheme::csBGRA;
}

bool StoredAsRGB(TColorScheme s)
{
    return s == TColorScheme::csRGB || s == TColorScheme::csRGBA;
}

uint8_t Clamp8(int v)
{
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

// --- 8-bit interleaved RGB/BGR: the common case, kept free of per-pixel
// decisions so the compiler can vectorise the unmasked loop.

template <int SourceBytes, int TargetBytes, bool SwapRB, bool Gamma>
inline void Rgb8Pixel(const uint8_t* __restrict s, uint8_t* __restrict t, const uint8_t* __restrict g)
{
    uint8_t c0 = s[0], c1 = s[1], c2 = s[2];
    if constexpr (Gamma) {
        c0 = g[c0];
        c1 = g[c1];
        c2 = g[c2];
    }
    if constexpr (SwapRB) {
        t[0] = c2;
        t[1] = c1;
        t[2] = c0;
    } else {
        t[0] = c0;
        t[1] = c1;
        t[2] = c2;
    }
    if constexpr (SourceBytes == 4 && TargetBytes == 4)
        t[3] = s[3];
}

template <int SourceBytes, int TargetBytes, bool SwapRB, bool Gamma>
void Rgb8Run(const uint8_t* __restrict s, uint8_t* __restrict t, size_t count, const uint8_t* __restrict g)
{
    if constexpr (!Gamma && SourceBytes == TargetBytes) {
        if constexpr (!SwapRB)
            std::memcpy(t, s, count * SourceBytes);
        else if constexpr (SourceBytes == 3)
            SwapRedBlue3(s, t, count);
        else
            SwapRedBlue4(s, t, count);
        return;
    }
    for (size_t i = 0; i < count; ++i)
        Rgb8Pixel<SourceBytes, TargetBytes, SwapRB, Gamma>(s + i * SourceBytes, t + i * TargetBytes, g);
}

void GenericRow(const TColorManager& m, const uint8_t* const* sources, bool planar, uint8_t mask, size_t count,
                uint8_t* target);

template <int SourceBytes, int TargetBytes, bool SwapRB, bool Gamma>
void Rgb8Row(const TColorManager& m, const uint8_t* const* sources, bool planar, uint8_t mask, size_t count,
             uint8_t* target)
{
    const uint8_t* g = TColorKernels::Gamma(m);
    if (planar) {
        if (mask != 0xFF) {
            GenericRow(m, sources, planar, mask, count, target);
            return;
        }
        // One sample from each plane per pixel, then the interleaved rule.
        const uint8_t* __restrict p0 = sources[0];
        const uint8_t* __restrict p1 = sources[1];
        const uint8_t* __restrict p2 = sources[2];
        const uint8_t* __restrict p3 = SourceBytes == 4 ? sources[3] : nullptr;
        for (size_t i = 0; i < count; ++i) {
            uint8_t pixel[4] = {p0[i], p1[i], p2[i], 0};
            if constexpr (SourceBytes == 4)
                pixel[3] = p3[i];
            Rgb8Pixel<SourceBytes, TargetBytes, SwapRB, Gamma>(pixel, target + i * TargetBytes, g);
        }
        return;
    }
    const uint8_t* s = sources[0];
    if (mask == 0xFF) {
        Rgb8Run<SourceBytes, TargetBytes, SwapRB, Gamma>(s, target, count, g);
        return;
    }
    ForEachSelected(mask, count, [&](size_t i) {
        Rgb8Pixel<SourceBytes, TargetBytes, SwapRB, Gamma>(s, target + i * TargetBytes, g);
        s += SourceBytes;
    });
}

template <int SourceBytes, int TargetBytes>
TColorManager::TRowConverter Rgb8For(bool swapRB, bool gamma)
{
    if (swapRB)
        return gamma ? &Rgb8Row<SourceBytes, TargetBytes, true, true> : &Rgb8Row<SourceBytes, TargetBytes, true, false>;
    return gamma ? &Rgb8Row<SourceBytes, TargetBytes, false, true> : &Rgb8Row<SourceBytes, TargetBytes, false, false>;
}

// --- Everything else: 16-bit samples, planes, and the schemes that need
// arithmetic. Settings are read once per row.

struct TRowSetup {
    TColorScheme scheme;
    size_t samples;     // source samples per pixel
    size_t sampleBytes; // 1 or 2
    bool swap;
    bool target16;
    bool targetRGB; // target order red, green, blue
    bool sourceAlpha;
    bool targetAlpha;
    bool gamma;
    bool labByteRange;
    bool labChromaOffset;
    bool keep16; // RGB family 16 -> 16: no reduction to 8 bits
};

struct TPixel {
    uint32_t r, g, b, a;
};

void LabToRGB(const TRowSetup& setup, uint32_t l8, uint32_t a8, uint32_t b8, TPixel& out)
{
    const double L = setup.labByteRange ? l8 / 2.55 : static_cast<double>(l8);
    const double a = setup.labChromaOffset ? static_cast<double>(a8) - 128 : static_cast<double>(static_cast<int8_t>(a8));
    const double b = setup.labChromaOffset ? static_cast<double>(b8) - 128 : static_cast<double>(static_cast<int8_t>(b8));
    double X, Y, Z;
    if (L < 7.9996) {
        Y = L / 903.3;
        X = Y + a / 3893.5;
        Z = Y - b / 1557.4;
    } else {
        const double f = (L + 16) / 116;
        const double fx = f + a / 500;
        const double fz = f - b / 200;
        X = fx * fx * fx;
        Y = f * f * f;
        Z = fz * fz * fz;
    }
    auto channel = [](double v) { return static_cast<uint32_t>(std::clamp(std::lround(255 * v), 0L, 255L)); };
    out.b = channel(0.099 * X - 0.198 * Y + 1.099 * Z);
    out.g = channel(-0.952 * X + 1.893 * Y + 0.059 * Z);
    out.r = channel(2.998 * X - 1.458 * Y - 0.541 * Z);
}

TRowSetup RowSetupOf(const TColorManager& m)
{
    TRowSetup setup{};
    setup.scheme = TColorKernels::SourceScheme(m);
    setup.samples = TColorKernels::SourceSamples(setup.scheme);
    setup.sampleBytes = TColorKernels::SourceBits(m) == 16 ? 2 : 1;
    setup.swap = (TColorKernels::SourceOptions(m) & coNeedByteSwap) != 0;
    setup.target16 = TColorKernels::TargetBits(m) == 16;
    setup.targetRGB = StoredAsRGB(TColorKernels::TargetScheme(m));
    setup.sourceAlpha = (TColorKernels::SourceOptions(m) & coAlpha) != 0;
    setup.targetAlpha = (TColorKernels::TargetOptions(m) & coAlpha) != 0;
    setup.gamma = IsRGBFamily(setup.scheme) && TColorKernels::GammaNeeded(m);
    setup.labByteRange = (TColorKernels::SourceOptions(m) & coLabByteRange) != 0;
    setup.labChromaOffset = (TColorKernels::SourceOptions(m) & coLabChromaOffset) != 0;
    setup.keep16 = IsRGBFamily(setup.scheme) && setup.sampleBytes == 2 && setup.target16;
    return setup;
}

// One source pixel as red, green, blue and alpha; sample(k) gives its
// sample k.
template <class Sample>
TPixel ReadPixel(const TRowSetup& setup, const TColorManager::TChromaTables& chroma, Sample sample)
{
    TPixel px{0, 0, 0, 0};
    switch (setup.scheme) {
    case TColorScheme::csRGB:
    case TColorScheme::csRGBA:
        px = {sample(0), sample(1), sample(2), setup.sourceAlpha ? sample(3) : 0};
        break;
    case TColorScheme::csBGR:
    case TColorScheme::csBGRA:
        px = {sample(2), sample(1), sample(0), setup.sourceAlpha ? sample(3) : 0};
        break;
    case TColorScheme::csCMYK: {
        const int c = static_cast<int>(sample(0)), mg = static_cast<int>(sample(1));
        const int y = static_cast<int>(sample(2)), k = static_cast<int>(sample(3));
        auto ink = [k](int x) { return static_cast<uint32_t>(Clamp8(x * k / 255 - x - k + 255)); };
        px = {ink(c), ink(mg), ink(y), 0};
        break;
    }
    case TColorScheme::csCIELab:
        LabToRGB(setup, sample(0), sample(1), sample(2), px);
        break;
    case TColorScheme::csYCbCr:
    case TColorScheme::csPhotoYCC: {
        const int y = static_cast<int>(sample(0));
        const uint32_t cb = sample(1), cr = sample(2);
        px.r = Clamp8(y + chroma.RedFromCr[cr]);
        px.g = Clamp8(y + chroma.GreenFromCb[cb] + chroma.GreenFromCr[cr]);
        px.b = Clamp8(y + chroma.BlueFromCb[cb]);
        break;
    }
    default:
        break;
    }
    return px;
}

// A pixel into the target, through the gamma table when the setup asks.
void WritePixel(const TRowSetup& setup, const uint8_t* gammaTable, TPixel px, uint8_t* t)
{
    if (setup.gamma && !setup.keep16) {
        px.r = gammaTable[px.r];
        px.g = gammaTable[px.g];
        px.b = gammaTable[px.b];
    }
    const uint32_t first = setup.targetRGB ? px.r : px.b;
    const uint32_t third = setup.targetRGB ? px.b : px.r;
    if (setup.target16) {
        auto out = [&](uint32_t v) { return setup.keep16 ? static_cast<uint16_t>(v) : Widen8(v); };
        Store16(t, out(first));
        Store16(t + 2, out(px.g));
        Store16(t + 4, out(third));
        if (setup.sourceAlpha && setup.targetAlpha)
            Store16(t + 6, out(px.a));
    } else {
        t[0] = static_cast<uint8_t>(first);
        t[1] = static_cast<uint8_t>(px.g);
        t[2] = static_cast<uint8_t>(third);
        if (setup.sourceAlpha && setup.targetAlpha)
            t[3] = static_cast<uint8_t>(px.a);
    }
}

void GenericRow(const TColorManager& m, const uint8_t* const* sources, bool planar, uint8_t mask, size_t count,
                uint8_t* target)
{
    const TRowSetup setup = RowSetupOf(m);
    const uint8_t* gammaTable = TColorKernels::Gamma(m);
    const auto& chroma = TColorKernels::Chroma(m);
    const size_t targetBytes = (setup.targetAlpha ? 4 : 3) * (setup.target16 ? 2 : 1);
    size_t j = 0; // source pixels consumed
    auto sample = [&](size_t k) -> uint32_t {
        const uint8_t* p = planar ? sources[k] + j * setup.sampleBytes
                                  : sources[0] + (j * setup.samples + k) * setup.sampleBytes;
        if (setup.sampleBytes == 1)
            return *p;
        const uint16_t v = Load16(p);
        const uint32_t wide = setup.swap ? Swap16(v) : v;
        return setup.keep16 ? wide : Reduce16(wide);
    };
    ForEachSelected(mask, count, [&](size_t i) {
        const TPixel px = ReadPixel(setup, chroma, sample);
        ++j;
        WritePixel(setup, gammaTable, px, target + i * targetBytes);
    });
}

} // namespace

size_t TColorKernels::SourceSamples(TColorScheme scheme)
{
    switch (scheme) {
    case TColorScheme::csGA:
        return 2;
    case TColorScheme::csRGBA:
    case TColorScheme::csBGRA:
    case TColorScheme::csCMYK:
        return 4;
    case TColorScheme::csIndexed:
    case TColorScheme::csG:
        return 1;
    default:
        return 3;
    }
}

TColorManager::TRowConverter TColorKernels::ChooseColor(const TColorManager& m)
{
    const TColorScheme source = SourceScheme(m);
    const TColorScheme target = TargetScheme(m);
    if (!IsRGBFamily(target))
        return nullptr;
    const unsigned sb = SourceBits(m);
    const unsigned tb = TargetBits(m);
    if ((sb != 8 && sb != 16) || (tb != 8 && tb != 16))
        return nullptr;
    switch (source) {
    case TColorScheme::csRGB:
    case TColorScheme::csRGBA:
    case TColorScheme::csBGR:
    case TColorScheme::csBGRA:
        if (sb == 8 && tb == 8) {
            const bool swapRB = StoredAsRGB(source) != StoredAsRGB(target);
            const bool gamma = GammaNeeded(m);
            const bool sourceAlpha = (SourceOptions(m) & coAlpha) != 0;
            const bool targetAlpha = (TargetOptions(m) & coAlpha) != 0;
            if (sourceAlpha)
                return targetAlpha ? Rgb8For<4, 4>(swapRB, gamma) : Rgb8For<4, 3>(swapRB, gamma);
            return targetAlpha ? Rgb8For<3, 4>(swapRB, gamma) : Rgb8For<3, 3>(swapRB, gamma);
        }
        return &GenericRow;
    case TColorScheme::csCMYK:
    case TColorScheme::csCIELab:
    case TColorScheme::csYCbCr:
    case TColorScheme::csPhotoYCC:
        return &GenericRow;
    default:
        return nullptr;
    }
}

TColorManager::TRowConverter TColorKernels::Choose(const TColorManager& m)
{
    switch (SourceScheme(m)) {
    case TColorScheme::csIndexed:
    case TColorScheme::csG:
    case TColorScheme::csGA:
        return ChooseIndexed(m);
    default:
        return ChooseColor(m);
    }
}

} // namespace orvane::imaging
