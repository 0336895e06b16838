// RotateFrom: the source turned about a pivot. Positions are quarter pixels
// relative to the pivot; the result is the bounding box of the source's
// turned outline. Target pixel (tx, ty) samples the source at the point its
// centre turns back to: source pixel i has its centre at 4 i - pivot, so
// turns by exact quarter turns and angle 0 hit pixel centres and copy.
// Sample positions carry 8 fractional bits (1/256 pixel); they advance by
// exact integer steps along a row, so a span of a row can be cut out
// arithmetically where every sample lies inside the source (no checks) or
// wholly outside it (the outside value).
#include <algorithm>
#include <cstring>

#include "graphics/fixed_trig.h"
#include "graphics/image.h"
#include "graphics/image_convert_simd.h"
#include "graphics/image_convert_support.h"
#include "graphics/pixel_access.h"

using namespace graphics_detail;

namespace {

constexpr int64_t kQuarter = 4;               // quarter pixels per pixel
constexpr int64_t kHalfPixel = 2;             // in quarter pixels
constexpr int kTrigShift = 16;                // sines are scaled by 65536
constexpr int kSampleShift = kTrigShift - 6;  // quarter pixel × 65536 -> 1/256 pixel
constexpr int kPixelShift = kSampleShift + 8; // -> whole pixels
constexpr int64_t kNearestHalf = int64_t(128) << kSampleShift;
constexpr uint32_t kMinBlendBits = 9;
constexpr uint32_t kColourBytes = 0x00FFFFFF;
constexpr int64_t kBlock = 64;  // result pixels per block side

struct Box {
    int64_t minX, minY, maxX, maxY;
};

// Bounding box of the turned outline, in quarter pixels relative to the pivot.
Box TurnedBox(int64_t width, int64_t height, int64_t px, int64_t py, int64_t s, int64_t c)
{
    const int64_t x0 = -px - kHalfPixel, y0 = -py - kHalfPixel;
    const int64_t xs[2] = {x0, x0 + kQuarter * width}, ys[2] = {y0, y0 + kQuarter * height};
    Box box{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    for (int64_t x : xs)
        for (int64_t y : ys) {
            const int64_t X = (x * c + y * s) >> kTrigShift, Y = (-x * s + y * c) >> kTrigShift;
            box.minX = std::min(box.minX, X);
            box.maxX = std::max(box.maxX, X);
            box.minY = std::min(box.minY, Y);
            box.maxY = std::max(box.maxY, Y);
        }
    return box;
}

// The source position of one target pixel and its step to the next one
// right, in quarter pixels × 65536 with the pivot folded in: the sample is
// (u >> kSampleShift, v >> kSampleShift) in 1/256 source pixel.
struct Walk {
    int64_t u, v, du, dv;
    Walk At(int64_t steps) const { return {u + steps * du, v + steps * dv, du, dv}; }
};

Walk StartOfRow(const Box& box, int64_t ty, int64_t px, int64_t py, int64_t s, int64_t c)
{
    const int64_t X = box.minX + kHalfPixel, Y = box.minY + kQuarter * ty + kHalfPixel;
    return {X * c - Y * s + (px << kTrigShift), X * s + Y * c + (py << kTrigShift), kQuarter * c, kQuarter * s};
}

int64_t FloorDiv(int64_t n, int64_t d) { return n / d - ((n % d != 0) && ((n < 0) != (d < 0))); }

// Steps t in [first, last) with lo <= a + t d < hi (first >= last: none).
struct Steps {
    int64_t first, last;
};

Steps Within(int64_t a, int64_t d, int64_t lo, int64_t hi)
{
    if (d == 0)
        return (a >= lo && a < hi) ? Steps{INT64_MIN, INT64_MAX} : Steps{0, 0};
    if (d > 0)
        return {FloorDiv(lo - a + d - 1, d), FloorDiv(hi - a + d - 1, d)};
    return {FloorDiv(a - hi, -d) + 1, FloorDiv(a - lo, -d) + 1};
}

// Steps of a row segment [0, n) whose pixel columns i = u >> kPixelShift and
// rows j lie in [i0, i1] and [j0, j1].
Steps Columns(const Walk& w, int64_t n, int64_t i0, int64_t i1, int64_t j0, int64_t j1)
{
    const Steps su = Within(w.u, w.du, i0 << kPixelShift, (i1 + 1) << kPixelShift);
    const Steps sv = Within(w.v, w.dv, j0 << kPixelShift, (j1 + 1) << kPixelShift);
    const int64_t first = std::max<int64_t>({su.first, sv.first, 0});
    const int64_t last = std::min<int64_t>({su.last, sv.last, n});
    return first < last ? Steps{first, last} : Steps{first, first};
}

// A segment of n pixels split into: [0, a) and [d, n) with every sample
// outside the source, [a, b) and [c, d) at its edge, [b, c) wholly inside.
struct RowSpans {
    int64_t a, b, c, d;
};

RowSpans Split(const Walk& w, int64_t n, int64_t sw, int64_t sh)
{
    // Some sample inside: the top-left sample in [-1, size - 1].
    const Steps touch = Columns(w, n, -1, sw - 1, -1, sh - 1);
    if (touch.first >= touch.last)
        return {n, n, n, n};
    const Steps inner = Columns(w, n, 0, sw - 2, 0, sh - 2);
    if (inner.first >= inner.last)
        return {touch.first, touch.last, touch.last, touch.last};
    return {touch.first, inner.first, inner.last, touch.last};
}

// Pixel access of the source and target by depth: whole words for 24 and
// 32 bits, the pixel functions otherwise.
template <uint32_t Bits>
struct Pixels {
    static uint32_t Get(const CGraphicsImage& image, const uint8_t* row, int64_t x)
    {
        if constexpr (Bits == 32)
            return Load32(row + 4 * x);
        else if constexpr (Bits == 24)
            return Load24(row + 3 * x);
        else
            return image.m_pfnGetPixel(row, int(x));
    }
    static void Set(const CGraphicsImage& image, uint8_t* row, int64_t x, uint32_t v)
    {
        if constexpr (Bits == 32)
            Store32(row + 4 * x, v);
        else if constexpr (Bits == 24)
            Store24(row + 3 * x, v);
        else
            image.m_pfnSetPixel(row, int(x), v);
    }
};

// Each byte of four pixels weighted by (256 - fx)(256 - fy), fx (256 - fy),
// (256 - fx) fy and fx fy (65536 in all), the sum shifted back once. Two
// bytes ride in the 32-bit halves of one 64-bit word; a half never exceeds
// 255 × 65536, so the products stay apart.
inline uint32_t Bilinear(const uint32_t* p, uint32_t fx, uint32_t fy)
{
    const uint64_t w[4] = {(256 - fx) * (256 - fy), fx * (256 - fy), (256 - fx) * fy, fx * fy};
    uint64_t e = 0, o = 0;
    for (int k = 0; k < 4; ++k) {
        e += (uint64_t(p[k] & 0xFF) | (uint64_t((p[k] >> 16) & 0xFF) << 32)) * w[k];
        o += (uint64_t((p[k] >> 8) & 0xFF) | (uint64_t(p[k] >> 24) << 32)) * w[k];
    }
    e >>= kTrigShift;
    o >>= kTrigShift;
    return uint32_t(e & 0xFF) | (uint32_t(o & 0xFF) << 8) | (uint32_t((e >> 32) & 0xFF) << 16) |
           (uint32_t((o >> 32) & 0xFF) << 24);
}

// The four samples around (u, v): top-left, top-right, bottom-left,
// bottom-right; those outside the source take the outside value.
template <uint32_t Bits>
void GatherChecked(const CGraphicsImage& source, const Walk& w, uint32_t outside, uint32_t* p)
{
    const int64_t i = w.u >> kPixelShift, j = w.v >> kPixelShift;
    for (int k = 0; k < 4; ++k) {
        const int64_t si = i + (k & 1), sj = j + (k >> 1);
        const bool inside = si >= 0 && si < int64_t(source.m_nWidth) && sj >= 0 && sj < int64_t(source.m_nHeight);
        p[k] = inside ? Pixels<Bits>::Get(source, source.RowAt(int(sj)), si) : outside;
    }
}

template <uint32_t Bits>
void GatherInside(const CGraphicsImage& source, const Walk& w, uint32_t* p)
{
    const int64_t i = w.u >> kPixelShift, j = w.v >> kPixelShift;
    const uint8_t* top = source.RowAt(int(j));
    const uint8_t* bottom = top - ptrdiff_t(source.m_nStride);
    p[0] = Pixels<Bits>::Get(source, top, i);
    p[1] = Pixels<Bits>::Get(source, top, i + 1);
    p[2] = Pixels<Bits>::Get(source, bottom, i);
    p[3] = Pixels<Bits>::Get(source, bottom, i + 1);
}

uint32_t FractionX(const Walk& w) { return uint32_t(w.u >> kSampleShift) & 255; }
uint32_t FractionY(const Walk& w) { return uint32_t(w.v >> kSampleShift) & 255; }

template <uint32_t Bits>
void OutsideSpan(const CGraphicsImage& target, uint8_t* to, int64_t from, int64_t end, uint32_t outside)
{
    for (int64_t t = from; t < end; ++t)
        Pixels<Bits>::Set(target, to, t, outside);
}

template <uint32_t Bits>
void EdgeSpan(const CGraphicsImage& source, const CGraphicsImage& target, uint8_t* to, int64_t tx0, const Walk& w,
              int64_t from, int64_t end, uint32_t outside)
{
    uint32_t p[4];
    for (int64_t t = from; t < end; ++t) {
        const Walk at = w.At(t);
        GatherChecked<Bits>(source, at, outside, p);
        Pixels<Bits>::Set(target, to, tx0 + t, Bilinear(p, FractionX(at), FractionY(at)));
    }
}

// One segment [tx0, tx1) of target row ty by bilinear sampling.
template <uint32_t Bits>
void BlendRow(const CGraphicsImage& source, CGraphicsImage& target, int ty, int tx0, int tx1, const Walk& w,
              uint32_t outside)
{
    uint8_t* to = target.RowAt(ty);
    const RowSpans s = Split(w, tx1 - tx0, source.m_nWidth, source.m_nHeight);
    OutsideSpan<Bits>(target, to, tx0, tx0 + s.a, outside);
    EdgeSpan<Bits>(source, target, to, tx0, w, s.a, s.b, outside);
    uint32_t p[4];
    for (int64_t t = s.b; t < s.c; ++t) {
        const Walk at = w.At(t);
        GatherInside<Bits>(source, at, p);
        Pixels<Bits>::Set(target, to, tx0 + t, Bilinear(p, FractionX(at), FractionY(at)));
    }
    EdgeSpan<Bits>(source, target, to, tx0, w, s.c, s.d, outside);
    OutsideSpan<Bits>(target, to, tx0 + s.d, tx1, outside);
}

#ifdef LINDAR_CONVERT_SSE2
LINDAR_CONVERT_SSE2 inline __m128i LoadPair(const uint8_t* p)
{
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

// Bilinear for two 32-bit pixels A and B, each given by its top pair
// (left, right) and bottom pair, in SSE2. Horizontal first: c0 (256 - fx)
// + c1 fx is at most 65280 and exact in unsigned 16-bit lanes. Then
// vertically with pmaddwd, which multiplies signed lanes: the rows are
// biased by -32768 into range and 32768 × 256 is added back, so the 32-bit
// sums are exact.
LINDAR_CONVERT_SSE2 inline __m128i BilinearPairSse2(const uint8_t* topA, const uint8_t* bottomA, uint32_t fxA,
                                                    uint32_t fyA, const uint8_t* topB, const uint8_t* bottomB,
                                                    uint32_t fxB, uint32_t fyB)
{
    const __m128i zero = _mm_setzero_si128();
    // [A left, B left, A right, B right]
    const __m128i top = _mm_unpacklo_epi32(LoadPair(topA), LoadPair(topB));
    const __m128i bottom = _mm_unpacklo_epi32(LoadPair(bottomA), LoadPair(bottomB));
    __m128i fx = _mm_cvtsi32_si128(int(fxA | (fxB << 16)));
    fx = _mm_unpacklo_epi16(fx, fx);
    fx = _mm_unpacklo_epi32(fx, fx);
    const __m128i gx = _mm_sub_epi16(_mm_set1_epi16(256), fx);
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(top, zero), gx),
                                    _mm_mullo_epi16(_mm_unpackhi_epi8(top, zero), fx));
    const __m128i u = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(bottom, zero), gx),
                                    _mm_mullo_epi16(_mm_unpackhi_epi8(bottom, zero), fx));
    const __m128i bias = _mm_set1_epi16(short(0x8000));
    const __m128i back = _mm_set1_epi32(0x8000 * 256);
    const __m128i wyA = _mm_shuffle_epi32(_mm_cvtsi32_si128(int((fyA << 16) | (256 - fyA))), 0);
    const __m128i wyB = _mm_shuffle_epi32(_mm_cvtsi32_si128(int((fyB << 16) | (256 - fyB))), 0);
    __m128i sumA = _mm_madd_epi16(_mm_xor_si128(_mm_unpacklo_epi16(t, u), bias), wyA);
    __m128i sumB = _mm_madd_epi16(_mm_xor_si128(_mm_unpackhi_epi16(t, u), bias), wyB);
    sumA = _mm_srli_epi32(_mm_add_epi32(sumA, back), kTrigShift);
    sumB = _mm_srli_epi32(_mm_add_epi32(sumB, back), kTrigShift);
    return _mm_packus_epi16(_mm_packs_epi32(sumA, sumB), zero);
}

