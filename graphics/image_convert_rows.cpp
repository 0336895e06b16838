// Direct row conversions for the depths map tiles come in, written straight
// into the target row (no spare row, no copy). Each computes what the
// source's row function for the target depth computes; ConvertFrom takes
// the row functions for every other pair.
#include <cstring>

#include "graphics/image_convert_simd.h"
#include "graphics/image_convert_support.h"
#include "graphics/image_depths.h"
#include "graphics/pixel_access.h"

namespace graphics_detail {
namespace {

void Index8To24(const uint8_t* from, uint8_t* to, int width, const CGraphicsImage& source)
{
    const RGBQUAD* palette = source.m_pPalette;
    int x = 0;
    // Whole entries while the fourth byte still lands on the next pixel.
    for (; x + 1 < width; ++x)
        std::memcpy(to + 3 * x, &palette[from[x]], 4);
    for (; x < width; ++x)
        std::memcpy(to + 3 * x, &palette[from[x]], 3);
}

void Index8To32(const uint8_t* from, uint8_t* to, int width, const CGraphicsImage& source)
{
    const RGBQUAD* palette = source.m_pPalette;
    for (int x = 0; x < width; ++x)
        std::memcpy(to + 4 * x, &palette[from[x]], 4);
}

void Rgb24To32(const uint8_t* from, uint8_t* to, int width, const CGraphicsImage&)
{
    int x = 0;
    // Four pixels from three words.
    for (; x + 4 <= width; x += 4) {
        const uint32_t a = Load32(from + 3 * x), b = Load32(from + 3 * x + 4), c = Load32(from + 3 * x + 8);
        Store32(to + 4 * x, a & 0xFFFFFF);
        Store32(to + 4 * x + 4, ((a >> 24) | (b << 8)) & 0xFFFFFF);
        Store32(to + 4 * x + 8, ((b >> 16) | (c << 16)) & 0xFFFFFF);
        Store32(to + 4 * x + 12, c >> 8);
    }
    for (; x < width; ++x)
        Store32(to + 4 * x, Load24(from + 3 * x));
}

template <bool Is555>
void Rgb16To32Tail(const uint8_t* from, uint8_t* to, int x, int width)
{
    for (; x < width; ++x) {
        const uint32_t w = Load16(from + 2 * x);
        Store32(to + 4 * x, Is555 ? Unpack555(w) : Unpack565(w));
    }
}

template <bool Is555>
void Rgb16To32(const uint8_t* from, uint8_t* to, int width, const CGraphicsImage&)
{
    Rgb16To32Tail<Is555>(from, to, 0, width);
}

#ifdef LINDAR_CONVERT_SSE2
// Eight pixels at a time: each channel masked and moved to the top of its
// byte (the flag bit of 5-5-5 to bit 31).
template <bool Is555>
LINDAR_CONVERT_SSE2 __m128i Expand(__m128i w)
{
    if (Is555) {
        const __m128i r = _mm_slli_epi32(_mm_and_si128(w, _mm_set1_epi32(0x7C00)), 9);
        const __m128i g = _mm_slli_epi32(_mm_and_si128(w, _mm_set1_epi32(0x03E0)), 6);
        const __m128i b = _mm_slli_epi32(_mm_and_si128(w, _mm_set1_epi32(0x001F)), 3);
        const __m128i f = _mm_slli_epi32(_mm_and_si128(w, _mm_set1_epi32(0x8000)), 16);
        return _mm_or_si128(_mm_or_si128(r, g), _mm_or_si128(b, f));
    }
    const __m128i r = _mm_slli_epi32(_mm_and_si128(w, _mm_set1_epi32(0xF800)), 8);
    const __m128i g = _mm_slli_epi32(_mm_and_si128(w, _mm_set1_epi32(0x07E0)), 5);
    const __m128i b = _mm_slli_epi32(_mm_and_si128(w, _mm_set1_epi32(0x001F)), 3);
    return _mm_or_si128(_mm_or_si128(r, g), b);
}

template <bool Is555>
LINDAR_CONVERT_SSE2 void Rgb16To32Sse2(const uint8_t* from, uint8_t* to, int width, const CGraphicsImage&)
{
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 2 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4 * x), Expand<Is555>(_mm_unpacklo_epi16(w, zero)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4 * x + 16), Expand<Is555>(_mm_unpackhi_epi16(w, zero)));
    }
    Rgb16To32Tail<Is555>(from, to, x, width);
}
#endif

struct DirectRow {
    uint32_t from, to;
    DirectRowFn portable;
    DirectRowFn sse2;  // null: the portable loop is as good
};

const DirectRow kDirectRows[] = {
    {8, 24, Index8To24, nullptr},
    {8, 32, Index8To32, nullptr},
    {24, 32, Rgb24To32, nullptr},
#ifdef LINDAR_CONVERT_SSE2
    {15, 32, Rgb16To32<true>, Rgb16To32Sse2<true>},
    {16, 32, Rgb16To32<false>, Rgb16To32Sse2<false>},
#else
    {15, 32, Rgb16To32<true>, nullptr},
    {16, 32, Rgb16To32<false>, nullptr},
#endif
};

}  // namespace

DirectRowFn FindDirectRow(uint32_t fromBits, uint32_t toBits)
{
    for (const DirectRow& d : kDirectRows)
        if (d.from == fromBits && d.to == toBits)
            return d.sse2 && ConvertHaveSse2() ? d.sse2 : d.portable;
    return nullptr;
}

}  // namespace graphics_detail
