// Text output with bitmap fonts: measuring, glyphs and the background of the
// gaps between them.
#include <algorithm>

#include "graphics/font.h"
#include "graphics/font_blob.h"
#include "graphics/image.h"
#include "graphics/pixel_access.h"
#include "graphics/plot.h"

namespace {

// The glyph of a character, or null when the font does not cover it.
const uint8_t* GlyphOf(const CGraphicsImage& image, uint8_t c)
{
    if (c < image.m_nFirstChar || c > image.m_nLastChar)
        return nullptr;
    return graphics_detail::FontGlyph(image.m_pFont, image.m_nFontHeaderSize, (c - image.m_nFirstChar) & 0xFF);
}

// Glyph widths plus the spacing between each two covered characters.
int64_t MeasureText(const CGraphicsImage& image, const uint8_t* text)
{
    int64_t width = 0;
    bool any = false;
    for (; *text; ++text) {
        const uint8_t* glyph = GlyphOf(image, *text);
        if (!glyph)
            continue;
        if (any)
            width += image.m_nCharSpacing;
        width += glyph[0];
        any = true;
    }
    return width;
}

bool InIntRange(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// Pixel stores of the direct glyph path: in place at 24 and 32 bits, else
// through the pixel writer.
template <int Bytes>
inline void StorePixel(const CGraphicsImage& image, uint8_t* row, int x, uint32_t colour)
{
    if constexpr (Bytes == 4)
        graphics_detail::Store32(row + 4 * x, colour);
    else if constexpr (Bytes == 3)
        graphics_detail::Store24(row + 3 * x, colour);
    else
        image.m_pfnSetPixel(row, x, colour);
}

// A glyph wholly inside the image with PlotPixel (or nothing) for both kinds
// of bit: rows addressed once, bytes without a wanted bit skipped whole.
template <int Bytes>
void DrawGlyphDirect(CGraphicsImage& image, int x, int y, const uint8_t* glyph, bool zeros, bool ones)
{
    const int w = glyph[0], h = glyph[1];
    const int rowBytes = (w + 7) >> 3;
    const uint8_t* bits = glyph + 2;
    const uint32_t c0 = image.m_crText0, c1 = image.m_crText1;
    uint8_t* row = image.RowAt(y + h - 1);  // stored rows run bottom up
    for (int k = 0; k < h; ++k, bits += rowBytes, row += image.m_nStride) {
        for (int byte = 0; byte < rowBytes; ++byte) {
            const int n = std::min(8, w - byte * 8);
            const uint32_t valid = (0xFF00u >> n) & 0xFF;  // the byte's top n bits
            uint32_t ink = zeros ? ~uint32_t(bits[byte]) & valid : 0;
            uint32_t paper = ones ? uint32_t(bits[byte]) & valid : 0;
            const int base = x + byte * 8;
            for (; ink; ink &= ink - 1)
                StorePixel<Bytes>(image, row, base + 7 - __builtin_ctz(ink), c0);
            for (; paper; paper &= paper - 1)
                StorePixel<Bytes>(image, row, base + 7 - __builtin_ctz(paper), c1);
        }
    }
}

// Draws the glyph's 0-bits with plot0 and its 1-bits with plot1 (either may
// be null), stored row k at picture row y + height - 1 - k.
void DrawGlyphBits(CGraphicsImage& image, int x, int y, const uint8_t* glyph, PixelPlotFn plot0, PixelPlotFn plot1)
{
    const int w = glyph[0], h = glyph[1];
    const bool inside = image.m_pBits && x >= 0 && y >= 0 && int64_t(x) + w <= int64_t(image.m_nWidth) &&
                        int64_t(y) + h <= int64_t(image.m_nHeight);
    if (inside && (!plot0 || plot0 == PlotPixel) && (!plot1 || plot1 == PlotPixel)) {
        if (image.m_nBitCount == 32)
            DrawGlyphDirect<4>(image, x, y, glyph, plot0, plot1);
        else if (image.m_nBitCount == 24)
            DrawGlyphDirect<3>(image, x, y, glyph, plot0, plot1);
        else
            DrawGlyphDirect<0>(image, x, y, glyph, plot0, plot1);
        return;
    }
    const int rowBytes = (w + 7) >> 3;
    const uint8_t* bits = glyph + 2;
    for (int k = 0; k < h; ++k, bits += rowBytes) {
        const int py = y + h - 1 - k;
        for (int c = 0; c < w; ++c) {
            const bool one = (bits[c >> 3] >> (7 - (c & 7))) & 1;
            if (!one && plot0)
                plot0(&image, x + c, py, image.m_crText0);
            else if (one && plot1)
                plot1(&image, x + c, py, image.m_crText1);
        }
    }
}

void FillBackground(CGraphicsImage& image, int64_t x, int64_t y, int64_t width, int64_t height, PixelPlotFn plot)
{
    if (!plot || width <= 0 || height <= 0)
        return;
    // Points outside the image are not handed out (every plot ignores them),
    // which bounds the work whatever the spacing.
    const int64_t x0 = std::max<int64_t>(x, 0), x1 = std::min<int64_t>(x + width, image.m_nWidth);
    const int64_t y0 = std::max<int64_t>(y, 0), y1 = std::min<int64_t>(y + height, image.m_nHeight);
    for (int64_t py = y1 - 1; py >= y0; --py)
        for (int64_t px = x0; px < x1; ++px)
            plot(&image, int(px), int(py), image.m_crText1);
}

}  // namespace

void CGraphicsImage::DrawGlyph(int x, int y, const uint8_t* glyph)
{
    if (glyph)
        DrawGlyphBits(*this, x, y, glyph, m_pfnText0, m_pfnText1);
}

void CGraphicsImage::FillTextBackground(int x, int y, int width, int height, PixelPlotFn plot)
{
    FillBackground(*this, x, y, width, height, plot);
}

int CGraphicsImage::DrawText(int x, int y, const char* text)
{
    if (!m_pFont || !text)
        return 0;
    const uint8_t* chars = reinterpret_cast<const uint8_t*>(text);
    int64_t left = x;
    if (m_nTextAlign != TEXT_LEFT || y == MEASURE_ONLY) {
        const int64_t width = MeasureText(*this, chars);
        if (y == MEASURE_ONLY)
            return int(width);
        // Floor division: a negative width (strongly negative spacing) moves
        // the text by half its width too.
        left -= m_nTextAlign == TEXT_CENTRE ? (width >= 0 ? width / 2 : (width - 1) / 2) : width;
    }
    const int64_t top = int64_t(y) - m_nTextYOffset;
    const int64_t spacing = m_nCharSpacing;
    // The 1-bits of a glyph are held back under negative spacing, so the
    // background of a glyph never covers the ink of the one it overlaps.
    PixelPlotFn plot1 = spacing < 0 ? nullptr : m_pfnText1;
    int64_t p = 0;
    bool first = true;
    for (; *chars; ++chars) {
        const uint8_t* glyph = GlyphOf(*this, *chars);
        if (!glyph)
            continue;
        if (!first)
            p += spacing;
        const int64_t at = left + p;
        if (spacing > 0 && !first)
            FillBackground(*this, at - spacing, top, spacing, glyph[1], m_pfnText1);
        else if (spacing < 0) {
            const int64_t g = first ? 0 : spacing;
            FillBackground(*this, at - g, top, glyph[0] + g, glyph[1], m_pfnText1);
        }
        if (InIntRange(at) && InIntRange(at + glyph[0]) && InIntRange(top) && InIntRange(top + glyph[1]))
            DrawGlyphBits(*this, int(at), int(top), glyph, m_pfnText0, plot1);
        p += glyph[0];
        first = false;
    }
    return int(p);
}