// BlendRow<32> with the inside span two pixels at a time in SSE2; the same
// bytes. The source fields are copied to locals: stores into the result
// (bytes, which may alias anything) would make every sample reload them.
LINDAR_CONVERT_SSE2 void BlendRow32Sse2(const CGraphicsImage& source, CGraphicsImage& target, int ty, int tx0,
                                        int tx1, const Walk& w, uint32_t outside)
{
    uint8_t* to = target.RowAt(ty);
    const RowSpans s = Split(w, tx1 - tx0, source.m_nWidth, source.m_nHeight);
    OutsideSpan<32>(target, to, tx0, tx0 + s.a, outside);
    EdgeSpan<32>(source, target, to, tx0, w, s.a, s.b, outside);

    const uint8_t* row0 = source.m_pRow0;
    const ptrdiff_t stride = ptrdiff_t(source.m_nStride);
    int64_t u = w.At(s.b).u, v = w.At(s.b).v;
    const int64_t du = w.du, dv = w.dv;
    uint8_t* out = to + 4 * (tx0 + s.b);
    int64_t t = s.b;
    for (; t + 1 < s.c; t += 2, out += 8) {
        const int64_t uB = u + du, vB = v + dv;
        const uint8_t* topA = row0 - (v >> kPixelShift) * stride + 4 * (u >> kPixelShift);
        const uint8_t* topB = row0 - (vB >> kPixelShift) * stride + 4 * (uB >> kPixelShift);
        const __m128i pair = BilinearPairSse2(topA, topA - stride, uint32_t(u >> kSampleShift) & 255,
                                              uint32_t(v >> kSampleShift) & 255, topB, topB - stride,
                                              uint32_t(uB >> kSampleShift) & 255, uint32_t(vB >> kSampleShift) & 255);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), pair);
        u = uB + du;
        v = vB + dv;
    }
    if (t < s.c) {
        uint32_t p[4];
        const Walk at = w.At(t);
        GatherInside<32>(source, at, p);
        Store32(out, Bilinear(p, FractionX(at), FractionY(at)));
    }

    EdgeSpan<32>(source, target, to, tx0, w, s.c, s.d, outside);
    OutsideSpan<32>(target, to, tx0 + s.d, tx1, outside);
}
#endif

