// FillRect: in every row the rectangle is a span of bits. The whole bytes of
// the span take a repeating byte pattern (the packed pixel, pixel pair or
// index byte) with wide stores; the one or two bytes it shares with pixels
// outside are merged under a mask. No pixel function runs per pixel.
#include <algorithm>
#include <cstring>

#include "graphics/cpu_features.h"
#include "graphics/image.h"
#include "graphics/image_blit.h"
#include "graphics/image_depths.h"
#include "graphics/pixel_access.h"
#include "graphics/rect.h"

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#if !defined(__clang__)
// The 32-byte vector helpers are only ever inlined into the AVX2 kernel.
#pragma GCC diagnostic ignored "-Wpsabi"
#endif
#define LINDAR_SSE2 __attribute__((target("sse2")))
#define LINDAR_AVX2 __attribute__((target("avx2")))
#endif

using namespace graphics_detail;

namespace {

// A common multiple of every pattern period (1 to 4 bytes) and of the store
// widths (16 and 32 bytes), so a store at any phase finds its bytes in one
// window.
constexpr size_t kCycle = 96;
// Rows shorter than this are filled by the scalar copies: the wide path's
// unaligned head and tail would cover most of them twice.
constexpr size_t kWideMin = 64;
// Rows of at least this many bytes use the string store where the period
// allows; shorter ones do not amortise its start-up.
constexpr size_t kStringMin = 2048;
// Fills above this size bypass the caches with streaming stores: they would
// not fit the last-level cache anyway and would only evict everything else.
// Below it, ordinary stores win by far, since the filled area stays cached
// for what is drawn on it next.
constexpr uint64_t kStreamingBytes = uint64_t(32) << 20;

// Byte i of a row takes bytes[i % kCycle]; a window of kCycle bytes starting
// at any phase lies inside the array.
struct FillPattern {
    uint8_t bytes[3 * kCycle];
};

uint8_t RepeatedIndexByte(uint32_t bits, uint32_t value)
{
    switch (bits) {
    case 1: return (value & 1) ? 0xFF : 0x00;
    case 2: return uint8_t((value & 3) * 0x55);
    case 4: return uint8_t((value & 15) * 0x11);
    default: return uint8_t(value);
    }
}

// The pattern of a period P from its unit (byte 0 lowest), written as 64-bit
// words that are computed in registers: shapes fill span by span, so this
// runs once per span and must not wait on loads of its own stores.
template <size_t P>
void Spread(uint32_t unit, FillPattern& p)
{
    constexpr size_t kWords = 24 / 8;  // 24 bytes, a multiple of every period
    uint64_t q[kWords];
    for (size_t w = 0; w < kWords; ++w) {
        q[w] = 0;
        for (size_t k = 0; k < 8; ++k)
            q[w] |= uint64_t((unit >> (8 * ((8 * w + k) % P))) & 0xFF) << (8 * k);
    }
    static_assert(sizeof p.bytes % 24 == 0, "whole 24-byte blocks");
    for (size_t i = 0; i < sizeof p.bytes; i += 24)
        std::memcpy(p.bytes + i, q, 24);
}

// The pattern of a value: the repeated unit and its length in bytes, which
// it answers. Units start at byte 0 of the row (a 12-bit unit is a pixel
// pair).
size_t MakePattern(uint32_t bits, uint32_t value, FillPattern& p)
{
    switch (bits) {
    case 12: {
        const uint32_t r = (value >> 20) & 15, g = (value >> 12) & 15, b = (value >> 4) & 15;
        Spread<3>((b << 4 | g) | (r << 4 | b) << 8 | (g << 4 | r) << 16, p);
        return 3;
    }
    case 15: Spread<2>(Pack555(value), p); return 2;
    case 16: Spread<2>(Pack565(value), p); return 2;
    case 24: Spread<3>(value & 0xFFFFFF, p); return 3;
    case 32: Spread<4>(value, p); return 4;
    default: Spread<1>(RepeatedIndexByte(bits, value), p); return 1;
    }
}

// One fill: the rows, the whole bytes of each and the shared end bytes.
struct RowFill {
    uint8_t* first;  // the row lowest in memory, the bottom one
    ptrdiff_t step;  // from a row to the next one up
    int rows;
    size_t from, to;             // whole bytes [from, to) of every row
    size_t head, tail;           // the bytes shared with pixels outside
    uint8_t headMask, tailMask;  // the bits of them in the span; 0: none
    uint8_t headBits, tailBits;  // the pattern's bits there
    size_t period;               // of the pattern, in bytes
    FillPattern pattern;
};

// Merges the pattern into the bits of the shared end bytes.
inline void MergeEnds(uint8_t* row, const RowFill& f)
{
    if (f.headMask)
        row[f.head] = uint8_t((row[f.head] & ~f.headMask) | f.headBits);
    if (f.tailMask)
        row[f.tail] = uint8_t((row[f.tail] & ~f.tailMask) | f.tailBits);
}

// The reference: a window of the pattern at a time.
void FillRowsScalar(const RowFill& f)
{
    uint8_t* row = f.first;
    for (int r = 0; r < f.rows; ++r, row += f.step) {
        for (size_t i = f.from; i < f.to;) {
            const size_t n = std::min(f.to - i, kCycle);
            std::memcpy(row + i, f.pattern.bytes + i % kCycle, n);
            i += n;
        }
        MergeEnds(row, f);
    }
}

#ifdef LINDAR_SSE2

// Vector access for the wide kernels, one type per store width W.
struct Sse2 {
    typedef __m128i V;
    static constexpr size_t W = 16;
    LINDAR_SSE2 static V Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
    LINDAR_SSE2 static void StoreU(uint8_t* d, V v) { _mm_storeu_si128(reinterpret_cast<V*>(d), v); }
    template <bool Streaming>
    LINDAR_SSE2 static void Store(uint8_t* d, V v)
    {
        if constexpr (Streaming)
            _mm_stream_si128(reinterpret_cast<V*>(d), v);
        else
            _mm_store_si128(reinterpret_cast<V*>(d), v);
    }
};

struct Avx2 {
    typedef __m256i V;
    static constexpr size_t W = 32;
    LINDAR_AVX2 static V Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const V*>(p)); }
    LINDAR_AVX2 static void StoreU(uint8_t* d, V v) { _mm256_storeu_si256(reinterpret_cast<V*>(d), v); }
    template <bool Streaming>
    LINDAR_AVX2 static void Store(uint8_t* d, V v)
    {
        if constexpr (Streaming)
            _mm256_stream_si256(reinterpret_cast<V*>(d), v);
        else
            _mm256_store_si256(reinterpret_cast<V*>(d), v);
    }
};

