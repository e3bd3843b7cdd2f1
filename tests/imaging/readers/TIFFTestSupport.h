#pragma once
// Helpers of the TIFF reader tests: loading through the reader, expanding a
// bitmap to RGBA, and libtiff as the reference decoder.
#include "imaging/core/Bitmap.h"
#include "imaging/readers/TIFFGraphic.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace orvane::test {

// Pixels packed as libtiff packs them: red in the low byte, alpha high.
using RgbaPixels = std::vector<uint32_t>;

inline uint32_t Pack(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16) | (uint32_t(a) << 24);
}

// Every pixel of the bitmap as RGBA, top row first; alpha 255 unless the
// bitmap has alpha.
inline RgbaPixels BitmapToRgba(const imaging::TBitmap& bitmap)
{
    using imaging::TPixelFormat;
    RgbaPixels pixels;
    pixels.reserve(static_cast<size_t>(bitmap.Width()) * bitmap.Height());
    const auto& palette = bitmap.Palette();
    auto fromPalette = [&](unsigned index) {
        if (index >= palette.size()) {
            ADD_FAILURE() << "palette index " << index << " of " << palette.size();
            return Pack(0, 0, 0, 255);
        }
        const auto& q = palette[index];
        return Pack(q.rgbRed, q.rgbGreen, q.rgbBlue, 255);
    };
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            switch (bitmap.PixelFormat()) {
            case TPixelFormat::pf1bit:
                pixels.push_back(fromPalette((row[x / 8] >> (7 - x % 8)) & 1));
                break;
            case TPixelFormat::pf4bit:
                pixels.push_back(fromPalette((row[x / 2] >> (x % 2 ? 0 : 4)) & 15));
                break;
            case TPixelFormat::pf8bit:
                pixels.push_back(fromPalette(row[x]));
                break;
            case TPixelFormat::pf24bit:
                pixels.push_back(Pack(row[x * 3 + 2], row[x * 3 + 1], row[x * 3], 255));
                break;
            case TPixelFormat::pf32bit:
                pixels.push_back(Pack(row[x * 4 + 2], row[x * 4 + 1], row[x * 4],
                                      bitmap.HasAlpha() ? row[x * 4 + 3] : 255));
                break;
            default:
                ADD_FAILURE() << "unexpected pixel format";
                return pixels;
            }
        }
    }
    return pixels;
}

// libtiff's RGBA decode of the first image, top row first; empty when libtiff
// cannot decode it.
inline RgbaPixels LibtiffRgba(const std::string& path, int* width = nullptr, int* height = nullptr)
{
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return {};
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    RgbaPixels pixels(static_cast<size_t>(w) * h);
    const bool ok = TIFFReadRGBAImageOriented(tif, w, h, pixels.data(), ORIENTATION_TOPLEFT, 0) == 1;
    TIFFClose(tif);
    if (width)
        *width = static_cast<int>(w);
    if (height)
        *height = static_cast<int>(h);
    return ok ? pixels : RgbaPixels{};
}

// Largest channel difference; alpha only where both sides have it.
inline int MaxChannelDifference(const RgbaPixels& a, const RgbaPixels& b, bool compareAlpha)
{
    if (a.size() != b.size())
        return 1000;
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < (compareAlpha ? 32 : 24); shift += 8)
            worst = std::max(worst, std::abs(int((a[i] >> shift) & 255) - int((b[i] >> shift) & 255)));
    return worst;
}

// The message of the error loading the file raises, or "" when it loads.
inline std::string LoadError(imaging::TTIFFGraphic& tiff, imaging::TStream& stream)
{
    try {
        tiff.LoadFromStream(stream);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

} // namespace orvane::test
