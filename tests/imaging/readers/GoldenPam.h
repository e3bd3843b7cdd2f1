#pragma once
// The expected pictures of golden files: a .pam beside each case (8-bit RGB
// or RGBA, as the format's own decoder wrote it), and the comparison of a
// loaded bitmap with it as a user would see the two.
#include "imaging/core/Bitmap.h"

#include <array>
#include <memory>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::test::readers {

struct Pam {
    int width = 0, height = 0, depth = 0;
    std::vector<uint8_t> pixels;
};

Pam ReadPam(const std::string& path);

// What a user sees at (x, y): red, green, blue, alpha (255 without alpha).
std::array<uint8_t, 4> Seen(const orvane::imaging::TBitmap& bitmap, int x, int y);

// Fails the test (naming the case and the first few pixels that differ) when
// the bitmap is not the expected picture: its size, whether it has alpha, and
// every sample within `tolerance` of the expected one.
// The case loaded through the picture loader; null, the test failed naming
// the case and the error, when it cannot be loaded.
std::unique_ptr<orvane::imaging::TBitmap> LoadCase(const std::string& path, const std::string& name);

void ExpectPicture(const orvane::imaging::TBitmap& bitmap, const Pam& expected, int tolerance,
                   const std::string& name);

} // namespace orvane::test::readers
