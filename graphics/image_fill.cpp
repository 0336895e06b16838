// FillRect: the first row of the rectangle is built once, by doubling copies,
// and then copied into the other rows; partial bytes of packed depths are
// merged under a mask, so no pixel function runs per pixel.
#include <algorithm>
#include <cstring>

#include "graphics/image.h"
#include "graphics/image_depths.h"
#include "graphics/pixel_access.h"
#include "graphics/rect.h"

using namespace graphics_detail;

namespace {

// Byte value of a palette row filled with one index.
uint8_t RepeatedIndexByte(uint32_t bits, uint32_t value)
{
    switch (bits) {
    case 1: return (value & 1) ? 0xFF : 0x00;
    case 2: return uint8_t((value & 3) * 0x55);
    case 4: return uint8_t((value & 15) * 0x11);
    default: return uint8_t(value);
    }
}

// count copies of a unit of size bytes at dst: one copy, then doubling.
void Replicate(uint8_t* dst, const uint8_t* unit, size_t size, size_t count)
{
    if (!count)
        return;
    std::memcpy(dst, unit, size);
    const size_t total = size * count;
    for (size_t done = size; done < total;) {
        const size_t n = std::min(done, total - done);
        std::memcpy(dst + done, dst, n);
        done += n;
    }
}

// Copies bytes [offset, offset + length) of the first row into the others.
void CopyFirstRow(const CGraphicsImage& image, const Span& s, size_t offset, size_t length)
{
    if (!length)
        return;
    const uint8_t* first = image.RowAt(s.y0) + offset;
    for (int y = s.y0 + 1; y < s.y1; ++y)
        std::memcpy(image.RowAt(y) + offset, first, length);
}

// Bits of byte `index` that pixels [x0, x1) cover, at `bits` per pixel.
uint8_t CoverMask(uint32_t bits, int index, int x0, int x1)
{
    const int perByte = int(8 / bits);
    const int from = std::max(x0, index * perByte), to = std::min(x1, (index + 1) * perByte);
    uint8_t mask = 0;
    for (int x = from; x < to; ++x)
        mask |= uint8_t(((1u << bits) - 1) << ((perByte - 1 - x % perByte) * bits));
    return mask;
}

void FillPalette(CGraphicsImage& image, const Span& s, uint32_t value)
{
    const uint32_t bits = image.m_nBitCount;
    const int perByte = int(8 / bits);
    const uint8_t pattern = RepeatedIndexByte(bits, value);
    // Bytes [wholeFrom, wholeTo) are covered completely; the bytes at the
    // ends are shared with pixels outside the rectangle.
    const int wholeFrom = (s.x0 + perByte - 1) / perByte, wholeTo = s.x1 / perByte;
    struct Partial {
        int index;
        uint8_t mask;
    } parts[2] = {{0, 0}, {0, 0}};
    if (wholeFrom > wholeTo) {
        parts[0] = {s.x0 / perByte, CoverMask(bits, s.x0 / perByte, s.x0, s.x1)};
    } else {
        if (s.x0 % perByte)
            parts[0] = {s.x0 / perByte, CoverMask(bits, s.x0 / perByte, s.x0, s.x1)};
        if (s.x1 % perByte)
            parts[1] = {s.x1 / perByte, CoverMask(bits, s.x1 / perByte, s.x0, s.x1)};
    }
    for (int y = s.y0; y < s.y1; ++y) {
        uint8_t* row = image.RowAt(y);
        if (wholeTo > wholeFrom)
            std::memset(row + wholeFrom, pattern, size_t(wholeTo - wholeFrom));
        for (const Partial& p : parts)
            if (p.mask)
                row[p.index] = uint8_t((row[p.index] & ~p.mask) | (pattern & p.mask));
    }
}

void Fill12(CGraphicsImage& image, const Span& s, uint32_t colour)
{
    const uint8_t r = (colour >> 20) & 15, g = (colour >> 12) & 15, b = (colour >> 4) & 15;
    const uint8_t pair[3] = {uint8_t(b << 4 | g), uint8_t(r << 4 | b), uint8_t(g << 4 | r)};
    const int firstUnit = (s.x0 + 1) >> 1, endUnit = s.x1 >> 1;
    if (endUnit > firstUnit) {
        Replicate(image.RowAt(s.y0) + 3 * firstUnit, pair, 3, size_t(endUnit - firstUnit));
        CopyFirstRow(image, s, 3 * size_t(firstUnit), 3 * size_t(endUnit - firstUnit));
    }
    // The odd pixel before the first pair and the even one after the last.
    for (int y = s.y0; y < s.y1; ++y) {
        uint8_t* row = image.RowAt(y);
        if (s.x0 & 1)
            image.m_pfnSetPixel(row, s.x0, colour);
        if (s.x1 & 1)
            image.m_pfnSetPixel(row, s.x1 - 1, colour);
    }
}

void FillUnits(CGraphicsImage& image, const Span& s, const uint8_t* unit, size_t size)
{
    Replicate(image.RowAt(s.y0) + size * size_t(s.x0), unit, size, size_t(s.Width()));
    CopyFirstRow(image, s, size * size_t(s.x0), size * size_t(s.Width()));
}

}  // namespace

bool CGraphicsImage::FillRect(int x, int y, int width, int height, uint32_t value)
{
    Span s;
    if (!m_pBits || !ClipRect(x, y, width, height, m_nWidth, m_nHeight, s))
        return false;
    uint8_t unit[4];
    switch (m_nBitCount) {
    case 1: case 2: case 4: case 8: FillPalette(*this, s, value); break;
    case 12: Fill12(*this, s, value); break;
    case 15: Store16(unit, Pack555(value)); FillUnits(*this, s, unit, 2); break;
    case 16: Store16(unit, Pack565(value)); FillUnits(*this, s, unit, 2); break;
    case 24: Store24(unit, value); FillUnits(*this, s, unit, 3); break;
    case 32: Store32(unit, value); FillUnits(*this, s, unit, 4); break;
    default: return false;
    }
    return true;
}
