// Alpha of 32-bit pixels (the fourth byte; 32-bit rows have no padding, so
// the alpha bytes are every fourth byte of the pixel block) and of palette
// entries: tests, setting, flattening and alpha masks.
#include <algorithm>
#include <cstring>

#include "graphics/image.h"
#include "graphics/image_convert_support.h"
#include "graphics/pixel_access.h"

using namespace graphics_detail;

namespace {

constexpr uint32_t kAlphaShift = 24;
constexpr uint32_t kAlphaMask = 0xFF000000;
constexpr uint32_t kOpaque = 255;

enum AlphaMode : uint32_t { ALPHA_CLEAR = 0, ALPHA_OPAQUE = 1, ALPHA_MIXED = 2 };

// Mode of count fourth bytes spaced step bytes apart: the last one decides
// whether they can be uniform at all.
uint32_t ModeOf(const uint8_t* fourth, size_t count, size_t step)
{
    if (count == 0)
        return ALPHA_CLEAR;
    const uint8_t last = fourth[(count - 1) * step];
    if (last != 0 && last != kOpaque)
        return ALPHA_MIXED;
    for (size_t i = count; i-- > 0;)
        if (fourth[i * step] != last)
            return ALPHA_MIXED;
    return last == kOpaque ? ALPHA_OPAQUE : ALPHA_CLEAR;
}

// ModeOf for the alpha bytes of count 32-bit pixels, two pixels per word.
uint32_t ModeOfPixels(const uint8_t* bits, size_t count)
{
    if (count == 0)
        return ALPHA_CLEAR;
    const uint8_t last = bits[(count - 1) * 4 + 3];
    if (last != 0 && last != kOpaque)
        return ALPHA_MIXED;
    constexpr uint64_t kAlphas = 0xFF000000FF000000ull;
    const uint64_t want = last ? kAlphas : 0;
    constexpr size_t kRun = 512;  // pixels tested between early exits
    size_t i = 0;
    for (; i + 1 < count;) {
        const size_t end = i + std::min(kRun, (count - i) & ~size_t(1));
        uint64_t diff = 0;
        for (; i < end; i += 2) {
            uint64_t pair;
            std::memcpy(&pair, bits + 4 * i, 8);
            diff |= pair ^ want;
        }
        if (diff & kAlphas)
            return ALPHA_MIXED;
    }
    if (i < count && bits[4 * i + 3] != last)
        return ALPHA_MIXED;
    return last == kOpaque ? ALPHA_OPAQUE : ALPHA_CLEAR;
}

uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 255; }

}  // namespace

bool CGraphicsImage::HasAlpha() const
{
    if (m_nBitCount != 32 || !m_pBits)
        return false;
    for (size_t i = m_nImageSize / 4; i-- > 0;)
        if (m_pBits[4 * i + 3])
            return true;
    return false;
}

bool CGraphicsImage::SetAlpha(uint8_t value)
{
    if (m_nBitCount != 32)
        return false;
    const size_t n = m_nImageSize / 4;
    for (size_t i = 0; i < n; ++i)
        m_pBits[4 * i + 3] = value;
    return true;
}

uint32_t CGraphicsImage::GetAlphaMode() const
{
    if (!m_pBits)
        return ALPHA_CLEAR;
    if (m_nBitCount == 32)
        return ModeOfPixels(m_pBits, m_nImageSize / 4);
    if (m_nBitCount <= 8)
        return ModeOf(&m_pPalette[0].rgbReserved, m_nPaletteSize, 4);
    return ALPHA_CLEAR;
}

bool CGraphicsImage::FlattenAlpha(uint32_t background)
{
    if (m_nBitCount != 32 || !m_pBits)
        return false;
    const size_t n = m_nImageSize / 4;
    for (size_t i = 0; i < n; ++i) {
        uint8_t* p = m_pBits + 4 * i;
        const uint32_t a = p[3];
        if (a == kOpaque)
            continue;
        if (a == 0) {
            Store32(p, (background & ~kAlphaMask) | kAlphaMask);
            continue;
        }
        for (int c = 0; c < 3; ++c)
            p[c] = uint8_t((p[c] * (a + 1) + Channel(background, 8 * c) * (256 - a)) >> 8);
        p[3] = uint8_t(kOpaque);
    }
    return true;
}

bool CGraphicsImage::CreateAlphaMask(const CGraphicsImage& sourceArg, uint32_t mode, COLORREF colour)
{
    const StableSource stable(sourceArg, *this);
    const CGraphicsImage* source = stable.get();
    if (!source || !HasPicture(*source) || source->m_nBitCount != 8) {
        Clear();
        return false;
    }
    uint8_t alpha[256];
    for (uint32_t i = 0; i < 256; ++i) {
        const uint32_t v = (mode & 2) ? source->m_pPalette[i].rgbBlue : i;
        alpha[i] = uint8_t((mode & 1) ? 255 - v : v);
    }
    // One pass instead of a fill and an alpha pass: the fill's fourth byte is
    // overwritten anyway.
    const uint32_t rgb = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    if (!Create(32, source->m_nWidth, source->m_nHeight, NO_FILL, OWN_MEMORY))
        return false;
    for (uint32_t y = 0; y < m_nHeight; ++y) {
        const uint8_t* from = source->RowAt(int(y));
        uint8_t* to = RowAt(int(y));
        for (uint32_t x = 0; x < m_nWidth; ++x)
            Store32(to + 4 * x, rgb | (uint32_t(alpha[from[x]]) << kAlphaShift));
    }
    return true;
}
