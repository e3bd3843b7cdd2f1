#pragma once
// Writers of decoded bitmaps for orvane-convert: PNG (8-bit RGB or RGBA),
// binary PPM (P6) and PAM (P7). Every pixel format is expanded to 8 bits
// per channel; 15-bit channels by bit replication, (v << 3) | (v >> 2), so
// 0 stays 0 and 31 becomes 255.
#include "imaging/core/Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::imaging::convert {

enum class TOutputKind { okPng, okPpm, okPam };

// The output kind for a file name by its extension (png, ppm, pam, any
// letter case); false for any other.
bool OutputKindFor(const std::string& fileName, TOutputKind& kind);

// Row `row` of the bitmap as 8-bit RGB, or RGBA when withAlpha (alpha 255
// where the bitmap has none). `out` holds width * 3 (or 4) bytes.
void ExpandRow(const TBitmap& bitmap, int row, bool withAlpha, uint8_t* out);

// The whole PNG file.
std::vector<uint8_t> EncodePng(const TBitmap& bitmap);

// Writes the bitmap to a file; throws std::runtime_error naming the file
// when it cannot be written.
void WriteImage(const TBitmap& bitmap, const std::string& fileName, TOutputKind kind);

} // namespace orvane::imaging::convert
