// AVX2 twins of the SSE2 row kernels: eight pixels per step with the same
// arithmetic, so they write exactly the bytes of their SSE2 twins. The
// SSE2 kernels choose them at run time on a processor that has AVX2.
#include "graphics/image_blit.h"
#include "graphics/pixel_access.h"

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#define LINDAR_AVX2 __attribute__((target("avx2")))
#endif

namespace graphics_detail {

#ifdef LINDAR_AVX2

namespace {

constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kColourBytes = 0x00FFFFFF;
constexpr int kAllLanes = -1;  // a byte mask with every bit set

LINDAR_AVX2 inline __m256i Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
LINDAR_AVX2 inline void Store(uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// (s × (a + 1) + d × (256 - a)) >> 8 per 16-bit lane, as the SSE2 kernel.
LINDAR_AVX2 inline __m256i BlendHalf(__m256i s, __m256i d, __m256i alpha)
{
    const __m256i sum =
        _mm256_add_epi16(_mm256_mullo_epi16(_mm256_sub_epi16(s, d), alpha), _mm256_add_epi16(s, _mm256_slli_epi16(d, 8)));
    return _mm256_srli_epi16(sum, 8);
}

}  // namespace

LINDAR_AVX2 void KeyedRow32Avx2(const uint8_t* s, uint8_t* d, int width, uint32_t key)
{
    const __m256i colourMask = _mm256_set1_epi32(int(kColourBytes));
    const __m256i keys = _mm256_set1_epi32(int(key));
    int i = 0;
    for (; i + 8 <= width; i += 8) {
        const __m256i colour = _mm256_and_si256(Load(s + 4 * i), colourMask);
        const __m256i skip = _mm256_cmpeq_epi32(colour, keys);
        const int skipped = _mm256_movemask_epi8(skip);
        if (skipped == kAllLanes)
            continue;  // eight key pixels: the target stays
        const __m256i dp = Load(d + 4 * i);
        const __m256i written = _mm256_or_si256(colour, _mm256_andnot_si256(colourMask, dp));
        Store(d + 4 * i, skipped ? _mm256_blendv_epi8(written, dp, skip) : written);
    }
    for (; i < width; ++i) {
        const uint32_t colour = Load32(s + 4 * i) & kColourBytes;
        if (colour != key)
            Store32(d + 4 * i, colour | (Load32(d + 4 * i) & kOpaque));
    }
}

LINDAR_AVX2 void BlendRow32Avx2(const uint8_t* s, uint8_t* d, int width)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i opaque = _mm256_set1_epi32(int(kOpaque));
    const __m256i colourMask = _mm256_set1_epi32(int(kColourBytes));
    const __m256i full = _mm256_set1_epi32(255);
    int i = 0;
    for (; i + 8 <= width; i += 8) {
        const __m256i sp = Load(s + 4 * i);
        const __m256i alpha = _mm256_srli_epi32(sp, 24);
        const __m256i transparent = _mm256_cmpeq_epi32(alpha, zero);
        const int clear = _mm256_movemask_epi8(transparent);
        if (clear == kAllLanes)
            continue;  // eight transparent pixels: the target stays
        if (!clear && _mm256_movemask_epi8(_mm256_cmpeq_epi32(alpha, full)) == kAllLanes) {
            Store(d + 4 * i, sp);  // eight opaque pixels
            continue;
        }
        const __m256i dp = Load(d + 4 * i);
        // Within each 128-bit lane the unpacks keep pixel order, and packus
        // puts the pixels back where they were.
        const __m256i alpha2 = _mm256_or_si256(alpha, _mm256_slli_epi32(alpha, 16));
        const __m256i lo = BlendHalf(_mm256_unpacklo_epi8(sp, zero), _mm256_unpacklo_epi8(dp, zero),
                                     _mm256_unpacklo_epi32(alpha2, alpha2));
        const __m256i hi = BlendHalf(_mm256_unpackhi_epi8(sp, zero), _mm256_unpackhi_epi8(dp, zero),
                                     _mm256_unpackhi_epi32(alpha2, alpha2));
        const __m256i blended = _mm256_or_si256(_mm256_and_si256(_mm256_packus_epi16(lo, hi), colourMask), opaque);
        Store(d + 4 * i, clear ? _mm256_blendv_epi8(blended, dp, transparent) : blended);
    }
    for (; i < width; ++i) {
        const uint32_t v = Load32(s + 4 * i);
        if (v >> 24)
            Store32(d + 4 * i, BlendPixel(v, Load32(d + 4 * i)));
    }
}

#else

void KeyedRow32Avx2(const uint8_t*, uint8_t*, int, uint32_t) {}
void BlendRow32Avx2(const uint8_t*, uint8_t*, int) {}

#endif

}  // namespace graphics_detail
