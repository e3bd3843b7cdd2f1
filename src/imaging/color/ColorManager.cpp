#include "imaging/color/ColorManager.h"

#include "imaging/color/ColorKernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orvane::imaging {

namespace {

const char* const kInvalidDepth = "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
const char* const kInvalidSampleCount = "Sample count per pixel does not correspond to the given color scheme.";
const char* const kInvalidSubsampling = "Subsampling value is invalid. Allowed are 1, 2 and 4.";
const char* const kVerticalAboveHorizontal = "Vertical subsampling value must be <= horizontal subsampling value.";
const char* const kIndexedMix = "Conversion between indexed and non-indexed pixel formats is not supported.";
const char* const kNoMethod = "Color conversion failed. Could not find a proper method.";

bool InIndexedFamily(TColorScheme scheme, bool asSource)
{
    switch (scheme) {
    case TColorScheme::csIndexed:
    case TColorScheme::csG:
        return true;
    case TColorScheme::csGA:
        return asSource;
    default:
        return false;
    }
}

bool HasAlphaSample(TColorScheme scheme)
{
    return scheme == TColorScheme::csGA || scheme == TColorScheme::csRGBA || scheme == TColorScheme::csBGRA;
}

void CheckDepth(uint8_t value)
{
    if (value == 0 || value > 16)
        throw EColorConversionError(kInvalidDepth);
}

void CheckSampleCount(uint8_t value)
{
    if (value == 0 || value > 4)
        throw EColorConversionError(kInvalidSampleCount);
}

bool ValidSubsampling(uint8_t value)
{
    return value == 1 || value == 2 || value == 4;
}

uint8_t ApplyTable(const std::array<uint8_t, 256>& table, bool apply, uint8_t value)
{
    return apply ? table[value] : value;
}

} // namespace

TColorManager::TColorManager()
{
    BuildGammaTable();
}

void TColorManager::Configure(const TConversion& conversion)
{
    SetSourceOptions(conversion.SourceOptions);
    SetTargetOptions(conversion.TargetOptions);
    SetSourceColorScheme(conversion.SourceScheme);
    SetTargetColorScheme(conversion.TargetScheme);
    SetSourceBitsPerSample(conversion.SourceBitsPerSample);
    SetTargetBitsPerSample(conversion.TargetBitsPerSample);
    SetSourceSamplesPerPixel(conversion.SourceSamplesPerPixel);
    SetTargetSamplesPerPixel(conversion.TargetSamplesPerPixel);
}

void TColorManager::SetSourceBitsPerSample(uint8_t value)
{
    CheckDepth(value);
    if (value != sourceBPS_) {
        sourceBPS_ = value;
        changed_ = true;
    }
}

void TColorManager::SetTargetBitsPerSample(uint8_t value)
{
    CheckDepth(value);
    if (value != targetBPS_) {
        targetBPS_ = value;
        changed_ = true;
    }
}

void TColorManager::SetSourceSamplesPerPixel(uint8_t value)
{
    CheckSampleCount(value);
    if (value != sourceSPP_) {
        sourceSPP_ = value;
        changed_ = true;
    }
}

void TColorManager::SetTargetSamplesPerPixel(uint8_t value)
{
    CheckSampleCount(value);
    if (value != targetSPP_) {
        targetSPP_ = value;
        changed_ = true;
    }
}

void TColorManager::SetSourceColorScheme(TColorScheme value)
{
    sourceScheme_ = value;
    changed_ = true;
}

void TColorManager::SetTargetColorScheme(TColorScheme value)
{
    targetScheme_ = value;
    changed_ = true;
}

// The converter is specialised on the options (gamma, byte order), so a new
// option set means choosing again.
void TColorManager::SetSourceOptions(TConvertOptions value)
{
    if (value != sourceOptions_) {
        sourceOptions_ = value;
        changed_ = true;
    }
}

void TColorManager::SetTargetOptions(TConvertOptions value)
{
    if (value != targetOptions_) {
        targetOptions_ = value;
        changed_ = true;
    }
}

void TColorManager::UpdateGamma(float mainGamma, float displayGamma)
{
    mainGamma_ = mainGamma > 0 ? mainGamma : 1.0f;
    displayGamma_ = displayGamma > 0 ? displayGamma : 2.2f;
    BuildGammaTable();
    changed_ = true; // the converter depends on whether the table changes values
}

