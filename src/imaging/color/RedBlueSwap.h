#pragma once
// Exchanging red and blue in rows of 8-bit pixels, the bulk of loading most
// true-colour pictures. Uses byte shuffles where the processor has them.
#include <cstddef>
#include <cstdint>

namespace orvane::imaging::color_detail {

// Each converts `count` pixels of 3 (or 4) bytes, swapping bytes 0 and 2 (the
// fourth byte is copied). Source and target must not overlap.
void SwapRedBlue3(const uint8_t* source, uint8_t* target, size_t count);
void SwapRedBlue4(const uint8_t* source, uint8_t* target, size_t count);

} // namespace orvane::imaging::color_detail
