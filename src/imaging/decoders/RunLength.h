#pragma once
// Bounded building blocks of the run-length decoders: every copy and fill is
// cut at the end of the input and at the end of the output.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orvane::imaging::runlength {

// Writes value n times, as far as the output reaches.
inline void Fill(uint8_t*& target, uint8_t* targetEnd, uint8_t value, size_t n)
{
    n = std::min(n, static_cast<size_t>(targetEnd - target));
    if (n == 0)
        return;
    std::memset(target, value, n);
    target += n;
}

// Takes a literal of n bytes: the input moves past all of it that exists, the
// output receives as much as fits.
inline void Copy(const uint8_t*& source, const uint8_t* sourceEnd, uint8_t*& target, uint8_t* targetEnd, size_t n)
{
    n = std::min(n, static_cast<size_t>(sourceEnd - source));
    const size_t written = std::min(n, static_cast<size_t>(targetEnd - target));
    if (written > 0)
        std::memcpy(target, source, written);
    target += written;
    source += n;
}

// Repeats a pixel of size bytes n times, as far as whole pixels fit.
inline void FillPixel(uint8_t*& target, uint8_t* targetEnd, const uint8_t* pixel, size_t size, size_t n)
{
    n = std::min(n, static_cast<size_t>(targetEnd - target) / size);
    if (n == 0)
        return;
    if (size == 1) {
        std::memset(target, pixel[0], n);
        target += n;
        return;
    }
    for (size_t i = 0; i < n; ++i, target += size)
        std::memcpy(target, pixel, size);
}

} // namespace orvane::imaging::runlength
