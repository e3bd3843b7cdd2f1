// Row conversion speed of the colour manager next to a plain copy of the
// same rows: 8-bit RGB -> BGR should run at memory speed.
#include "imaging/color/ColorManager.h"
#include "imaging/color/SrgbConversion.h"

#include <benchmark/benchmark.h>

#include <lcms2.h>

#include <cstring>
#include <random>
#include <vector>

using namespace orvane::imaging;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000; // 12 megapixels

struct TPicture {
    std::vector<uint8_t> source;
    std::vector<uint8_t> target;
    size_t sourceRow;
    size_t targetRow;
};

TPicture MakePicture(size_t sourceBytes, size_t targetBytes)
{
    TPicture p;
    p.sourceRow = kWidth * sourceBytes;
    p.targetRow = kWidth * targetBytes;
    p.source.resize(p.sourceRow * kHeight);
    p.target.resize(p.targetRow * kHeight);
    std::mt19937 random(7);
    for (auto& b : p.source)
        b = static_cast<uint8_t>(random());
    return p;
}

void RunConversion(benchmark::State& state, TColorScheme from, TColorScheme to, size_t sourceBytes,
                   size_t targetBytes, uint8_t mask, TConvertOptions targetOptions)
{
    TPicture p = MakePicture(sourceBytes, targetBytes);
    TColorManager manager;
    manager.SetSourceColorScheme(from);
    manager.SetTargetColorScheme(to);
    manager.SetSourceSamplesPerPixel(static_cast<uint8_t>(sourceBytes));
    manager.SetTargetSamplesPerPixel(static_cast<uint8_t>(targetBytes));
    manager.SetTargetOptions(targetOptions);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            manager.ConvertPixels(p.source.data() + y * p.sourceRow, mask, kWidth, p.target.data() + y * p.targetRow);
        benchmark::DoNotOptimize(p.target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(p.source.size()));
}

void BM_Memcpy_Rows_12MP(benchmark::State& state)
{
    TPicture p = MakePicture(3, 3);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(p.target.data() + y * p.targetRow, p.source.data() + y * p.sourceRow, p.sourceRow);
        benchmark::DoNotOptimize(p.target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(p.source.size()));
}

void BM_ColorManager_RGBToBGR_8bit_12MP(benchmark::State& state)
{
    RunConversion(state, TColorScheme::csRGB, TColorScheme::csBGR, 3, 3, 0xFF, 0);
}

void BM_ColorManager_RGBAToBGRA_8bit_12MP(benchmark::State& state)
{
    RunConversion(state, TColorScheme::csRGBA, TColorScheme::csBGRA, 4, 4, 0xFF, 0);
}

void BM_ColorManager_RGBToBGR_8bit_Gamma_12MP(benchmark::State& state)
{
    RunConversion(state, TColorScheme::csRGB, TColorScheme::csBGR, 3, 3, 0xFF, coApplyGamma);
}

void BM_ColorManager_RGBToBGR_8bit_MaskAA_12MP(benchmark::State& state)
{
    // Half the pixels written, as in the fifth interlace pass.
    RunConversion(state, TColorScheme::csRGB, TColorScheme::csBGR, 3, 3, 0xAA, 0);
}

} // namespace

BENCHMARK(BM_Memcpy_Rows_12MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorManager_RGBToBGR_8bit_12MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorManager_RGBAToBGRA_8bit_12MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorManager_RGBToBGR_8bit_Gamma_12MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorManager_RGBToBGR_8bit_MaskAA_12MP)->Unit(benchmark::kMillisecond);

// Showing a 24-megapixel (6000 x 4000) photo with a colour profile: what is
// converted is the picture at its shown size, 1620 x 1080 on a full screen
// of 1920 x 1080 and 1000 x 667 in a normal window. The profile is a wide
// gamut one on a plain gamma curve, as cameras write.
std::vector<uint8_t> WideGamutProfile()
{
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 2.2);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(curve);
    return bytes;
}

void BM_Lcms2_ToSrgb_Shown(benchmark::State& state, int width, int height, TSrgbLayout layout)
{
    const std::vector<uint8_t> profile = WideGamutProfile();
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    std::mt19937 random(7);
    for (uint8_t& b : pixels)
        b = static_cast<uint8_t>(random());
    ConvertToSrgb(profile, layout, pixels.data(), width, height, size_t(width) * 4); // the transform, once
    for (auto _ : state) {
        ConvertToSrgb(profile, layout, pixels.data(), width, height, size_t(width) * 4);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * width * height);
}

BENCHMARK_CAPTURE(BM_Lcms2_ToSrgb_Shown, Bgrx_1620x1080, 1620, 1080, TSrgbLayout::Bgrx)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Lcms2_ToSrgb_Shown, Bgrx_1000x667, 1000, 667, TSrgbLayout::Bgrx)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Lcms2_ToSrgb_Shown, Bgra_1620x1080, 1620, 1080, TSrgbLayout::Bgra)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
