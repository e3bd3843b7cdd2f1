#include "imaging/readers/NclxProfile.h"

#include <lcms2.h>

#include <array>
#include <memory>

namespace orvane::imaging {

namespace {

constexpr int PrimariesBT709 = 1;
constexpr int Unspecified = 2;
constexpr int TransferSRGB = 13;

// The decoding curve of a transfer code as lcms2's parametric curve type 4,
// Y = (aX + b)^g for X >= d and Y = cX below: {g, a, b, c, d}. Pure powers
// have c = 0 and d = 0.
struct TCurve {
    int code;
    std::array<double, 5> parameters;
};
constexpr double Bt709[5] = {1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081};
constexpr TCurve curves[] = {
    {1, {Bt709[0], Bt709[1], Bt709[2], Bt709[3], Bt709[4]}},  // BT.709
    {4, {2.2, 1, 0, 0, 0}},                                    // BT.470 M
    {5, {2.8, 1, 0, 0, 0}},                                    // BT.470 B, G
    {6, {Bt709[0], Bt709[1], Bt709[2], Bt709[3], Bt709[4]}},  // BT.601
    {7, {1 / 0.45, 1 / 1.1115, 0.1115 / 1.1115, 1 / 4.0, 0.0913}}, // SMPTE 240 M
    {8, {1, 1, 0, 0, 0}},                                      // linear
    {14, {Bt709[0], Bt709[1], Bt709[2], Bt709[3], Bt709[4]}}, // BT.2020, 10 bits
    {15, {Bt709[0], Bt709[1], Bt709[2], Bt709[3], Bt709[4]}}, // BT.2020, 12 bits
};
constexpr std::array<double, 5> SRGBCurve{2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};

const std::array<double, 5>* CurveOf(int transferCode)
{
    for (const TCurve& curve : curves)
        if (curve.code == transferCode)
            return &curve.parameters;
    return nullptr;
}

bool Plausible(const TChromaticities& c)
{
    for (double v : {c.redX, c.redY, c.greenX, c.greenY, c.blueX, c.blueY, c.whiteX, c.whiteY})
        if (!(v > 0 && v < 1))
            return false;
    return true;
}

struct ProfileDeleter {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct CurveDeleter {
    void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};

} // namespace

std::vector<uint8_t> NclxIccProfile(int primariesCode, const TChromaticities& primaries, int transferCode)
{
    const bool srgbPrimaries = primariesCode == PrimariesBT709 || primariesCode == Unspecified || !Plausible(primaries);
    const std::array<double, 5>* curve = CurveOf(transferCode);
    if (srgbPrimaries && (transferCode == TransferSRGB || !curve))
        return {};
    const cmsCIExyY white{primaries.whiteX, primaries.whiteY, 1};
    const cmsCIExyYTRIPLE rgb = srgbPrimaries
                                    ? cmsCIExyYTRIPLE{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}}
                                    : cmsCIExyYTRIPLE{{primaries.redX, primaries.redY, 1},
                                                      {primaries.greenX, primaries.greenY, 1},
                                                      {primaries.blueX, primaries.blueY, 1}};
    const cmsCIExyY srgbWhite{0.3127, 0.3290, 1};
    const std::unique_ptr<cmsToneCurve, CurveDeleter> tone(
        cmsBuildParametricToneCurve(nullptr, 4, curve ? curve->data() : SRGBCurve.data()));
    if (!tone)
        return {};
    cmsToneCurve* const transfer[3] = {tone.get(), tone.get(), tone.get()};
    const std::unique_ptr<void, ProfileDeleter> profile(
        cmsCreateRGBProfile(srgbPrimaries ? &srgbWhite : &white, &rgb, transfer));
    if (!profile)
        return {};
    cmsUInt32Number size = 0;
    if (!cmsSaveProfileToMem(profile.get(), nullptr, &size) || size == 0)
        return {};
    std::vector<uint8_t> bytes(size);
    if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size))
        return {};
    bytes.resize(size);
    return bytes;
}

} // namespace orvane::imaging