// The table maps 8-bit values to 8-bit values: the converters apply it to
// 8-bit colour samples and the palettes to 8-bit palette entries, whatever
// the depth of the bitmap's indexes.
void TColorManager::BuildGammaTable()
{
    const double exponent = 1.0 / (static_cast<double>(mainGamma_) * static_cast<double>(displayGamma_));
    for (int i = 0; i < 256; ++i) {
        const double value = std::round(255.0 * std::pow(i / 255.0, exponent));
        gammaTable_[i] = static_cast<uint8_t>(std::clamp(value, 0.0, 255.0));
    }
}

bool TColorManager::GammaChangesValues() const
{
    for (size_t i = 0; i < gammaTable_.size(); ++i)
        if (gammaTable_[i] != i)
            return true;
    return false;
}

void TColorManager::SetChroma(std::initializer_list<float> coefficients, uint8_t horizontal, uint8_t vertical)
{
    if (!ValidSubsampling(horizontal) || !ValidSubsampling(vertical))
        throw EColorConversionError(kInvalidSubsampling);
    if (vertical > horizontal)
        throw EColorConversionError(kVerticalAboveHorizontal);
    size_t i = 0;
    for (float c : coefficients) {
        if (i == yCbCrCoefficients_.size())
            break;
        yCbCrCoefficients_[i++] = c;
    }
    hSubsampling_ = horizontal;
    vSubsampling_ = vertical;
    changed_ = true;
}

void TColorManager::BuildChromaTables(bool photoYCC)
{
    const double r = yCbCrCoefficients_[0];
    const double g = yCbCrCoefficients_[1];
    const double b = yCbCrCoefficients_[2];
    const double cr = 2 - 2 * r;
    const double cb = 2 - 2 * b;
    // A zero green weight would divide by zero; green then gets no chroma.
    const double gr = g != 0 ? r * cr / g : 0;
    const double gb = g != 0 ? b * cb / g : 0;
    for (int i = 0; i < 256; ++i) {
        const double dr = photoYCC ? i - 137 : i - 128;
        const double db = photoYCC ? i - 156 : i - 128;
        chroma_.RedFromCr[i] = static_cast<int32_t>(std::lround(cr * dr));
        chroma_.BlueFromCb[i] = static_cast<int32_t>(std::lround(cb * db));
        chroma_.GreenFromCr[i] = -static_cast<int32_t>(std::lround(gr * dr));
        chroma_.GreenFromCb[i] = -static_cast<int32_t>(std::lround(gb * db));
    }
}

void TColorManager::ChooseConverter()
{
    converter_ = nullptr;
    if (InIndexedFamily(sourceScheme_, true) != InIndexedFamily(targetScheme_, false))
        throw EColorConversionError(kIndexedMix);

    sourceOptions_ = HasAlphaSample(sourceScheme_) ? (sourceOptions_ | coAlpha) : (sourceOptions_ & ~coAlpha);
    targetOptions_ = HasAlphaSample(targetScheme_) ? (targetOptions_ | coAlpha) : (targetOptions_ & ~coAlpha);

    if (sourceScheme_ == TColorScheme::csYCbCr)
        BuildChromaTables(false);
    else if (sourceScheme_ == TColorScheme::csPhotoYCC)
        BuildChromaTables(true);

    converter_ = TColorKernels::Choose(*this);
    sourcePlanesNeeded_ = TColorKernels::SourceSamples(sourceScheme_);
    changed_ = false;
}

void TColorManager::ConvertPixels(const uint8_t* source, uint8_t mask, size_t count, uint8_t* target)
{
    ConvertPixels(&source, 1, mask, count, target);
}

void TColorManager::RequireConverter(size_t sourceCount)
{
    if (changed_)
        ChooseConverter();
    if (!converter_)
        throw EColorConversionError(kNoMethod);
    // Planes must cover every sample the converter reads.
    if (sourceCount == 0 || (sourceCount > 1 && sourceCount < sourcePlanesNeeded_))
        throw EColorConversionError(kNoMethod);
}

void TColorManager::ConvertPixels(const uint8_t* const* sources, size_t sourceCount, uint8_t mask, size_t count,
                                  uint8_t* target)
{
    RequireConverter(sourceCount);
    if (count == 0 || mask == 0)
        return;
    converter_(*this, sources, sourceCount > 1, mask, count, target);
}

