// Text state of the image: font selection, spacing and text colours.
#include <cstring>

#include "graphics/font.h"
#include "graphics/font_blob.h"
#include "graphics/image.h"
#include "graphics/pixel_access.h"
#include "graphics/plot.h"

using graphics_detail::Load16;
using graphics_detail::Load32;

namespace {

constexpr uint32_t kTrailerHeaderSize = 8;  // magic and length
constexpr uint32_t kRecordHeaderSize = 4;   // type and data length
constexpr int32_t kDefaultFontSpacing = 0;
constexpr int32_t kDefaultNominalSpacing = 1;
constexpr int32_t kDefaultBaseline = 0;

// Records are taken only when they lie wholly inside the trailer and carry
// a data byte; a record that does not fit ends the walk.
void ReadTrailer(CGraphicsImage& image, const uint8_t* trailer)
{
    if (Load32(trailer) != FONT_TRAILER_MAGIC)
        return;
    const uint32_t length = Load32(trailer + 4);
    if (length <= kTrailerHeaderSize || length > FONT_TRAILER_MAX_LENGTH)
        return;
    uint32_t at = kTrailerHeaderSize;
    while (at + kRecordHeaderSize <= length) {
        const uint16_t type = Load16(trailer + at);
        const uint32_t n = Load16(trailer + at + 2);
        if (n > length - at - kRecordHeaderSize)
            break;
        if (n >= 1) {
            const int32_t value = int8_t(trailer[at + kRecordHeaderSize]);
            if (type == FONT_RECORD_SPACING)
                image.m_nFontSpacing = value;
            else if (type == FONT_RECORD_NOMINAL_SPACING)
                image.m_nFontNominalSpacing = value;
            else if (type == FONT_RECORD_BASELINE)
                image.m_nFontBaseline = value;
        }
        at += kRecordHeaderSize + n;
    }
}

// Rows the text moves up by for the vertical mode, from a reference glyph.
int8_t VerticalOffset(const CGraphicsImage& image)
{
    if (image.m_nTextVAlign == TEXT_TOP)
        return 0;
    if (image.m_nTextVAlign == TEXT_BASELINE && image.m_nFontBaseline != 0)
        return int8_t(-image.m_nFontBaseline);
    const uint32_t first = image.m_nFirstChar, last = image.m_nLastChar;
    uint32_t r = (first <= 32 && last - first <= 32) ? 32 - first : (first & 0xFF);
    if (r > last - first)
        r = 0;
    const uint8_t height = graphics_detail::FontGlyph(image.m_pFont, image.m_nFontHeaderSize, r)[1];
    return int8_t(image.m_nTextVAlign == TEXT_MIDDLE ? height >> 1 : height);
}

}  // namespace

void CGraphicsImage::SetFont(const uint8_t* font)
{
    if (!font) {
        m_pFont = nullptr;
        return;
    }
    if (std::memcmp(font, FONT_LONG_MAGIC, sizeof FONT_LONG_MAGIC) == 0) {
        m_nFontHeaderSize = FONT_LONG_HEADER_SIZE;
        m_nFontFlags = font[4];
        m_nFirstChar = Load16(font + 8);
        m_nLastChar = Load16(font + 10);
    } else {
        m_nFontHeaderSize = FONT_SHORT_HEADER_SIZE;
        m_nFontFlags = 0;
        m_nFirstChar = font[0];
        m_nLastChar = font[1];
    }
    if (m_nFirstChar > m_nLastChar) {
        m_pFont = nullptr;
        return;
    }
    m_pFont = font;
    m_nFontSpacing = kDefaultFontSpacing;
    m_nFontNominalSpacing = kDefaultNominalSpacing;
    m_nFontBaseline = kDefaultBaseline;
    ReadTrailer(*this, font + m_nFontHeaderSize + 4 * (uint32_t(m_nLastChar - m_nFirstChar) + 1));
    SetTextSpacing(m_nRequestedSpacing);
    m_nTextYOffset = VerticalOffset(*this);
}

void CGraphicsImage::SetTextSpacing(int32_t spacing)
{
    m_nRequestedSpacing = spacing;
    const int32_t fontSpacing = m_pFont ? m_nFontSpacing : kDefaultFontSpacing;
    const int32_t nominal = m_pFont ? m_nFontNominalSpacing : kDefaultNominalSpacing;
    if (uint32_t(spacing) == DEFAULT_SPACING)
        m_nCharSpacing = fontSpacing;
    else
        m_nCharSpacing = int32_t(int64_t(fontSpacing) - nominal + spacing);
}

void CGraphicsImage::SetTextColor(PixelPlotFn plot, uint32_t colour, int which)
{
    plot = ResolveSoftPlot(this, plot);
    if (which == 0) {
        m_pfnText0 = plot;
        m_crText0 = colour;
    } else {
        m_pfnText1 = plot;
        m_crText1 = colour;
    }
}
