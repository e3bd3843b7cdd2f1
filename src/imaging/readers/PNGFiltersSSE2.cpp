// Unfiltering into a separate row, with SSE2 kernels for 8-bit RGB and RGBA
// (3- and 4-byte pixels). Sub, average and Paeth depend on the pixel to the
// left, so those go pixel by pixel, but with the pixel in a vector register:
// four pixels come with one 16-byte load of the row and one of the row above,
// and each pixel's bytes are worked on at once. Up has no such dependency and
// goes 16 bytes at a time. Every other layout takes the plain loops. 8-bit
// RGB rows can also go straight to BGR against a BGR row above, and 8-bit
// RGBA rows be written out as BGRA besides: the bitmap's orders, in the same
// step.
#include "imaging/readers/PNGFilters.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define ORVANE_PNG_SSE2 1
#endif

namespace orvane::imaging::png_detail {

namespace {

enum : uint8_t { FilterNone = 0, FilterSub = 1, FilterUp = 2, FilterAverage = 3, FilterPaeth = 4 };

#ifdef ORVANE_PNG_SSE2

inline __m128i Load16(const uint8_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

template <size_t Bpp>
inline __m128i LoadPixel(const uint8_t* p)
{
    uint32_t v = 0;
    std::memcpy(&v, p, Bpp);
    return _mm_cvtsi32_si128(static_cast<int>(v));
}

// Stores the low `Bytes` bytes of v.
template <size_t Bytes>
inline void Store(uint8_t* p, __m128i v)
{
    const uint32_t u = static_cast<uint32_t>(_mm_cvtsi128_si32(v));
    std::memcpy(p, &u, Bytes);
}

// Each takes the filtered pixel x, the unfiltered pixel to the left a, the one
// above b and the one above left c, in the low bytes of the registers; the
// bytes above the pixel are don't-cares and stay apart from it.
struct TSub {
    __m128i operator()(__m128i x, __m128i a, __m128i, __m128i) const { return _mm_add_epi8(x, a); }
};

struct TAverage {
    __m128i operator()(__m128i x, __m128i a, __m128i b, __m128i) const
    {
        // (a + b) / 2 rounded down: the rounded-up mean less the odd bit.
        const __m128i odd = _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1));
        return _mm_sub_epi8(_mm_add_epi8(x, _mm_avg_epu8(a, b)), odd);
    }
};

// The average filter's chain from pixel to pixel kept two steps long: with
// ~v the complement of v, (a + b) / 2 rounded down is ~avg(~a, ~b) (avg
// rounding up), so the complement of the result, ~(x + (a + b) / 2), is
// avg(~a, ~b) - x. The loop carries ~a.
template <size_t Bpp, int K>
inline void AverageStep(const __m128i& xs, const __m128i& notBs, __m128i& notA, uint8_t* out)
{
    const __m128i ones = _mm_set1_epi8(-1);
    notA = _mm_sub_epi8(_mm_avg_epu8(notA, _mm_srli_si128(notBs, K * Bpp)), _mm_srli_si128(xs, K * Bpp));
    Store<4>(out + K * Bpp, _mm_xor_si128(notA, ones));
}

struct TPaeth {
    static __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }
    static __m128i Select(__m128i mask, __m128i yes, __m128i no)
    {
        return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
    }
    __m128i operator()(__m128i x, __m128i a8, __m128i b8, __m128i c8) const
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i a = _mm_unpacklo_epi8(a8, zero);
        const __m128i b = _mm_unpacklo_epi8(b8, zero);
        const __m128i c = _mm_unpacklo_epi8(c8, zero);
        // p = a + b - c; pa = |p - a| = |b - c|, pb = |a - c|, pc = |a + b - 2c|.
        const __m128i bc = _mm_sub_epi16(b, c);
        const __m128i ac = _mm_sub_epi16(a, c);
        const __m128i pa = Abs16(bc);
        const __m128i pb = Abs16(ac);
        const __m128i pc = Abs16(_mm_add_epi16(ac, bc));
        // a when pa <= pb and pa <= pc, else b when pb <= pc, else c.
        const __m128i notA = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
        const __m128i bOrC = Select(_mm_cmpgt_epi16(pb, pc), c, b);
        const __m128i predictor = Select(notA, bOrC, a);
        return _mm_add_epi8(x, _mm_packus_epi16(predictor, predictor));
    }
};

