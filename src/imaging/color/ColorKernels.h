#pragma once
// Internal to the colour manager: the row converters and their choice.
#include "imaging/color/ColorManager.h"

namespace orvane::imaging {

struct TColorKernels {
    // The converter for the manager's current settings, or nullptr.
    static TColorManager::TRowConverter Choose(const TColorManager& manager);
    // Samples per source pixel a converter reads for the scheme (planes needed).
    static size_t SourceSamples(TColorScheme scheme);
    // Converters of the indexed family (indexed, gray, gray with alpha) and
    // of the colour schemes; nullptr when none fits.
    static TColorManager::TRowConverter ChooseIndexed(const TColorManager& manager);
    static TColorManager::TRowConverter ChooseColor(const TColorManager& manager);

    // Settings the converters read.
    static uint8_t SourceBits(const TColorManager& m) { return m.sourceBPS_; }
    static uint8_t TargetBits(const TColorManager& m) { return m.targetBPS_; }
    static TConvertOptions SourceOptions(const TColorManager& m) { return m.sourceOptions_; }
    static TConvertOptions TargetOptions(const TColorManager& m) { return m.targetOptions_; }
    static TColorScheme SourceScheme(const TColorManager& m) { return m.sourceScheme_; }
    static TColorScheme TargetScheme(const TColorManager& m) { return m.targetScheme_; }
    static const uint8_t* Gamma(const TColorManager& m) { return m.gammaTable_.data(); }
    // Apply-gamma is set and the table changes values (a file gamma that
    // cancels the display gamma leaves nothing to do).
    static bool GammaNeeded(const TColorManager& m)
    {
        if ((m.targetOptions_ & coApplyGamma) == 0)
            return false;
        for (int i = 0; i < 256; ++i)
            if (m.gammaTable_[i] != i)
                return true;
        return false;
    }
    static const TColorManager::TChromaTables& Chroma(const TColorManager& m) { return m.chroma_; }
};

} // namespace orvane::imaging
