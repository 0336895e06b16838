// The fast-path table of DrawImage: rows of source depth, target depth,
// required blit facts and function, first match wins. Every function here
// writes exactly the bytes BlitGeneral would. Rows go from the bottom of
// the picture up: ascending addresses in a bottom-up image, the direction
// hardware prefetchers follow best (worth a third of the time of large blits).
#include <cstring>

#include "graphics/image_blit.h"
#include "graphics/image_depths.h"
#include "graphics/pixel_access.h"

namespace graphics_detail {
namespace {

constexpr uint32_t kAnyDepth = 0;
constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kColourBytes = 0x00FFFFFF;

// Bytes from the start of a row to pixel x, for x on a whole byte.
inline size_t ByteOffset(uint32_t bits, int x) { return size_t(x) * (bits == 15 ? 16 : bits) / 8; }

inline const uint8_t* SourceRow(const BlitJob& job, int row)
{
    return job.source->RowAt(job.sy + row) + ByteOffset(job.source->m_nBitCount, job.sx);
}
inline uint8_t* TargetRow(const BlitJob& job, int row)
{
    return job.target->RowAt(job.ty + row) + ByteOffset(job.target->m_nBitCount, job.tx);
}

uint32_t KeyOf(const BlitJob& job) { return job.flags & CGraphicsImage::BLIT_KEY_MASK; }

// ---- plain copies ----------------------------------------------------------

// Same depth, no tests, whole bytes: the rows are byte strings.
bool CopyRows(const BlitJob& job)
{
    const size_t bytes = ByteOffset(job.source->m_nBitCount, job.width);
    // Pointers kept in registers: the copies may write anywhere, so fields
    // read through the job would be read again after each row.
    const uint8_t* s = SourceRow(job, job.height - 1);
    uint8_t* d = TargetRow(job, job.height - 1);
    const ptrdiff_t sourceStep = ptrdiff_t(job.source->m_nStride), targetStep = ptrdiff_t(job.target->m_nStride);
    for (int row = 0; row < job.height; ++row, s += sourceStep, d += targetStep)
        std::memcpy(d, s, bytes);
    return true;
}

bool Blit24To32(const BlitJob& job)
{
    for (int row = job.height - 1; row >= 0; --row) {
        const uint8_t* s = SourceRow(job, row);
        uint8_t* d = TargetRow(job, row);
        int i = 0;
        // Four pixels from three whole words, never reading past the last pixel.
        for (; i + 4 <= job.width; i += 4, s += 12) {
            const uint32_t a = Load32(s), b = Load32(s + 4), c = Load32(s + 8);
            Store32(d + 4 * i, a | kOpaque);
            Store32(d + 4 * i + 4, (a >> 24) | (b << 8) | kOpaque);
            Store32(d + 4 * i + 8, (b >> 16) | (c << 16) | kOpaque);
            Store32(d + 4 * i + 12, (c >> 8) | kOpaque);
        }
        for (; i < job.width; ++i, s += 3)
            Store32(d + 4 * i, Load24(s) | kOpaque);
    }
    return true;
}

// Palette entries with the fourth byte forced opaque, looked up once per blit.
void OpaquePalette(const CGraphicsImage& image, uint32_t* table)
{
    std::memcpy(table, image.m_pPalette, 256 * 4);
    for (int i = 0; i < 256; ++i)
        table[i] |= kOpaque;
}

bool Blit8To32(const BlitJob& job)
{
    uint32_t table[256];
    OpaquePalette(*job.source, table);
    for (int row = job.height - 1; row >= 0; --row) {
        const uint8_t* s = SourceRow(job, row);
        uint8_t* d = TargetRow(job, row);
        for (int i = 0; i < job.width; ++i)
            Store32(d + 4 * i, table[s[i]]);
    }
    return true;
}

// ---- source colour key -----------------------------------------------------

bool BlitKeyed24To32(const BlitJob& job)
{
    const uint32_t key = KeyOf(job);
    for (int row = job.height - 1; row >= 0; --row) {
        const uint8_t* s = SourceRow(job, row);
        uint8_t* d = TargetRow(job, row);
        for (int i = 0; i < job.width; ++i, s += 3) {
            const uint32_t colour = Load24(s);
            if (colour != key)
                Store32(d + 4 * i, colour | kOpaque);
        }
    }
    return true;
}

bool BlitKeyed8To32(const BlitJob& job)
{
    const uint32_t key = KeyOf(job);
    uint32_t table[256];
    OpaquePalette(*job.source, table);
    for (int row = job.height - 1; row >= 0; --row) {
        const uint8_t* s = SourceRow(job, row);
        uint8_t* d = TargetRow(job, row);
        for (int i = 0; i < job.width; ++i)
            if (s[i] != key)
                Store32(d + 4 * i, table[s[i]]);
    }
    return true;
}

// ---- same depth with any tests, in the native pixel form ---------------------

// The pixel access of 15 and 16 bits: one 16-bit word.
struct WordPixel {
    static constexpr int kBytes = 2;
    static uint32_t Load(const uint8_t* p) { return Load16(p); }
    static void Store(uint8_t* p, uint32_t v, uint32_t) { Store16(p, uint16_t(v)); }
};

// A test moved from the colour-word domain into a depth's native values.
struct Pixel15 : WordPixel {
    // The key is compared without the flag bit, as the colour word's low 24
    // bits do; bit 31 of the colour word is the flag bit 15.
    static PixelTest Native(const PixelTest& t)
    {
        if (t.mask == CGraphicsImage::BLIT_KEY_MASK)
            return {0x7FFF, Pack555(t.value)};
        if (t.mask == 0x80000000)
            return {0x8000, t.value ? 0x8000u : 0u};
        return t;
    }
};

struct Pixel16 : WordPixel {
    static PixelTest Native(const PixelTest& t)
    {
        return t.mask == CGraphicsImage::BLIT_KEY_MASK ? PixelTest{0xFFFF, Pack565(t.value)} : t;
    }
};

struct Pixel24 {
    static constexpr int kBytes = 3;
    static uint32_t Load(const uint8_t* p) { return Load24(p); }
    static void Store(uint8_t* p, uint32_t v, uint32_t) { Store24(p, v); }
    static PixelTest Native(const PixelTest& t) { return t; }
};

struct Pixel32 {
    static constexpr int kBytes = 4;
    static uint32_t Load(const uint8_t* p) { return Load32(p); }
    // The source's colour bytes, the target's fourth byte.
    static void Store(uint8_t* p, uint32_t v, uint32_t old) { Store32(p, (v & kColourBytes) | (old & kOpaque)); }
    static PixelTest Native(const PixelTest& t) { return t; }
};

template <class Px>
bool BlitTested(const BlitJob& job)
{
    const PixelTest st = Px::Native(job.sourceTest), tt = Px::Native(job.targetTest);
    for (int row = job.height - 1; row >= 0; --row) {
        const uint8_t* s = SourceRow(job, row);
        uint8_t* d = TargetRow(job, row);
        for (int i = 0; i < job.width; ++i, s += Px::kBytes, d += Px::kBytes) {
            const uint32_t old = Px::Load(d);
            if (tt.Skips(old))
                continue;
            const uint32_t v = Px::Load(s);
            if (!st.Skips(v))
                Px::Store(d, v, old);
        }
    }
    return true;
}

struct FastPath {
    uint32_t sourceBits;  // kAnyDepth matches every depth
    uint32_t targetBits;
    uint32_t required;    // BlitInfo bits that must all be set
    BlitFn run;
};

const FastPath kFastPaths[] = {
    {kAnyDepth, kAnyDepth, kSameDepth | kNoTests | kByteAligned, CopyRows},
    {24, 32, kNoTests, Blit24To32},
    {8, 32, kNoTests, Blit8To32},
    {32, 32, kSourceKeyOnly, BlitKeyed32Sse2},
    {24, 24, kSourceKeyOnly, BlitKeyed24Sse2},
    {24, 32, kSourceKeyOnly, BlitKeyed24To32},
    {8, 32, kSourceKeyOnly, BlitKeyed8To32},
    {15, 15, kTested, BlitTested<Pixel15>},
    {16, 16, kTested, BlitTested<Pixel16>},
    {24, 24, kTested, BlitTested<Pixel24>},
    {32, 32, kTested, BlitTested<Pixel32>},
    {kAnyDepth, kAnyDepth, 0, BlitGeneral},
};

bool Matches(const FastPath& row, const BlitJob& job)
{
    return (row.sourceBits == kAnyDepth || row.sourceBits == job.source->m_nBitCount) &&
           (row.targetBits == kAnyDepth || row.targetBits == job.target->m_nBitCount) &&
           (job.info & row.required) == row.required;
}

}  // namespace

void RunBlit(const BlitJob& job)
{
    if (GeneralPathOnly()) {
        BlitGeneral(job);
        return;
    }
    for (const FastPath& row : kFastPaths)
        if (Matches(row, job) && row.run(job))
            return;
}

}  // namespace graphics_detail