TPixelFormat TColorManager::PixelFormatFor(bool useTarget) const
{
    const unsigned bits = useTarget ? targetBPS_ : sourceBPS_;
    const unsigned samples = useTarget ? targetSPP_ : sourceSPP_;
    switch (samples) {
    case 1:
        if (bits == 1)
            return TPixelFormat::pf1bit;
        if (bits >= 2 && bits <= 4)
            return TPixelFormat::pf4bit;
        if (bits >= 8 && bits <= 16)
            return TPixelFormat::pf8bit;
        break;
    case 3:
        if (bits >= 1 && bits <= 5)
            return TPixelFormat::pf15bit;
        if (bits > 5)
            return TPixelFormat::pf24bit;
        break;
    case 4:
        if (bits >= 8)
            return TPixelFormat::pf32bit;
        break;
    default:
        break;
    }
    return TPixelFormat::pfCustom;
}

std::vector<TRGBQuad> TColorManager::MakeGrayPalette(bool minIsWhite) const
{
    const unsigned bits = std::min<unsigned>(unsigned{targetBPS_} * targetSPP_, 8);
    const size_t entries = size_t{1} << bits;
    const bool gamma = (targetOptions_ & coApplyGamma) != 0;
    std::vector<TRGBQuad> palette(entries);
    for (size_t i = 0; i < entries; ++i) {
        // i * 255 / (entries - 1) ends at white also where 255 does not divide evenly.
        const auto level = ApplyTable(gammaTable_, gamma, static_cast<uint8_t>(i * 255 / (entries - 1)));
        TRGBQuad& entry = palette[minIsWhite ? entries - 1 - i : i];
        entry.rgbRed = entry.rgbGreen = entry.rgbBlue = level;
    }
    return palette;
}

std::vector<TRGBQuad> TColorManager::MakeColorPalette(const void* const* data, size_t dataCount,
                                                      TRawPaletteFormat layout, size_t count) const
{
    std::vector<TRGBQuad> palette(count);
    if (count == 0)
        return palette;
    if (dataCount == 0 || !data[0])
        throw EColorConversionError(kNoMethod);
    const bool gamma = (targetOptions_ & coApplyGamma) != 0;
    const bool swap = (sourceOptions_ & coNeedByteSwap) != 0;
    auto set = [&](size_t i, uint8_t r, uint8_t g, uint8_t b) {
        palette[i].rgbRed = ApplyTable(gammaTable_, gamma, r);
        palette[i].rgbGreen = ApplyTable(gammaTable_, gamma, g);
        palette[i].rgbBlue = ApplyTable(gammaTable_, gamma, b);
    };
    // Planar layouts take three plane pointers or one pointer to the planes back to back.
    auto plane = [&](size_t k, size_t sampleBytes) -> const uint8_t* {
        if (dataCount >= 3)
            return static_cast<const uint8_t*>(data[k]);
        return static_cast<const uint8_t*>(data[0]) + k * count * sampleBytes;
    };
    switch (layout) {
    case TRawPaletteFormat::pfInterlaced8Triple: {
        const auto* p = static_cast<const uint8_t*>(data[0]);
        for (size_t i = 0; i < count; ++i, p += 3)
            set(i, p[0], p[1], p[2]);
        break;
    }
    case TRawPaletteFormat::pfInterlaced8Quad: {
        const auto* p = static_cast<const uint8_t*>(data[0]);
        for (size_t i = 0; i < count; ++i, p += 4)
            set(i, p[2], p[1], p[0]);
        break;
    }
    case TRawPaletteFormat::pfPlane8Triple: {
        const uint8_t* r = plane(0, 1);
        const uint8_t* g = plane(1, 1);
        const uint8_t* b = plane(2, 1);
        for (size_t i = 0; i < count; ++i)
            set(i, r[i], g[i], b[i]);
        break;
    }
    case TRawPaletteFormat::pfPlane16Triple: {
        const uint8_t* planes[3] = {plane(0, 2), plane(1, 2), plane(2, 2)};
        auto value = [&](int k, size_t i) {
            uint16_t v;
            std::memcpy(&v, planes[k] + 2 * i, 2);
            if (swap)
                v = static_cast<uint16_t>((v >> 8) | (v << 8));
            return static_cast<uint8_t>(uint32_t{v} * 255 / 65535);
        };
        for (size_t i = 0; i < count; ++i)
            set(i, value(0, i), value(1, i), value(2, i));
        break;
    }
    }
    return palette;
}

} // namespace orvane::imaging
