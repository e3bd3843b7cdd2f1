#pragma once
// Libraries hand out pixels red first; our bitmaps hold them blue first.
// These turn one run of pixels around on its way into a scan line.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orvane::imaging {

inline void RgbToBgr(const uint8_t* rgb, uint8_t* bgr, size_t pixels)
{
    for (size_t i = 0; i < pixels; ++i, rgb += 3, bgr += 3) {
        bgr[0] = rgb[2];
        bgr[1] = rgb[1];
        bgr[2] = rgb[0];
    }
}

// Whole 32-bit words, so that the compiler turns the loop into vector code.
inline void RgbaToBgra(const uint8_t* rgba, uint8_t* bgra, size_t pixels)
{
    for (size_t i = 0; i < pixels; ++i) {
        uint32_t v;
        std::memcpy(&v, rgba + 4 * i, 4);
        v = (v & 0xFF00FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16);
        std::memcpy(bgra + 4 * i, &v, 4);
    }
}

// Gray and alpha pairs as blue, green, red, alpha.
inline void GrayAlphaToBgra(const uint8_t* ga, uint8_t* bgra, size_t pixels)
{
    for (size_t i = 0; i < pixels; ++i, ga += 2, bgra += 4) {
        bgra[0] = bgra[1] = bgra[2] = ga[0];
        bgra[3] = ga[1];
    }
}

// Separate red, green and blue (and alpha) planes into one run of pixels.
inline void PlanesToBgr(const uint8_t* red, const uint8_t* green, const uint8_t* blue, uint8_t* bgr, size_t pixels)
{
    for (size_t i = 0; i < pixels; ++i, bgr += 3) {
        bgr[0] = blue[i];
        bgr[1] = green[i];
        bgr[2] = red[i];
    }
}

inline void PlanesToBgra(const uint8_t* red, const uint8_t* green, const uint8_t* blue, const uint8_t* alpha,
                         uint8_t* bgra, size_t pixels)
{
    for (size_t i = 0; i < pixels; ++i) {
        const uint32_t v = blue[i] | (uint32_t{green[i]} << 8) | (uint32_t{red[i]} << 16) | (uint32_t{alpha[i]} << 24);
        std::memcpy(bgra + 4 * i, &v, 4);
    }
}

} // namespace orvane::imaging
