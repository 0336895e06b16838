// Red and blue exchange of 3-byte pixels, the row converter between the
// image's BGR rows and the RGB order of most files. The vector loops work on
// windows of five pixels (15 bytes) and must give what the pixel loop gives.
#include "graphics/cpu_features.h"
#include "graphics/image.h"
#include "graphics/image_convert_simd.h"

#if defined(__i386__) || defined(__x86_64__)
#include <tmmintrin.h>
#define LINDAR_SWAP_SSSE3 __attribute__((target("ssse3")))
#endif

namespace {

void CopySwapPixels(const uint8_t* from, uint8_t* to, int64_t first, int64_t count)
{
    for (int64_t i = first; i < count; ++i) {
        const uint8_t b = from[3 * i], g = from[3 * i + 1], r = from[3 * i + 2];
        to[3 * i] = r;
        to[3 * i + 1] = g;
        to[3 * i + 2] = b;
    }
}

// A window's 16th byte is written unchanged and is the next window's first;
// the windows of a step are loaded before any of them is stored (the next
// step's first one too), so a swap in place reads every byte before it
// changes and no load waits on a store that overlaps it. Four windows a
// step (60 bytes, about a cache line) and a prefetch far ahead keep a
// row streaming from memory about as fast as a copy does.
#define LINDAR_SWAP_WINDOWS(swap)                                                                       \
    const int64_t bytes = 3 * count;                                                                    \
    int64_t i = 0;                                                                                      \
    if (bytes >= 16) {                                                                                  \
        __m128i v = LoadVector(from);                                                                   \
        for (; i + kStepBytes + 16 <= bytes; i += kStepBytes) {                                         \
            _mm_prefetch(reinterpret_cast<const char*>(from + i + kPrefetchAhead), _MM_HINT_T0);        \
            const __m128i b = LoadVector(from + i + 15), c = LoadVector(from + i + 30);                 \
            const __m128i d = LoadVector(from + i + 45), next = LoadVector(from + i + 60);              \
            StoreVector(to + i, swap(v));                                                               \
            StoreVector(to + i + 15, swap(b));                                                          \
            StoreVector(to + i + 30, swap(c));                                                          \
            StoreVector(to + i + 45, swap(d));                                                          \
            v = next;                                                                                   \
        }                                                                                               \
        for (; i + 31 <= bytes; i += 15) {                                                              \
            const __m128i next = LoadVector(from + i + 15);                                             \
            StoreVector(to + i, swap(v));                                                               \
            v = next;                                                                                   \
        }                                                                                               \
        StoreVector(to + i, swap(v));                                                                   \
        i += 15;                                                                                        \
    }                                                                                                   \
    CopySwapPixels(from, to, i / 3, count);

constexpr int64_t kStepBytes = 60;
// Prefetch distance, in bytes: the source may be a row fresh from memory.
constexpr int64_t kPrefetchAhead = 2048;

#ifdef LINDAR_CONVERT_SSE2
using graphics_detail::LoadVector;
using graphics_detail::StoreVector;

LINDAR_CONVERT_SSE2 void CopySwapSse2(const uint8_t* from, uint8_t* to, int64_t count)
{
    LINDAR_SWAP_WINDOWS(graphics_detail::SwapRedBlue5)
}
#endif

#ifdef LINDAR_SWAP_SSSE3
LINDAR_SWAP_SSSE3 inline __m128i ShuffleRedBlue5(__m128i v)
{
    return _mm_shuffle_epi8(v, _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15));
}

LINDAR_SWAP_SSSE3 void CopySwapSsse3(const uint8_t* from, uint8_t* to, int64_t count)
{
    LINDAR_SWAP_WINDOWS(ShuffleRedBlue5)
}
#endif

}  // namespace

void CopySwapRedBlue24(const uint8_t* from, uint8_t* to, int count)
{
    if (count <= 0)
        return;
#ifdef LINDAR_SWAP_SSSE3
    if (graphics_detail::HaveSsse3()) {
        CopySwapSsse3(from, to, count);
        return;
    }
#endif
#ifdef LINDAR_CONVERT_SSE2
    if (graphics_detail::HaveSse2()) {
        CopySwapSse2(from, to, count);
        return;
    }
#endif
    CopySwapPixels(from, to, 0, count);
}

void SwapRedBlue24(uint8_t* pixels, int count)
{
    CopySwapRedBlue24(pixels, pixels, count);
}
