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

using graphics_detail::LoadVector;
using graphics_detail::StoreVector;

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

template <uint32_t Samples>
LINDAR_CONVERT_SSE2 inline __m128i SwapWindow(__m128i v)
{
    if constexpr (Samples == 4)
        return SwapRedBlue4(v);
    else
        return SwapRedBlue5(v);
}

// The differences of a window (five 3-byte or four 4-byte pixels) summed
// within it by shifted adds.
template <uint32_t Samples>
LINDAR_CONVERT_SSE2 inline __m128i SumWindow(__m128i v)
{
    v = _mm_add_epi8(v, _mm_slli_si128(v, Samples));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 2 * Samples));
    if constexpr (Samples == 3)
        v = _mm_add_epi8(v, _mm_slli_si128(v, 12));
    return v;
}

// The window's last pixel in all of its places.
template <uint32_t Samples>
LINDAR_CONVERT_SSE2 inline __m128i LastPixelEverywhere(__m128i v)
{
    if constexpr (Samples == 4) {
        return _mm_shuffle_epi32(v, 0xFF);
    } else {
        __m128i last = _mm_srli_si128(_mm_slli_si128(v, 1), 13);
        last = _mm_or_si128(last, _mm_slli_si128(last, 3));
        last = _mm_or_si128(last, _mm_slli_si128(last, 6));
        return _mm_or_si128(last, _mm_slli_si128(last, 12));
    }
}

// Each window's sums plus its start value (the last pixel before it, in all
// of its places). The next start value grows by this window's own last
// sum, so the windows depend on each other by one add only.
template <uint32_t Samples>
LINDAR_CONVERT_SSE2 void StorePredicted(const uint8_t* row, uint8_t* out, int64_t n)
{
    constexpr int64_t kWindow = Samples == 4 ? 16 : 15;
    __m128i carry = _mm_setzero_si128();
    int64_t i = 0;
    for (; i + 16 <= n; i += kWindow) {
        const __m128i v = SumWindow<Samples>(LoadVector(row + i));
        StoreVector(out + i, SwapWindow<Samples>(_mm_add_epi8(v, carry)));
        carry = _mm_add_epi8(carry, LastPixelEverywhere<Samples>(v));
    }
    FinishStored(row, out, i, n, Samples, uint32_t(_mm_cvtsi128_si32(carry)));
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

// Each window (five 3-byte or four 4-byte pixels) less the window one pixel
// before it (the first less itself moved by a pixel), both swapped.
template <uint32_t Samples>
LINDAR_CONVERT_SSE2 void Predict(const uint8_t* bgr, uint8_t* out, int64_t n)
{
    constexpr int64_t kWindow = Samples == 4 ? 16 : 15;
    int64_t i = 0;
    if (n >= 16) {
        const __m128i a = SwapWindow<Samples>(LoadVector(bgr));
        StoreVector(out, _mm_sub_epi8(a, _mm_slli_si128(a, Samples)));
        for (i = kWindow; i + 16 <= n; i += kWindow)
            StoreVector(out + i, _mm_sub_epi8(SwapWindow<Samples>(LoadVector(bgr + i)), SwapWindow<Samples>(LoadVector(bgr + i - Samples))));
    }
    FinishPredicted(bgr, out, i, n, Samples);
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
            StorePredicted<4>(row, out, n);
        else
            StorePredicted<3>(row, out, n);
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
            Predict<4>(bgr, out, n);
        else
            Predict<3>(bgr, out, n);
        return;
    }
#endif
    TiffSwapRedBlue(bgr, scratch, width, samples);
    TiffApplyPredictor(scratch, out, n, samples);
}