#define FILL_ROWS FillRowsSse2
#define FILL_TARGET LINDAR_SSE2
#define FILL_OPS Sse2
#include "graphics/image_fill_rows.inc"
#undef FILL_ROWS
#undef FILL_TARGET
#undef FILL_OPS

#define FILL_ROWS FillRowsAvx2
#define FILL_TARGET LINDAR_AVX2
#define FILL_OPS Avx2
#include "graphics/image_fill_rows.inc"
#undef FILL_ROWS
#undef FILL_TARGET
#undef FILL_OPS

LINDAR_SSE2 void FillSse2(const RowFill& f, bool streaming)
{
    streaming ? FillRowsSse2<true>(f) : FillRowsSse2<false>(f);
}

LINDAR_AVX2 void FillAvx2(const RowFill& f, bool streaming)
{
    streaming ? FillRowsAvx2<true>(f) : FillRowsAvx2<false>(f);
}

LINDAR_SSE2 void StoreFence() { _mm_sfence(); }

// Long rows by the string store, which writes whole cache lines without
// reading them first (the wide stores must fetch each line they write). It
// takes 1-, 2- and 4-byte periods.
void FillRowsString(const RowFill& f)
{
    uint8_t* row = f.first;
    const size_t n = f.to - f.from;
    uint32_t v;
    std::memcpy(&v, f.pattern.bytes + f.from % kCycle, 4);
    for (int r = 0; r < f.rows; ++r, row += f.step) {
        void* d = row + f.from;
        size_t c;
        switch (f.period) {
        case 1: c = n; __asm__ volatile("rep stosb" : "+D"(d), "+c"(c) : "a"(v) : "memory"); break;
        case 2: c = n / 2; __asm__ volatile("rep stosw" : "+D"(d), "+c"(c) : "a"(v) : "memory"); break;
        default: c = n / 4; __asm__ volatile("rep stosl" : "+D"(d), "+c"(c) : "a"(v) : "memory"); break;
        }
        MergeEnds(row, f);
    }
}

#endif

// The kernel for a fill: the string store for long rows of a period it
// takes; wide stores where the rows are long enough and the processor has
// them, streaming ones above kStreamingBytes; else the scalar reference, which
// the switch of the general path selects as well.
void RunFill(const RowFill& f)
{
#ifdef LINDAR_SSE2
    const size_t bytes = f.to - f.from;
    if (bytes >= kStringMin && f.period != 3 && !GeneralPathOnly()) {
        FillRowsString(f);
        return;
    }
    if (bytes >= kWideMin && !GeneralPathOnly() && HaveSse2()) {
        const bool streaming = uint64_t(bytes) * uint64_t(f.rows) > kStreamingBytes;
        if (HaveAvx2())
            FillAvx2(f, streaming);
        else
            FillSse2(f, streaming);
        if (streaming)
            StoreFence();  // streaming stores are weakly ordered
        return;
    }
#endif
    FillRowsScalar(f);
}

}  // namespace

bool CGraphicsImage::FillRect(int x, int y, int width, int height, uint32_t value)
{
    Span s;
    if (!m_pBits || !FindDepth(m_nBitCount) || !ClipRect(x, y, width, height, m_nWidth, m_nHeight, s))
        return false;
    RowFill f;
    f.period = MakePattern(m_nBitCount, value, f.pattern);
    // The span in bits; pixels lie most significant bits first in each byte.
    const uint64_t bitsPerPixel = m_nBitCount == 15 ? 16 : m_nBitCount;
    const uint64_t bit0 = bitsPerPixel * uint64_t(s.x0), bit1 = bitsPerPixel * uint64_t(s.x1);
    // Rows in ascending memory order, from the bottom of the picture up: a
    // nearly contiguous stream, which the prefetchers follow.
    f.first = RowAt(s.y1 - 1);
    f.step = ptrdiff_t(m_nStride);
    f.rows = s.Height();
    f.from = size_t((bit0 + 7) / 8);
    f.to = std::max(f.from, size_t(bit1 / 8));
    // The bytes shared with pixels outside: the first and the last, or one
    // byte holding the whole span.
    f.head = size_t(bit0 / 8);
    f.tail = size_t(bit1 / 8);
    f.headMask = (bit0 % 8) ? uint8_t(0xFF >> (bit0 % 8)) : 0;
    f.tailMask = (bit1 % 8) ? uint8_t(0xFF << (8 - bit1 % 8)) : 0;
    if (f.headMask && f.tailMask && f.head == f.tail) {
        f.headMask &= f.tailMask;
        f.tailMask = 0;
    }
    f.headBits = f.pattern.bytes[f.head % kCycle] & f.headMask;
    f.tailBits = f.pattern.bytes[f.tail % kCycle] & f.tailMask;
    RunFill(f);
    return true;
}
