#pragma once
// The five PNG row filters, undone in place.
#include <cstddef>
#include <cstdint>

namespace orvane::imaging::png_detail {

// row[0] is the filter type, row[1 .. size - 1] the filtered bytes; previous
// has the same layout and holds the previous unfiltered row (all zeros for
// the first row of an image or pass). bpp is the number of bytes of one
// complete pixel, at least 1. An unknown filter type leaves the row as stored.
void UnfilterRow(uint8_t* row, const uint8_t* previous, size_t size, size_t bpp);

} // namespace orvane::imaging::png_detail