template <size_t Bpp, int K>
inline void Step(const __m128i& xs, const __m128i& bs, __m128i& a, __m128i& c, uint8_t* out, auto op)
{
    const __m128i x = _mm_srli_si128(xs, K * Bpp);
    const __m128i b = _mm_srli_si128(bs, K * Bpp);
    a = op(x, a, b, c);
    c = b;
    // Four bytes: for 3-byte pixels the fourth belongs to the next pixel,
    // which is stored after this one.
    Store<4>(out + K * Bpp, a);
}

// Red and blue of four 3-byte pixels (the first 12 bytes) exchanged; the
// last four bytes are don't-cares.
inline __m128i SwapRedBlue3(__m128i v)
{
    const __m128i green = _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 0);
    const __m128i first = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 0, 0);
    const __m128i third = _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0);
    return _mm_or_si128(_mm_and_si128(v, green), _mm_or_si128(_mm_and_si128(_mm_srli_si128(v, 2), first),
                                                               _mm_and_si128(_mm_slli_si128(v, 2), third)));
}

// n is a multiple of Bpp. With Swap (3-byte pixels) the filtered pixels turn
// from RGB to BGR as they are loaded, and above and out are BGR: the filters
// work on each byte against the same byte of other pixels, so they give the
// same result in either order.
template <size_t Bpp, class Op, bool Swap = false>
void Run(const uint8_t* x, const uint8_t* above, uint8_t* out, size_t n, Op op)
{
    static_assert(!Swap || Bpp == 3);
    auto load = [](const uint8_t* p) {
        const __m128i v = Load16(p);
        if constexpr (Swap)
            return SwapRedBlue3(v);
        else
            return v;
    };
    __m128i a = _mm_setzero_si128();
    __m128i c = _mm_setzero_si128();
    size_t i = 0;
    // Four pixels per step while 16 bytes of both rows can be read; the last
    // store of a step ends within them.
    for (; i + 16 <= n; i += 4 * Bpp) {
        const __m128i xs = load(x + i);
        const __m128i bs = Load16(above + i);
        Step<Bpp, 0>(xs, bs, a, c, out + i, op);
        Step<Bpp, 1>(xs, bs, a, c, out + i, op);
        Step<Bpp, 2>(xs, bs, a, c, out + i, op);
        Step<Bpp, 3>(xs, bs, a, c, out + i, op);
    }
    for (; i < n; i += Bpp) {
        __m128i xp = LoadPixel<Bpp>(x + i);
        if constexpr (Swap)
            xp = SwapRedBlue3(xp);
        const __m128i b = LoadPixel<Bpp>(above + i);
        a = op(xp, a, b, c);
        c = b;
        Store<Bpp>(out + i, a);
    }
}

template <size_t Bpp, bool Swap = false>
void RunAverage(const uint8_t* x, const uint8_t* above, uint8_t* out, size_t n)
{
    static_assert(!Swap || Bpp == 3);
    const __m128i ones = _mm_set1_epi8(-1);
    __m128i notA = ones;
    size_t i = 0;
    for (; i + 16 <= n; i += 4 * Bpp) {
        __m128i xs = Load16(x + i);
        if constexpr (Swap)
            xs = SwapRedBlue3(xs);
        const __m128i notBs = _mm_xor_si128(Load16(above + i), ones);
        AverageStep<Bpp, 0>(xs, notBs, notA, out + i);
        AverageStep<Bpp, 1>(xs, notBs, notA, out + i);
        AverageStep<Bpp, 2>(xs, notBs, notA, out + i);
        AverageStep<Bpp, 3>(xs, notBs, notA, out + i);
    }
    __m128i a = _mm_xor_si128(notA, ones);
    for (; i < n; i += Bpp) {
        __m128i xp = LoadPixel<Bpp>(x + i);
        if constexpr (Swap)
            xp = SwapRedBlue3(xp);
        a = TAverage{}(xp, a, LoadPixel<Bpp>(above + i), a);
        Store<Bpp>(out + i, a);
    }
}

