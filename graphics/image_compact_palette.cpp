// CompactPalette: duplicate entries of an 8-bit palette are merged into
// their first occurrence, then the used entries highest up move down into
// the unused slots, and the pixels are rewritten once.
#include <bitset>
#include <cstring>

#include "graphics/image.h"

namespace {

constexpr uint32_t kEntries = 256;

uint32_t Entry(const CGraphicsImage& image, uint32_t i)
{
    uint32_t v;
    std::memcpy(&v, &image.m_pPalette[i], 4);
    return v;
}

}  // namespace

bool CGraphicsImage::CompactPalette()
{
    if (m_nBitCount != 8 || !m_pBits)
        return false;
    bool changed = false;

    // First occurrence of each entry's value, all four bytes compared.
    uint8_t first[kEntries];
    for (uint32_t i = 0; i < kEntries; ++i) {
        uint32_t j = 0;
        while (Entry(*this, j) != Entry(*this, i))
            ++j;
        first[i] = uint8_t(j);
        changed |= j != i;
    }

    // Used entries; row padding is cleared so that it cannot count.
    std::bitset<kEntries> used;
    for (uint32_t y = 0; y < m_nHeight; ++y) {
        uint8_t* row = RowAt(int(y));
        for (uint32_t x = 0; x < m_nWidth; ++x)
            used.set(first[row[x]]);
        std::memset(row + m_nWidth, 0, m_nStride - m_nWidth);
    }

    // Fill each hole with the highest used entry above it.
    uint8_t moved[kEntries];
    for (uint32_t i = 0; i < kEntries; ++i)
        moved[i] = uint8_t(i);
    uint32_t top = kEntries;
    for (uint32_t k = 0; k < kEntries; ++k) {
        if (used[k])
            continue;
        while (top > k + 1 && !used[top - 1])
            --top;
        if (top <= k + 1)
            break;
        const uint32_t h = top - 1;
        m_pPalette[k] = m_pPalette[h];
        moved[h] = uint8_t(k);
        used.set(k);
        used.reset(h);
        changed = true;
    }

    if (changed) {
        // Duplicates of a moved entry follow it to its new slot rather than
        // point at the vacated one.
        uint8_t map[kEntries];
        for (uint32_t v = 0; v < kEntries; ++v)
            map[v] = moved[first[v]];
        for (uint32_t y = 0; y < m_nHeight; ++y) {
            uint8_t* row = RowAt(int(y));
            for (uint32_t x = 0; x < m_nWidth; ++x)
                row[x] = map[row[x]];
        }
    }
    return true;
}
