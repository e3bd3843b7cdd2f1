#pragma once
// A colour description given by numbers (the colour primaries and transfer
// characteristics codes of HEIF's and AVIF's nclx box) as an ICC profile,
// so that the display converts these pictures like any picture with a
// profile.
#include <cstdint>
#include <vector>

namespace orvane::imaging {

// CIE xy chromaticities of the three primaries and the white point.
struct TChromaticities {
    double redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY;
};

// The profile of RGB pixels with these primaries (code and chromaticities)
// and this transfer code; empty when both are sRGB's (primaries 1 or 2,
// unspecified; transfer 13 or 2). Transfers a tone curve cannot describe
// (PQ, HLG, logarithmic) count as sRGB's.
std::vector<uint8_t> NclxIccProfile(int primariesCode, const TChromaticities& primaries, int transferCode);

} // namespace orvane::imaging
