// ConvertFrom and MapToPalette: a true-colour copy at another depth and a
// nearest-colour palette image. Both work a row at a time through the
// source's row functions.
#include <cstring>

#include "graphics/image.h"
#include "graphics/image_convert_support.h"
#include "graphics/pixel_access.h"

using namespace graphics_detail;

namespace {

constexpr uint32_t kDefaultConvertBits = 24;
constexpr uint32_t kMinConvertBits = 12;
constexpr uint32_t kMaxPaletteColours = 256;

bool IsPaletteDepth(uint32_t bits) { return bits == 1 || bits == 2 || bits == 4 || bits == 8; }

// Depth and colour count of a MapToPalette spec; 0 when the depth is none
// of the palette depths. currentBits: this image's depth before the call.
struct PaletteSpec {
    uint32_t bits;
    uint32_t colours;
};

PaletteSpec ReadPaletteSpec(uint32_t spec, uint32_t currentBits)
{
    uint32_t n = spec & 0xFFFFFF;
    if (n == 0)
        n = (currentBits >= 1 && currentBits <= 7) ? 1u << currentBits : kMaxPaletteColours;
    uint32_t d = spec >> 24;
    if (d == 0)
        d = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
    if (!IsPaletteDepth(d))
        return {0, 0};
    const uint32_t limit = 1u << d;
    return {d, n < limit ? n : limit};
}

// Index of the first of the colours nearest to c.
uint32_t Nearest(uint32_t c, const uint32_t* colours, uint32_t n)
{
    uint32_t best = 0;
    int32_t bestDistance = INT32_MAX;
    for (uint32_t i = 0; i < n; ++i) {
        const int32_t d = ColorDistance(c, colours[i]);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

}  // namespace

bool CGraphicsImage::ConvertFrom(const CGraphicsImage& sourceArg, uint32_t bits)
{
    if (bits == 0)
        bits = kDefaultConvertBits;
    const StableSource stable(sourceArg, *this);
    const CGraphicsImage* source = stable.get();
    if (!source || !HasPicture(*source) || bits < kMinConvertBits) {
        Clear();
        m_nError = ERROR_DEPTH;
        return false;
    }
    if (bits == source->m_nBitCount)
        return Assign(*source);
    if (!Create(bits, source->m_nWidth, source->m_nHeight, NO_FILL, OWN_MEMORY))
        return false;

    const int w = int(m_nWidth);
    const DirectRowFn direct = FindDirectRow(source->m_nBitCount, bits);
    const bool via24 = bits == 24 && source->m_nBitCount != 32;
    for (uint32_t y = 0; y < m_nHeight; ++y) {
        const uint8_t* from = source->RowAt(int(y));
        uint8_t* to = RowAt(int(y));
        if (direct)
            direct(from, to, w, *source);
        else if (via24)
            std::memcpy(to, source->m_pfnRowTo24(from, source), size_t(w) * 3);
        else
            StoreColourRow(bits, source->m_pfnRowTo32(from, source), to, w);
    }
    return true;
}

bool CGraphicsImage::MapToPalette(const CGraphicsImage& sourceArg, uint32_t spec, const uint32_t* palette)
{
    const StableSource stable(sourceArg, *this);
    const CGraphicsImage* source = stable.get();
    const PaletteSpec ps = ReadPaletteSpec(spec, m_pBits ? m_nBitCount : 0);
    if (!source || !HasPicture(*source) || ps.bits == 0) {
        Clear();
        return false;
    }

    // The colours are copied before Create clears this image's palette (and
    // before it overwrites a caller's pointer into that palette).
    uint32_t colours[kMaxPaletteColours];
    const bool ownPalette = !palette && m_pBits && IsPaletteDepth(m_nBitCount);
    if (palette)
        std::memcpy(colours, palette, ps.colours * 4);
    else if (ownPalette)
        std::memcpy(colours, m_pPalette, ps.colours * 4);
    if (!Create(ps.bits, source->m_nWidth, source->m_nHeight, NO_FILL, OWN_MEMORY))
        return false;
    if (!palette && !ownPalette)
        std::memcpy(colours, m_pPalette, ps.colours * 4);
    std::memcpy(m_pPalette, colours, ps.colours * 4);

    const int w = int(m_nWidth);
    for (uint32_t y = 0; y < m_nHeight; ++y) {
        const uint8_t* words = source->m_pfnRowTo32(source->RowAt(int(y)), source);
        uint8_t* to = RowAt(int(y));
        // Neighbouring pixels mostly share a colour; the cached answer is
        // the one the search would give.
        uint32_t lastColour = Load32(words) ^ 0xFFFFFF, lastIndex = 0;
        for (int x = 0; x < w; ++x) {
            const uint32_t c = Load32(words + 4 * x) & 0xFFFFFF;
            if (c != lastColour) {
                lastColour = c;
                lastIndex = Nearest(c, colours, ps.colours);
            }
            m_pfnSetPixel(to, x, lastIndex);
        }
    }
    return true;
}