// --- 8-bit RGBA rows unfiltered and turned into BGRA in the same step

// Red and blue of four RGBA pixels exchanged.
inline __m128i SwapRedBlue(__m128i v)
{
    const __m128i low = _mm_set1_epi32(0xFF);
    const __m128i greenAlpha = _mm_and_si128(v, _mm_set1_epi32(static_cast<int>(0xFF00FF00u)));
    const __m128i blue = _mm_and_si128(_mm_srli_epi32(v, 16), low);
    const __m128i red = _mm_slli_epi32(_mm_and_si128(v, low), 16);
    return _mm_or_si128(greenAlpha, _mm_or_si128(blue, red));
}

inline void StoreBoth(uint8_t* out, uint8_t* bgra, __m128i r0, __m128i r1, __m128i r2, __m128i r3)
{
    const __m128i v = _mm_unpacklo_epi64(_mm_unpacklo_epi32(r0, r1), _mm_unpacklo_epi32(r2, r3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgra), SwapRedBlue(v));
}

inline void StorePixelBoth(uint8_t* out, uint8_t* bgra, __m128i r)
{
    Store<4>(out, r);
    Store<4>(bgra, SwapRedBlue(r));
}

template <class Op>
void RunRgba(const uint8_t* x, const uint8_t* above, uint8_t* out, uint8_t* bgra, size_t n, Op op)
{
    __m128i a = _mm_setzero_si128();
    __m128i c = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i xs = Load16(x + i);
        const __m128i bs = Load16(above + i);
        const __m128i b1 = _mm_srli_si128(bs, 4), b2 = _mm_srli_si128(bs, 8), b3 = _mm_srli_si128(bs, 12);
        const __m128i r0 = op(xs, a, bs, c);
        const __m128i r1 = op(_mm_srli_si128(xs, 4), r0, b1, bs);
        const __m128i r2 = op(_mm_srli_si128(xs, 8), r1, b2, b1);
        const __m128i r3 = op(_mm_srli_si128(xs, 12), r2, b3, b2);
        StoreBoth(out + i, bgra + i, r0, r1, r2, r3);
        a = r3;
        c = b3;
    }
    for (; i < n; i += 4) {
        const __m128i b = LoadPixel<4>(above + i);
        a = op(LoadPixel<4>(x + i), a, b, c);
        c = b;
        StorePixelBoth(out + i, bgra + i, a);
    }
}

void RunRgbaAverage(const uint8_t* x, const uint8_t* above, uint8_t* out, uint8_t* bgra, size_t n)
{
    const __m128i ones = _mm_set1_epi8(-1);
    __m128i notA = ones;
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i xs = Load16(x + i);
        const __m128i notBs = _mm_xor_si128(Load16(above + i), ones);
        const __m128i n0 = _mm_sub_epi8(_mm_avg_epu8(notA, notBs), xs);
        const __m128i n1 = _mm_sub_epi8(_mm_avg_epu8(n0, _mm_srli_si128(notBs, 4)), _mm_srli_si128(xs, 4));
        const __m128i n2 = _mm_sub_epi8(_mm_avg_epu8(n1, _mm_srli_si128(notBs, 8)), _mm_srli_si128(xs, 8));
        const __m128i n3 = _mm_sub_epi8(_mm_avg_epu8(n2, _mm_srli_si128(notBs, 12)), _mm_srli_si128(xs, 12));
        StoreBoth(out + i, bgra + i, _mm_xor_si128(n0, ones), _mm_xor_si128(n1, ones), _mm_xor_si128(n2, ones),
                  _mm_xor_si128(n3, ones));
        notA = n3;
    }
    __m128i a = _mm_xor_si128(notA, ones);
    for (; i < n; i += 4) {
        a = TAverage{}(LoadPixel<4>(x + i), a, LoadPixel<4>(above + i), a);
        StorePixelBoth(out + i, bgra + i, a);
    }
}

