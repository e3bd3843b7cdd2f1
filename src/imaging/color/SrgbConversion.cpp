#include "imaging/color/SrgbConversion.h"

#include <lcms2.h>

#include <algorithm>
#include <list>
#include <memory>

namespace orvane::imaging {

namespace {

struct TProfileDeleter {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using TProfile = std::unique_ptr<void, TProfileDeleter>;

struct TTransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using TTransform = std::unique_ptr<void, TTransformDeleter>;

// A gray profile reads the first byte of each pixel (blue, equal to the
// others in a gray picture) and skips the rest.
cmsUInt32Number InputFormat(TSrgbLayout layout, bool gray)
{
    const cmsUInt32Number extra = layout == TSrgbLayout::Bgr ? 2 : 3;
    if (gray)
        return COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(extra);
    return layout == TSrgbLayout::Bgr ? TYPE_BGR_8 : TYPE_BGRA_8;
}

cmsUInt32Number OutputFormat(TSrgbLayout layout)
{
    return layout == TSrgbLayout::Bgr ? TYPE_BGR_8 : TYPE_BGRA_8;
}

TTransform MakeTransform(const std::vector<uint8_t>& bytes, TSrgbLayout layout)
{
    if (bytes.empty())
        return nullptr;
    const TProfile source(cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
    if (!source)
        return nullptr;
    const cmsColorSpaceSignature space = cmsGetColorSpace(source.get());
    // A CMYK or Lab profile does not describe the RGB rows a reader made.
    if (space != cmsSigRgbData && space != cmsSigGrayData)
        return nullptr;
    const cmsProfileClassSignature kind = cmsGetDeviceClass(source.get());
    if (kind == cmsSigLinkClass || kind == cmsSigAbstractClass || kind == cmsSigNamedColorClass)
        return nullptr;
    const TProfile srgb(cmsCreate_sRGBProfile());
    // Converted in place: the fourth byte (alpha or padding) stays as it is.
    const cmsUInt32Number flags = cmsFLAGS_BLACKPOINTCOMPENSATION;
    return TTransform(cmsCreateTransform(source.get(), InputFormat(layout, space == cmsSigGrayData), srgb.get(),
                                         OutputFormat(layout), INTENT_RELATIVE_COLORIMETRIC, flags));
}

struct TCachedTransform {
    std::vector<uint8_t> profile;
    TSrgbLayout layout;
    TTransform transform; // null: the profile cannot be used
};

// The transforms of the last few profiles seen, the latest first: a folder's
// photos mostly share one or two profiles.
void* TransformFor(const std::vector<uint8_t>& profile, TSrgbLayout layout)
{
    static std::list<TCachedTransform> cache;
    constexpr size_t kKept = 8;
    const auto found = std::find_if(cache.begin(), cache.end(), [&](const TCachedTransform& entry) {
        return entry.layout == layout && entry.profile == profile;
    });
    if (found != cache.end()) {
        cache.splice(cache.begin(), cache, found);
        return cache.front().transform.get();
    }
    // lcms2 reports a damaged profile through its error handler; the answer
    // (no transform) is all that matters here.
    cmsSetLogErrorHandler(nullptr);
    cache.push_front({profile, layout, MakeTransform(profile, layout)});
    if (cache.size() > kKept)
        cache.pop_back();
    return cache.front().transform.get();
}

} // namespace

bool ConvertToSrgb(const std::vector<uint8_t>& profile, TSrgbLayout layout, uint8_t* pixels, int width, int height,
                   size_t stride)
{
    void* transform = TransformFor(profile, layout);
    if (!transform || width <= 0 || height <= 0)
        return transform != nullptr;
    cmsDoTransformLineStride(transform, pixels, pixels, static_cast<cmsUInt32Number>(width),
                             static_cast<cmsUInt32Number>(height), static_cast<cmsUInt32Number>(stride),
                             static_cast<cmsUInt32Number>(stride), 0, 0);
    return true;
}

bool UsableProfile(const std::vector<uint8_t>& profile)
{
    return TransformFor(profile, TSrgbLayout::Bgrx) != nullptr;
}

bool ConvertBitmapToSrgb(TBitmap& bitmap)
{
    std::vector<uint8_t> profile = bitmap.IccProfile();
    if (profile.empty() || !UsableProfile(profile))
        return false;
    bool converted = false;
    if (!bitmap.Palette().empty() && BitsPerPixel(bitmap.PixelFormat()) <= 8) {
        std::vector<TRGBQuad>& palette = bitmap.Palette();
        converted = ConvertToSrgb(profile, TSrgbLayout::Bgrx, reinterpret_cast<uint8_t*>(palette.data()),
                                  static_cast<int>(palette.size()), 1, palette.size() * sizeof(TRGBQuad));
    } else if (bitmap.PixelFormat() == TPixelFormat::pf24bit || bitmap.PixelFormat() == TPixelFormat::pf32bit) {
        const TSrgbLayout layout = bitmap.PixelFormat() == TPixelFormat::pf24bit ? TSrgbLayout::Bgr
                                   : bitmap.HasAlpha()                             ? TSrgbLayout::Bgra
                                                                                   : TSrgbLayout::Bgrx;
        for (int row = 0; row < bitmap.Height(); ++row)
            ConvertToSrgb(profile, layout, bitmap.ScanLine(row), bitmap.Width(), 1, 0);
        converted = true;
    }
    if (converted)
        bitmap.SetIccProfile({});
    return converted;
}

} // namespace orvane::imaging
