// FillRect: whole bytes and words for the bulk of each row, the pixel writer
// only for the partial units at the ends.
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

void FillPalette(CGraphicsImage& image, const Span& s, uint32_t value)
{
    const uint32_t perByte = 8 / image.m_nBitCount;
    // First whole byte at or after x0, last whole byte ends at or before x1.
    const int firstWhole = int((uint32_t(s.x0) + perByte - 1) / perByte * perByte);
    const int endWhole = int(uint32_t(s.x1) / perByte * perByte);
    const uint8_t byte = RepeatedIndexByte(image.m_nBitCount, value);
    const auto set = image.m_pfnSetPixel;
    for (int y = s.y0; y < s.y1; ++y) {
        uint8_t* row = image.RowAt(y);
        if (firstWhole >= endWhole) {
            for (int x = s.x0; x < s.x1; ++x)
                set(row, x, value);
            continue;
        }
        for (int x = s.x0; x < firstWhole; ++x)
            set(row, x, value);
        std::memset(row + firstWhole / perByte, byte, size_t(endWhole - firstWhole) / perByte);
        for (int x = endWhole; x < s.x1; ++x)
            set(row, x, value);
    }
}

void Fill16(CGraphicsImage& image, const Span& s, uint16_t pixel)
{
    const uint32_t pair = pixel | (uint32_t(pixel) << 16);
    for (int y = s.y0; y < s.y1; ++y) {
        uint8_t* p = image.RowAt(y) + 2 * s.x0;
        int n = s.Width();
        if ((reinterpret_cast<uintptr_t>(p) & 2) && n > 0) {
            Store16(p, pixel);
            p += 2;
            --n;
        }
        for (; n >= 2; n -= 2, p += 4)
            Store32(p, pair);
        if (n)
            Store16(p, pixel);
    }
}

void Fill12(CGraphicsImage& image, const Span& s, uint32_t colour)
{
    const uint8_t r = (colour >> 20) & 15, g = (colour >> 12) & 15, b = (colour >> 4) & 15;
    const uint8_t pair[3] = {uint8_t(b << 4 | g), uint8_t(r << 4 | b), uint8_t(g << 4 | r)};
    const int firstUnit = (s.x0 + 1) >> 1, endUnit = s.x1 >> 1;
    for (int y = s.y0; y < s.y1; ++y) {
        uint8_t* row = image.RowAt(y);
        if (s.x0 & 1)
            image.m_pfnSetPixel(row, s.x0, colour);
        for (int u = firstUnit; u < endUnit; ++u)
            std::memcpy(row + 3 * u, pair, 3);
        if (s.x1 & 1)  // an even pixel, never the odd leading one
            image.m_pfnSetPixel(row, s.x1 - 1, colour);
    }
}

void Fill24(CGraphicsImage& image, const Span& s, uint32_t colour)
{
    uint8_t pattern[12];
    for (int i = 0; i < 4; ++i)
        Store24(pattern + 3 * i, colour);
    const int w = s.Width();
    for (int y = s.y0; y < s.y1; ++y) {
        uint8_t* p = image.RowAt(y) + 3 * s.x0;
        int n = w;
        for (; n >= 4; n -= 4, p += 12)
            std::memcpy(p, pattern, 12);
        for (; n > 0; --n, p += 3)
            Store24(p, colour);
    }
}

void Fill32(CGraphicsImage& image, const Span& s, uint32_t value)
{
    const int w = s.Width();
    for (int y = s.y0; y < s.y1; ++y) {
        uint8_t* p = image.RowAt(y) + 4 * s.x0;
        for (int i = 0; i < w; ++i)
            Store32(p + 4 * i, value);
    }
}

}  // namespace

bool CGraphicsImage::FillRect(int x, int y, int width, int height, uint32_t value)
{
    Span s;
    if (!m_pBits || !ClipRect(x, y, width, height, m_nWidth, m_nHeight, s))
        return false;
    switch (m_nBitCount) {
    case 1: case 2: case 4: case 8: FillPalette(*this, s, value); break;
    case 12: Fill12(*this, s, value); break;
    case 15: Fill16(*this, s, Pack555(value)); break;
    case 16: Fill16(*this, s, Pack565(value)); break;
    case 24: Fill24(*this, s, value); break;
    case 32: Fill32(*this, s, value); break;
    default: return false;
    }
    return true;
}
