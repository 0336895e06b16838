// SSE2 kernels of the hottest blits: keyed 32- and 24-bit tiles and 32-bit
// alpha blends. They decline on a processor without SSE2 (possible only in the
// 32-bit build), and the next table row or the general path takes over.
// Rows go from the bottom of the picture up, in ascending memory order.
#include <cstring>

#include "graphics/cpu_features.h"
#include "graphics/image_blit.h"
#include "graphics/pixel_access.h"

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#define LINDAR_SSE2 __attribute__((target("sse2")))
#endif

namespace graphics_detail {

#ifdef LINDAR_SSE2

namespace {

constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kColourBytes = 0x00FFFFFF;

// The colour bytes of source pixels not equal to the key, each with the
// target's fourth byte; key pixels leave the target.
LINDAR_SSE2 void KeyedRow32(const uint8_t* s, uint8_t* d, int width, uint32_t key)
{
    const __m128i colourMask = _mm_set1_epi32(int(kColourBytes));
    const __m128i keys = _mm_set1_epi32(int(key));
    int i = 0;
    for (; i + 4 <= width; i += 4) {
        const __m128i sp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * i));
        const __m128i colour = _mm_and_si128(sp, colourMask);
        const __m128i skip = _mm_cmpeq_epi32(colour, keys);
        if (_mm_movemask_epi8(skip) == 0xFFFF)
            continue;  // four key pixels: the target stays
        const __m128i dp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 4 * i));
        const __m128i written = _mm_or_si128(colour, _mm_andnot_si128(colourMask, dp));
        const __m128i out = _mm_or_si128(_mm_and_si128(skip, dp), _mm_andnot_si128(skip, written));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i), out);
    }
    for (; i < width; ++i) {
        const uint32_t colour = Load32(s + 4 * i) & kColourBytes;
        if (colour != key)
            Store32(d + 4 * i, colour | (Load32(d + 4 * i) & kOpaque));
    }
}

// Each channel (s × (a + 1) + d × (256 - a)) >> 8 in 16-bit lanes, written
// as ((s - d) × a + s + 256 × d) >> 8: the true sum never exceeds 255 × 257,
// so arithmetic modulo 2^16 gives it exactly. alpha holds each pixel's alpha
// in all four of its lanes.
LINDAR_SSE2 inline __m128i BlendHalf(__m128i s, __m128i d, __m128i alpha)
{
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(_mm_sub_epi16(s, d), alpha), _mm_add_epi16(s, _mm_slli_epi16(d, 8)));
    return _mm_srli_epi16(sum, 8);
}

LINDAR_SSE2 void BlendRow32(const uint8_t* s, uint8_t* d, int width)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(int(kOpaque));
    const __m128i colourMask = _mm_set1_epi32(int(kColourBytes));
    int i = 0;
    for (; i + 4 <= width; i += 4) {
        const __m128i sp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * i));
        const __m128i alpha = _mm_srli_epi32(sp, 24);
        const __m128i transparent = _mm_cmpeq_epi32(alpha, zero);
        if (_mm_movemask_epi8(transparent) == 0xFFFF)
            continue;  // four transparent pixels: the target stays
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_set1_epi32(255))) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i), sp);  // four opaque pixels
            continue;
        }
        const __m128i dp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 4 * i));
        const __m128i alpha2 = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
        const __m128i lo = BlendHalf(_mm_unpacklo_epi8(sp, zero), _mm_unpacklo_epi8(dp, zero),
                                     _mm_unpacklo_epi32(alpha2, alpha2));
        const __m128i hi = BlendHalf(_mm_unpackhi_epi8(sp, zero), _mm_unpackhi_epi8(dp, zero),
                                     _mm_unpackhi_epi32(alpha2, alpha2));
        const __m128i blended = _mm_or_si128(_mm_and_si128(_mm_packus_epi16(lo, hi), colourMask), opaque);
        const __m128i out = _mm_or_si128(_mm_and_si128(transparent, dp), _mm_andnot_si128(transparent, blended));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i), out);
    }
    for (; i < width; ++i) {
        const uint32_t v = Load32(s + 4 * i);
        if (v >> 24)
            Store32(d + 4 * i, BlendPixel(v, Load32(d + 4 * i)));
    }
}

