#include "imaging/color/RedBlueSwap.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ORVANE_SHUFFLE_KERNELS 1
#endif

namespace orvane::imaging::color_detail {

namespace {

void Scalar3(const uint8_t* __restrict s, uint8_t* __restrict t, size_t count)
{
    for (size_t i = 0; i < count; ++i, s += 3, t += 3) {
        const uint8_t c0 = s[0];
        t[0] = s[2];
        t[1] = s[1];
        t[2] = c0;
    }
}

void Scalar4(const uint8_t* __restrict s, uint8_t* __restrict t, size_t count)
{
    for (size_t i = 0; i < count; ++i, s += 4, t += 4) {
        const uint8_t c0 = s[0];
        t[0] = s[2];
        t[1] = s[1];
        t[2] = c0;
        t[3] = s[3];
    }
}

#ifdef ORVANE_SHUFFLE_KERNELS

// Four 3-byte pixels per step. Each 16-byte load and store reaches 4 bytes
// past the pixels of the step, so the loop stops while at least 6 pixels
// (18 bytes) remain; the bytes written ahead belong to pixels converted next.
__attribute__((target("ssse3"))) void Shuffle3(const uint8_t* s, uint8_t* t, size_t count)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
    size_t i = 0;
    for (; i + 6 <= count; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t + 3 * i), _mm_shuffle_epi8(v, order));
    }
    Scalar3(s + 3 * i, t + 3 * i, count - i);
}

__attribute__((target("ssse3"))) void Shuffle4(const uint8_t* s, uint8_t* t, size_t count)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * i + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t + 4 * i), _mm_shuffle_epi8(a, order));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t + 4 * i + 16), _mm_shuffle_epi8(b, order));
    }
    Scalar4(s + 4 * i, t + 4 * i, count - i);
}

const bool hasShuffle = __builtin_cpu_supports("ssse3");

#endif

} // namespace

void SwapRedBlue3(const uint8_t* source, uint8_t* target, size_t count)
{
#ifdef ORVANE_SHUFFLE_KERNELS
    if (hasShuffle) {
        Shuffle3(source, target, count);
        return;
    }
#endif
    Scalar3(source, target, count);
}

void SwapRedBlue4(const uint8_t* source, uint8_t* target, size_t count)
{
#ifdef ORVANE_SHUFFLE_KERNELS
    if (hasShuffle) {
        Shuffle4(source, target, count);
        return;
    }
#endif
    Scalar4(source, target, count);
}

} // namespace orvane::imaging::color_detail
