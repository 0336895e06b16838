#include "graphics/formats/tiff_rows.h"

#include "graphics/cpu_features.h"
#include "graphics/formats/tiff_format.h"
#include "graphics/image_convert_simd.h"

#include <cstring>

namespace {

template <uint32_t Samples>
void UndoPredictorBy(uint8_t* row, int64_t n)
{
    for (int64_t i = Samples; i < n; ++i)
        row[i] = uint8_t(row[i] + row[i - Samples]);
}

#ifdef LINDAR_CONVERT_SSE2
using graphics_detail::SwapRedBlue4;
using graphics_detail::SwapRedBlue5;

LINDAR_CONVERT_SSE2 inline __m128i Load(const uint8_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

LINDAR_CONVERT_SSE2 inline void Store(uint8_t* p, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// The pixels after the vector windows, one by one from the last pixel
// (RGB order) the windows left in the low bytes of `carry`.
void FinishStored(const uint8_t* row, uint8_t* out, int64_t from, int64_t n, uint32_t samples, uint32_t carry)
{
    uint8_t last[4] = {uint8_t(carry), uint8_t(carry >> 8), uint8_t(carry >> 16), uint8_t(carry >> 24)};
    for (int64_t i = from; i < n; i += samples) {
        for (uint32_t c = 0; c < samples; ++c)
            last[c] = uint8_t(last[c] + row[i + c]);
        out[i] = last[2];
        out[i + 1] = last[1];
        out[i + 2] = last[0];
        if (samples == 4)
            out[i + 3] = last[3];
    }
}

// Five pixels per 15-byte window: the differences summed within the window
// by three shifted adds, then the window's start value (the last pixel
// before it, in all five places) added. The start value of the next window
// grows by this window's own sum, so the windows depend on each other by
// one add only.
LINDAR_CONVERT_SSE2 void StorePredicted3(const uint8_t* row, uint8_t* out, int64_t n)
{
    __m128i carry = _mm_setzero_si128();
    int64_t i = 0;
    for (; i + 16 <= n; i += 15) {
        __m128i v = Load(row + i);
        v = _mm_add_epi8(v, _mm_slli_si128(v, 3));
        v = _mm_add_epi8(v, _mm_slli_si128(v, 6));
        v = _mm_add_epi8(v, _mm_slli_si128(v, 12));
        Store(out + i, SwapRedBlue5(_mm_add_epi8(v, carry)));
        __m128i last = _mm_srli_si128(_mm_slli_si128(v, 1), 13);
        last = _mm_or_si128(last, _mm_slli_si128(last, 3));
        last = _mm_or_si128(last, _mm_slli_si128(last, 6));
        last = _mm_or_si128(last, _mm_slli_si128(last, 12));
        carry = _mm_add_epi8(carry, last);
    }
    FinishStored(row, out, i, n, 3, uint32_t(_mm_cvtsi128_si32(carry)));
}

LINDAR_CONVERT_SSE2 void StorePredicted4(const uint8_t* row, uint8_t* out, int64_t n)
{
    __m128i carry = _mm_setzero_si128();
    int64_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i v = Load(row + i);
        v = _mm_add_epi8(v, _mm_slli_si128(v, 4));
        v = _mm_add_epi8(v, _mm_slli_si128(v, 8));
        Store(out + i, SwapRedBlue4(_mm_add_epi8(v, carry)));
        carry = _mm_add_epi8(carry, _mm_shuffle_epi32(v, 0xFF));
    }
    FinishStored(row, out, i, n, 4, uint32_t(_mm_cvtsi128_si32(carry)));
}

// The pixels after the vector windows: swapped, then less the pixel before.
void FinishPredicted(const uint8_t* bgr, uint8_t* out, int64_t from, int64_t n, uint32_t samples)
{
    for (int64_t i = from; i < n; i += samples)
        for (uint32_t c = 0; c < samples; ++c) {
            const uint32_t source = c < 3 ? 2 - c : c;
            out[i + c] = uint8_t(bgr[i + source] - (i >= samples ? bgr[i - samples + source] : 0));
        }
}

// Each window less the window one pixel before it (the first less itself
// moved by a pixel), both swapped.
LINDAR_CONVERT_SSE2 void Predict3(const uint8_t* bgr, uint8_t* out, int64_t n)
{
    int64_t i = 0;
    if (n >= 16) {
        const __m128i a = SwapRedBlue5(Load(bgr));
        Store(out, _mm_sub_epi8(a, _mm_slli_si128(a, 3)));
        for (i = 15; i + 16 <= n; i += 15)
            Store(out + i, _mm_sub_epi8(SwapRedBlue5(Load(bgr + i)), SwapRedBlue5(Load(bgr + i - 3))));
    }
    FinishPredicted(bgr, out, i, n, 3);
}

LINDAR_CONVERT_SSE2 void Predict4(const uint8_t* bgr, uint8_t* out, int64_t n)
{
    int64_t i = 0;
    if (n >= 16) {
        const __m128i a = SwapRedBlue4(Load(bgr));
        Store(out, _mm_sub_epi8(a, _mm_slli_si128(a, 4)));
        for (i = 16; i + 16 <= n; i += 16)
            Store(out + i, _mm_sub_epi8(SwapRedBlue4(Load(bgr + i)), SwapRedBlue4(Load(bgr + i - 4))));
    }
    FinishPredicted(bgr, out, i, n, 4);
}
#endif

}  // namespace

void TiffUndoPredictor(uint8_t* row, int64_t n, uint32_t samples)
{
    switch (samples) {
    case 1: UndoPredictorBy<1>(row, n); break;
    case 3: UndoPredictorBy<3>(row, n); break;
    default: UndoPredictorBy<4>(row, n); break;  // at most 4 samples take the predictor
    }
}

void TiffApplyPredictor(const uint8_t* row, uint8_t* out, int64_t n, uint32_t samples)
{
    for (int64_t i = n - 1; i >= samples; --i)
        out[i] = uint8_t(row[i] - row[i - samples]);
    for (int64_t i = 0; i < samples && i < n; ++i)
        out[i] = row[i];
}

void TiffStorePredictedRgb(uint8_t* row, uint8_t* out, uint32_t width, uint32_t samples)
{
    const int64_t n = int64_t(width) * samples;
#ifdef LINDAR_CONVERT_SSE2
    if (graphics_detail::HaveSse2()) {
        if (samples == 4)
            StorePredicted4(row, out, n);
        else
            StorePredicted3(row, out, n);
        return;
    }
#endif
    TiffUndoPredictor(row, n, samples);
    TiffSwapRedBlue(row, out, width, samples);
}

void TiffPredictRgb(const uint8_t* bgr, uint8_t* scratch, uint8_t* out, uint32_t width, uint32_t samples)
{
    const int64_t n = int64_t(width) * samples;
#ifdef LINDAR_CONVERT_SSE2
    if (graphics_detail::HaveSse2()) {
        if (samples == 4)
            Predict4(bgr, out, n);
        else
            Predict3(bgr, out, n);
        return;
    }
#endif
    TiffSwapRedBlue(bgr, scratch, width, samples);
    TiffApplyPredictor(scratch, out, n, samples);
}
