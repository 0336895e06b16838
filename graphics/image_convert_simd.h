// SSE2 for the conversion, scaling and rotation kernels. The 64-bit build
// always has it; the 32-bit build checks the processor once and otherwise
// keeps the portable loops, which compute the same bytes.
#pragma once

#include <cstdint>

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#define LINDAR_CONVERT_SSE2 __attribute__((target("sse2")))
#endif

namespace graphics_detail {

#ifdef LINDAR_CONVERT_SSE2
// Unaligned 16-byte loads and stores.
LINDAR_CONVERT_SSE2 inline __m128i LoadVector(const uint8_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

LINDAR_CONVERT_SSE2 inline void StoreVector(uint8_t* p, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// The five 3-byte pixels in bytes 0..14 with their first and third bytes
// exchanged; byte 15 stays, so windows 15 bytes apart may overlap by one.
LINDAR_CONVERT_SSE2 inline __m128i SwapRedBlue5(__m128i v)
{
    const __m128i keep = _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, -1);
    const __m128i first = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
    const __m128i third = _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0);
    return _mm_or_si128(_mm_and_si128(v, keep), _mm_or_si128(_mm_and_si128(_mm_srli_si128(v, 2), first),
                                                             _mm_and_si128(_mm_slli_si128(v, 2), third)));
}

// The same for four 4-byte pixels.
LINDAR_CONVERT_SSE2 inline __m128i SwapRedBlue4(__m128i v)
{
    const __m128i keep = _mm_set1_epi32(int(0xFF00FF00));
    const __m128i low = _mm_set1_epi32(0xFF);
    return _mm_or_si128(_mm_and_si128(v, keep),
                        _mm_or_si128(_mm_and_si128(_mm_srli_epi32(v, 16), low),
                                     _mm_slli_epi32(_mm_and_si128(v, low), 16)));
}
#endif

inline bool ConvertHaveSse2()
{
#if defined(__SSE2__)
    return true;
#elif defined(LINDAR_CONVERT_SSE2)
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("sse2") != 0;
    }();
    return have;
#else
    return false;
#endif
}

}  // namespace graphics_detail
