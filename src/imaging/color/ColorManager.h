#pragma once
// The pixel converter every reader owns: turns rows of samples as a file
// stores them into rows of the bitmap being filled, and makes the bitmap's
// palettes. A reader describes source and target once per image; the
// converter for that pair is chosen once, on the first row after a change.
#include "imaging/core/Bitmap.h"
#include "imaging/core/ImageProperties.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <vector>

namespace orvane::imaging {

class EColorConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bits of the source and target option sets.
enum TConvertOption : uint8_t {
    coAlpha = 1,            // pixels carry an alpha sample (set from the scheme)
    coApplyGamma = 2,       // target: take colour values through the gamma table
    coNeedByteSwap = 4,     // source: 16-bit samples are in the other byte order
    coLabByteRange = 8,     // source: L* stored as 0..255 instead of 0..100
    coLabChromaOffset = 16, // source: a* and b* stored unsigned with offset 128
};
using TConvertOptions = uint8_t;

// Layouts of the palette data handed to MakeColorPalette.
enum class TRawPaletteFormat {
    pfInterlaced8Triple, // one pointer: R, G, B bytes per entry (PNG, PCX)
    pfInterlaced8Quad,   // one pointer: B, G, R, reserved bytes per entry (Paint Shop Pro)
    pfPlane8Triple,      // three 8-bit planes R, G, B (Photoshop); one pointer = planes back to back
    pfPlane16Triple,     // three 16-bit planes R, G, B (TIFF); one pointer = planes back to back
};

// Source and target of a conversion, set in one step (Configure).
struct TConversion {
    TColorScheme SourceScheme = TColorScheme::csRGB;
    TColorScheme TargetScheme = TColorScheme::csBGR;
    uint8_t SourceBitsPerSample = 8;
    uint8_t TargetBitsPerSample = 8;
    uint8_t SourceSamplesPerPixel = 3;
    uint8_t TargetSamplesPerPixel = 3;
    TConvertOptions SourceOptions = 0;
    TConvertOptions TargetOptions = 0;

    // Samples that keep their scheme, depth and count (indexed and gray
    // rows, colour already in the bitmap's order).
    static constexpr TConversion Unchanged(TColorScheme scheme, uint8_t bitsPerSample, uint8_t samplesPerPixel)
    {
        return {scheme, scheme, bitsPerSample, bitsPerSample, samplesPerPixel, samplesPerPixel};
    }
};

class TColorManager {
public:
    TColorManager();

    // Sets options, schemes, depths and sample counts; a depth or a sample
    // count out of range raises its error as its own setter does (depths
    // are checked first).
    void Configure(const TConversion& conversion);

    uint8_t SourceBitsPerSample() const { return sourceBPS_; }
    void SetSourceBitsPerSample(uint8_t value);
    uint8_t TargetBitsPerSample() const { return targetBPS_; }
    void SetTargetBitsPerSample(uint8_t value);
    uint8_t SourceSamplesPerPixel() const { return sourceSPP_; }
    void SetSourceSamplesPerPixel(uint8_t value);
    uint8_t TargetSamplesPerPixel() const { return targetSPP_; }
    void SetTargetSamplesPerPixel(uint8_t value);
    TColorScheme SourceColorScheme() const { return sourceScheme_; }
    void SetSourceColorScheme(TColorScheme value);
    TColorScheme TargetColorScheme() const { return targetScheme_; }
    void SetTargetColorScheme(TColorScheme value);
    TConvertOptions SourceOptions() const { return sourceOptions_; }
    void SetSourceOptions(TConvertOptions value);
    TConvertOptions TargetOptions() const { return targetOptions_; }
    void SetTargetOptions(TConvertOptions value);

    // Gammas of 0 or below fall back to 1.0 (file) and 2.2 (display).
    void UpdateGamma(float mainGamma, float displayGamma);
    float MainGamma() const { return mainGamma_; }
    float DisplayGamma() const { return displayGamma_; }
    const std::array<uint8_t, 256>& GammaTable() const { return gammaTable_; }
    // Whether the gamma table maps any value to another one.
    bool GammaChangesValues() const;