// Byte i of a 24-bit key row: byte i % 3 of the key, for 48 bytes.
struct KeyRow24 {
    uint8_t bytes[48];
    explicit KeyRow24(uint32_t key)
    {
        for (int i = 0; i < 48; ++i)
            bytes[i] = uint8_t(key >> (8 * (i % 3)));
    }
};

// Sixteen 24-bit pixels in three vectors: the bytes equal to the key's are
// compared at once, and a pixel is a key pixel when its three bytes are.
// Groups without a key pixel are copied whole, groups of key pixels skipped,
// mixed groups go pixel by pixel.
LINDAR_SSE2 void KeyedRow24(const uint8_t* s, uint8_t* d, int width, uint32_t key, const KeyRow24& keys)
{
    constexpr uint64_t kFirstBytes = 0x249249249249ull;  // bit 3i for the 16 pixels
    const __m128i k0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(keys.bytes));
    const __m128i k1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(keys.bytes + 16));
    const __m128i k2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(keys.bytes + 32));
    int i = 0;
    for (; i + 16 <= width; i += 16, s += 48, d += 48) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 32));
        const uint64_t same = uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(a, k0)))) |
                              uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(b, k1)))) << 16 |
                              uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(c, k2)))) << 32;
        const uint64_t keyed = same & (same >> 1) & (same >> 2) & kFirstBytes;
        if (keyed == kFirstBytes)
            continue;  // sixteen key pixels: the target stays
        if (!keyed) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), a);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16), b);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 32), c);
            continue;
        }
        for (int j = 0; j < 16; ++j)
            if (!((keyed >> (3 * j)) & 1))
                std::memcpy(d + 3 * j, s + 3 * j, 3);
    }
    for (; i < width; ++i, s += 3, d += 3)
        if (Load24(s) != key)
            std::memcpy(d, s, 3);
}

}  // namespace

bool BlitKeyed24Sse2(const BlitJob& job)
{
    if (!HaveSse2())
        return false;
    const uint32_t key = job.flags & CGraphicsImage::BLIT_KEY_MASK;
    const KeyRow24 keys(key);
    for (int row = job.height - 1; row >= 0; --row)
        KeyedRow24(job.source->RowAt(job.sy + row) + 3 * size_t(job.sx),
                   job.target->RowAt(job.ty + row) + 3 * size_t(job.tx), job.width, key, keys);
    return true;
}

// Asks for the next row's target pixels ahead: rows of a tile are short runs
// in a long stride, and each new run would otherwise start with misses.
LINDAR_SSE2 void PrefetchRow(const uint8_t* p, int bytes)
{
    for (int i = 0; i < bytes; i += 64)
        _mm_prefetch(reinterpret_cast<const char*>(p + i), _MM_HINT_T0);
}

bool BlitKeyed32Sse2(const BlitJob& job)
{
    if (!HaveSse2())
        return false;
    const uint32_t key = job.flags & CGraphicsImage::BLIT_KEY_MASK;
    const auto keyed = HaveAvx2() ? KeyedRow32Avx2 : KeyedRow32;
    for (int row = job.height - 1; row >= 0; --row) {
        if (row > 0)
            PrefetchRow(job.target->RowAt(job.ty + row - 1) + 4 * size_t(job.tx), 4 * job.width);
        keyed(job.source->RowAt(job.sy + row) + 4 * size_t(job.sx),
                   job.target->RowAt(job.ty + row) + 4 * size_t(job.tx), job.width, key);
    }
    return true;
}

bool Blend32Sse2(const BlitJob& job)
{
    if (!HaveSse2())
        return false;
    const auto blend = HaveAvx2() ? BlendRow32Avx2 : BlendRow32;
    for (int row = job.height - 1; row >= 0; --row) {
        if (row > 0)
            PrefetchRow(job.target->RowAt(job.ty + row - 1) + 4 * size_t(job.tx), 4 * job.width);
        blend(job.source->RowAt(job.sy + row) + 4 * size_t(job.sx),
                   job.target->RowAt(job.ty + row) + 4 * size_t(job.tx), job.width);
    }
    return true;
}

#else

bool BlitKeyed32Sse2(const BlitJob&) { return false; }
bool BlitKeyed24Sse2(const BlitJob&) { return false; }
bool Blend32Sse2(const BlitJob&) { return false; }

#endif

}  // namespace graphics_detail