// One segment of a target row by the nearest source pixel; outside the
// source the background stays.
template <uint32_t Bits>
void NearestRow(const CGraphicsImage& source, CGraphicsImage& target, int ty, int tx0, int tx1, const Walk& w,
                uint32_t)
{
    const int64_t sw = source.m_nWidth, sh = source.m_nHeight;
    uint8_t* to = target.RowAt(ty);
    for (int64_t t = 0; t < tx1 - tx0; ++t) {
        const Walk at = w.At(t);
        const int64_t i = (at.u + kNearestHalf) >> kPixelShift, j = (at.v + kNearestHalf) >> kPixelShift;
        if (uint64_t(i) < uint64_t(sw) && uint64_t(j) < uint64_t(sh))
            Pixels<Bits>::Set(target, to, tx0 + t, Pixels<Bits>::Get(source, source.RowAt(int(j)), i));
    }
}

typedef void (*RotateRowFn)(const CGraphicsImage&, CGraphicsImage&, int, int, int, const Walk&, uint32_t);

RotateRowFn RotateRowFor(uint32_t bits, bool blend)
{
    if (!blend)
        return bits == 32 ? NearestRow<32> : bits == 24 ? NearestRow<24> : NearestRow<0>;
#ifdef LINDAR_CONVERT_SSE2
    if (bits == 32 && ConvertHaveSse2())
        return BlendRow32Sse2;
#endif
    return bits == 32 ? BlendRow<32> : bits == 24 ? BlendRow<24> : BlendRow<0>;
}

}  // namespace

