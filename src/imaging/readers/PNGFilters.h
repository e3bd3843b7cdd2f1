#pragma once
// The five PNG row filters, undone.
#include <cstddef>
#include <cstdint>

namespace orvane::imaging::png_detail {

// row[0] is the filter type, row[1 .. size - 1] the filtered bytes; previous
// has the same layout and holds the previous unfiltered row (all zeros for
// the first row of an image or pass). bpp is the number of bytes of one
// complete pixel, at least 1. An unknown filter type leaves the row as stored.
// Undone in place with the plain loops.
void UnfilterRow(uint8_t* row, const uint8_t* previous, size_t size, size_t bpp);

// The same on the n filtered bytes d (in place) against the n bytes p of the
// row above, for a filter type given apart.
void UnfilterData(uint8_t type, uint8_t* d, const uint8_t* p, size_t n, size_t bpp);

// row as for UnfilterRow; above holds the size - 1 unfiltered bytes of the
// row above (zeros for the first row). The unfiltered bytes go to out
// (size - 1 bytes), which overlaps neither. Same results as UnfilterRow,
// with vector kernels for 3- and 4-byte pixels where the processor has them
// (always on x86-64).
void UnfilterRowInto(const uint8_t* row, const uint8_t* above, uint8_t* out, size_t size, size_t bpp);

// For rows of 8-bit RGBA pixels: UnfilterRowInto with bpp 4, and the same
// pixels with red and blue exchanged (BGRA) to bgra, which overlaps nothing
// either. Unknown filter types leave the row as stored, as everywhere.
void UnfilterRgbaRowInto(const uint8_t* row, const uint8_t* above, uint8_t* out, uint8_t* bgra, size_t size);

// For rows of 8-bit RGB pixels: unfilters row against above, the row above
// already unfiltered and turned into BGR (zeros for the first row), and
// writes the row as BGR to bgr (size - 1 bytes, overlapping neither).
// Rows go straight from the filtered data into the bitmap so. False, with
// nothing written, where there is no kernel for it (the caller then
// unfilters and converts apart).
bool UnfilterRgbRowToBgr(const uint8_t* row, const uint8_t* above, uint8_t* bgr, size_t size);

} // namespace orvane::imaging::png_detail
