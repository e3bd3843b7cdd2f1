#pragma once
// Pictures whose file gave them a colour profile are shown in their colours:
// their pixels are converted from the profile's colours to sRGB (relative
// colorimetric, black point compensation) before they reach the screen or an
// sRGB file. One transform is made per profile and pixel layout and kept for
// the next picture with the same profile. A profile that cannot be used (not
// a profile, not an RGB or gray one, damaged) is remembered as such and the
// pixels are left as decoded: a broken profile never keeps a picture from
// being shown.
#include "imaging/core/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane::imaging {

// How the pixels to convert lie in memory, one byte per sample.
enum class TSrgbLayout : uint8_t {
    Bgr,               // 3 bytes a pixel
    Bgrx,              // 4 bytes a pixel, the fourth unused (kept as it is)
    Bgra,              // 4 bytes a pixel, straight alpha (kept as it is)
};

// Converts width x height pixels in place, rows `stride` bytes apart. False
// (pixels untouched) when the profile cannot be used.
bool ConvertToSrgb(const std::vector<uint8_t>& profile, TSrgbLayout layout, uint8_t* pixels, int width, int height,
                   size_t stride);

// Whether the profile can be used to convert pictures (and so whether a
// conversion would change anything).
bool UsableProfile(const std::vector<uint8_t>& profile);

// The bitmap's pixels (or palette) converted to sRGB by its own profile,
// which it then no longer carries. Formats of 15 and 16 bits stay as they
// are. False when there was nothing to convert or the profile was unusable.
bool ConvertBitmapToSrgb(TBitmap& bitmap);

} // namespace orvane::imaging