bool CGraphicsImage::RotateFrom(const CGraphicsImage& sourceArg, int32_t angle, uint32_t flags, int32_t* pivotX,
                                int32_t* pivotY, uint32_t background)
{
    const StableSource stable(sourceArg, *this);
    const CGraphicsImage* source = stable.get();
    if (!source || !HasPicture(*source) || source->m_nWidth > ROTATE_MAX_SOURCE ||
        source->m_nHeight > ROTATE_MAX_SOURCE) {
        Clear();
        return false;
    }
    // All of this in 64 bits: a pivot far outside would overflow 32.
    const int64_t scale = (flags & ROTATE_QUARTER_PIXELS) ? 1 : kQuarter;
    const int64_t px = (pivotX ? *pivotX : 0) * scale, py = (pivotY ? *pivotY : 0) * scale;
    const int64_t s = FixedSin(angle), c = FixedSin(int32_t(uint32_t(FIXED_QUARTER_TURN) - uint32_t(angle)));
    const Box box = TurnedBox(source->m_nWidth, source->m_nHeight, px, py, s, c);
    const int64_t width = (box.maxX - box.minX + 3) >> 2, height = (box.maxY - box.minY + 3) >> 2;
    if (width <= 0 || height <= 0 || width > ROTATE_MAX_RESULT || height > ROTATE_MAX_RESULT) {
        Clear();
        return false;
    }

    // Create's own fill would take the fill value that means "no fill".
    if (!Create(source->m_nBitCount, uint32_t(width), uint32_t(height), NO_FILL, OWN_MEMORY))
        return false;
    const bool blend = source->m_nBitCount >= kMinBlendBits && !(flags & ROTATE_NEAREST);
    if (!blend)  // blending computes every pixel
        FillRect(0, 0, int(width), int(height), background);
    if (!source->m_bTrueColor)
        std::memcpy(m_pPalette, source->m_pPalette, size_t(source->m_nPaletteSize) * 4);

    // Outside a source with alpha is transparent; otherwise it is the
    // background as given, fourth byte included.
    const uint32_t outside = source->HasAlpha() ? background & kColourBytes : background;
    const RotateRowFn row = RotateRowFor(source->m_bTrueColor ? source->m_nBitCount : 0, blend);
    // Square blocks of the result: a block's samples come from a small part
    // of the source, which stays in the caches.
    for (int64_t by = 0; by < height; by += kBlock)
        for (int64_t bx = 0; bx < width; bx += kBlock) {
            const int x0 = int(bx), x1 = int(std::min(bx + kBlock, width));
            for (int64_t ty = by; ty < std::min(by + kBlock, height); ++ty)
                row(*source, *this, int(ty), x0, x1, StartOfRow(box, ty, px, py, s, c).At(bx), outside);
        }

    if (flags & ROTATE_QUARTER_PIXELS) {
        if (pivotX)
            *pivotX = int32_t(-kHalfPixel - box.minX);
        if (pivotY)
            *pivotY = int32_t(-kHalfPixel - box.minY);
    } else {
        if (pivotX)
            *pivotX = int32_t(-(box.minX / kQuarter));
        if (pivotY)
            *pivotY = int32_t(-(box.minY / kQuarter));
    }
    return true;
}