    // Up to three luma weights (red, green, blue; missing ones keep their
    // values) and the YCbCr subsampling (1, 2 or 4; vertical <= horizontal).
    void SetChroma(std::initializer_list<float> coefficients, uint8_t horizontal, uint8_t vertical);
    uint8_t HorizontalSubsampling() const { return hSubsampling_; }
    uint8_t VerticalSubsampling() const { return vSubsampling_; }

    // Converts count target pixels. One source pointer: interleaved samples;
    // several: one plane per sample. Mask bits, from bit 7 and rotating, say
    // which target pixels are written; skipped pixels use no source samples.
    void ConvertPixels(const uint8_t* source, uint8_t mask, size_t count, uint8_t* target);
    void ConvertPixels(const uint8_t* const* sources, size_t sourceCount, uint8_t mask, size_t count,
                       uint8_t* target);
    void ConvertPixels(std::initializer_list<const uint8_t*> sources, uint8_t mask, size_t count,
                       uint8_t* target)
    {
        ConvertPixels(sources.begin(), sources.size(), mask, count, target);
    }

    // Chooses the converter now instead of on the first row, so settings no
    // converter serves fail before a reader allocates anything: raises what
    // ConvertPixels would for rows handed over as sourceCount pointers.
    void RequireConverter(size_t sourceCount);

    // The bitmap format matching the target (or the source) settings.
    TPixelFormat PixelFormatFor(bool useTarget = true) const;

    std::vector<TRGBQuad> MakeGrayPalette(bool minIsWhite) const;
    std::vector<TRGBQuad> MakeColorPalette(const void* const* data, size_t dataCount, TRawPaletteFormat layout,
                                           size_t count) const;
    std::vector<TRGBQuad> MakeColorPalette(std::initializer_list<const void*> data, TRawPaletteFormat layout,
                                           size_t count) const
    {
        return MakeColorPalette(data.begin(), data.size(), layout, count);
    }

    // Internal: the chosen row converter.
    using TRowConverter = void (*)(const TColorManager& manager, const uint8_t* const* sources, bool planar,
                                   uint8_t mask, size_t count, uint8_t* target);

    // Chroma tables, built for YCbCr and Photo YCC sources.
    struct TChromaTables {
        std::array<int32_t, 256> RedFromCr{};
        std::array<int32_t, 256> BlueFromCb{};
        std::array<int32_t, 256> GreenFromCr{};
        std::array<int32_t, 256> GreenFromCb{};
    };
    const TChromaTables& ChromaTables() const { return chroma_; }

private:
    void BuildGammaTable();
    void BuildChromaTables(bool photoYCC);
    void ChooseConverter();

    bool changed_ = true;
    uint8_t sourceBPS_ = 8;
    uint8_t targetBPS_ = 8;
    uint8_t sourceSPP_ = 3;
    uint8_t targetSPP_ = 3;
    float mainGamma_ = 1.0f;
    float displayGamma_ = 2.2f;
    std::array<uint8_t, 256> gammaTable_{};
    TConvertOptions sourceOptions_ = 0;
    TConvertOptions targetOptions_ = 0;
    std::array<float, 3> yCbCrCoefficients_{0.299f, 0.587f, 0.114f};
    uint8_t hSubsampling_ = 1;
    uint8_t vSubsampling_ = 1;
    TChromaTables chroma_;
    TColorScheme sourceScheme_ = TColorScheme::csRGB;
    TColorScheme targetScheme_ = TColorScheme::csBGR;
    TRowConverter converter_ = nullptr;
    size_t sourcePlanesNeeded_ = 1; // samples per pixel the chosen converter reads

    friend struct TColorKernels;
};

} // namespace orvane::imaging
