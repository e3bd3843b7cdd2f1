// The plain unfilter loops: the reference the vector kernels
// (PNGFiltersSSE2.cpp) are held to, and the path for every other layout.
#include "imaging/readers/PNGFilters.h"

#include <cstdlib>

namespace orvane::imaging::png_detail {

namespace {

enum : uint8_t { FilterNone = 0, FilterSub = 1, FilterUp = 2, FilterAverage = 3, FilterPaeth = 4 };

inline uint8_t Paeth(int a, int b, int c)
{
    // p = a + b - c; the distances of p to a, b and c.
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Each filter loop reads the byte bpp places to the left, so a compile-time
// bpp lets the compiler keep the pixel to the left in registers.
template <size_t Bpp>
void Unfilter(uint8_t type, uint8_t* __restrict d, const uint8_t* __restrict p, size_t n, size_t bppRuntime)
{
    const size_t bpp = Bpp ? Bpp : bppRuntime;
    const size_t head = bpp < n ? bpp : n;
    switch (type) {
    case FilterSub:
        for (size_t i = bpp; i < n; ++i)
            d[i] = static_cast<uint8_t>(d[i] + d[i - bpp]);
        break;
    case FilterUp:
        for (size_t i = 0; i < n; ++i)
            d[i] = static_cast<uint8_t>(d[i] + p[i]);
        break;
    case FilterAverage:
        for (size_t i = 0; i < head; ++i)
            d[i] = static_cast<uint8_t>(d[i] + (p[i] >> 1));
        for (size_t i = bpp; i < n; ++i)
            d[i] = static_cast<uint8_t>(d[i] + ((d[i - bpp] + p[i]) >> 1));
        break;
    case FilterPaeth:
        for (size_t i = 0; i < head; ++i)
            d[i] = static_cast<uint8_t>(d[i] + p[i]);
        for (size_t i = bpp; i < n; ++i)
            d[i] = static_cast<uint8_t>(d[i] + Paeth(d[i - bpp], p[i], p[i - bpp]));
        break;
    default:
        break;
    }
}

} // namespace

void UnfilterRow(uint8_t* row, const uint8_t* previous, size_t size, size_t bpp)
{
    if (size < 2 || bpp == 0)
        return;
    UnfilterData(row[0], row + 1, previous + 1, size - 1, bpp);
}

void UnfilterData(uint8_t type, uint8_t* d, const uint8_t* p, size_t n, size_t bpp)
{
    if (n == 0 || bpp == 0 || type == FilterNone || type > FilterPaeth)
        return;
    switch (bpp) {
    case 1:
        Unfilter<1>(type, d, p, n, bpp);
        break;
    case 2:
        Unfilter<2>(type, d, p, n, bpp);
        break;
    case 3:
        Unfilter<3>(type, d, p, n, bpp);
        break;
    case 4:
        Unfilter<4>(type, d, p, n, bpp);
        break;
    case 6:
        Unfilter<6>(type, d, p, n, bpp);
        break;
    case 8:
        Unfilter<8>(type, d, p, n, bpp);
        break;
    default:
        Unfilter<0>(type, d, p, n, bpp);
        break;
    }
}

} // namespace orvane::imaging::png_detail