void RgbKernel(uint8_t type, const uint8_t* x, const uint8_t* above, uint8_t* bgr, size_t n)
{
    switch (type) {
    case FilterSub: Run<3, TSub, true>(x, above, bgr, n, TSub{}); break;
    case FilterUp: {
        auto up = [](__m128i x, __m128i, __m128i b, __m128i) { return _mm_add_epi8(x, b); };
        Run<3, decltype(up), true>(x, above, bgr, n, up);
        break;
    }
    case FilterAverage: RunAverage<3, true>(x, above, bgr, n); break;
    case FilterPaeth: Run<3, TPaeth, true>(x, above, bgr, n, TPaeth{}); break;
    default: {
        auto none = [](__m128i x, __m128i, __m128i, __m128i) { return x; };
        Run<3, decltype(none), true>(x, above, bgr, n, none);
        break;
    }
    }
}

void RgbaKernel(uint8_t type, const uint8_t* x, const uint8_t* above, uint8_t* out, uint8_t* bgra, size_t n)
{
    switch (type) {
    case FilterSub: RunRgba(x, above, out, bgra, n, TSub{}); break;
    case FilterUp:
        RunRgba(x, above, out, bgra, n, [](__m128i x, __m128i, __m128i b, __m128i) { return _mm_add_epi8(x, b); });
        break;
    case FilterAverage: RunRgbaAverage(x, above, out, bgra, n); break;
    case FilterPaeth: RunRgba(x, above, out, bgra, n, TPaeth{}); break;
    default: RunRgba(x, above, out, bgra, n, [](__m128i x, __m128i, __m128i, __m128i) { return x; }); break;
    }
}

void Up(const uint8_t* x, const uint8_t* above, uint8_t* out, size_t n)
{
    size_t i = 0;
    for (; i + 16 <= n; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_add_epi8(Load16(x + i), Load16(above + i)));
    for (; i < n; ++i)
        out[i] = static_cast<uint8_t>(x[i] + above[i]);
}

template <size_t Bpp>
void Kernel(uint8_t type, const uint8_t* x, const uint8_t* above, uint8_t* out, size_t n)
{
    switch (type) {
    case FilterSub: Run<Bpp>(x, above, out, n, TSub{}); break;
    case FilterAverage: RunAverage<Bpp>(x, above, out, n); break;
    case FilterPaeth: Run<Bpp>(x, above, out, n, TPaeth{}); break;
    default: break;
    }
}

#endif

} // namespace

void UnfilterRowInto(const uint8_t* row, const uint8_t* above, uint8_t* out, size_t size, size_t bpp)
{
    if (size < 2)
        return;
    const uint8_t type = row[0];
    const uint8_t* x = row + 1;
    const size_t n = size - 1;
    if (type == FilterNone || type > FilterPaeth || bpp == 0) {
        std::memcpy(out, x, n);
        return;
    }
#ifdef ORVANE_PNG_SSE2
    if (type == FilterUp) {
        Up(x, above, out, n);
        return;
    }
    if (bpp == 3 && n % 3 == 0) {
        Kernel<3>(type, x, above, out, n);
        return;
    }
    if (bpp == 4 && n % 4 == 0) {
        Kernel<4>(type, x, above, out, n);
        return;
    }
#endif
    std::memcpy(out, x, n);
    UnfilterData(type, out, above, n, bpp);
}

bool UnfilterRgbRowToBgr(const uint8_t* row, const uint8_t* above, uint8_t* bgr, size_t size)
{
#ifdef ORVANE_PNG_SSE2
    if (size >= 2 && (size - 1) % 3 == 0) {
        RgbKernel(row[0], row + 1, above, bgr, size - 1);
        return true;
    }
#endif
    return false;
}

void UnfilterRgbaRowInto(const uint8_t* row, const uint8_t* above, uint8_t* out, uint8_t* bgra, size_t size)
{
    if (size < 2)
        return;
    const uint8_t type = row[0];
    const size_t n = size - 1;
#ifdef ORVANE_PNG_SSE2
    if (n % 4 == 0) {
        RgbaKernel(type, row + 1, above, out, bgra, n);
        return;
    }
#endif
    UnfilterRowInto(row, above, out, size, 4);
    for (size_t i = 0; i + 4 <= n; i += 4) {
        bgra[i] = out[i + 2];
        bgra[i + 1] = out[i + 1];
        bgra[i + 2] = out[i];
        bgra[i + 3] = out[i + 3];
    }
}

} // namespace orvane::imaging::png_detail
