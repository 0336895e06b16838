// The two built-in fonts: the promised widths and heights, a glyph of its own
// for every character of code page 1252, and the blob's own consistency.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/font.h"
#include "graphics/plot.h"
#include "tests/graphics/draw_test_util.h"

using namespace draw_test;

namespace {

const int kSmallWidths[95] = {3, 2, 4, 6, 6, 10, 7, 2, 4, 4, 4, 6, 3, 4, 3, 3, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3,
                              6, 6, 6, 6, 11, 8, 7, 7, 7, 6, 6, 8, 7, 2, 5, 7, 6, 8, 7, 8, 6, 8, 7, 7, 6, 7, 8,
                              10, 7, 8, 7, 3, 3, 3, 5, 6, 4, 6, 6, 6, 6, 6, 4, 6, 6, 2, 2, 5, 2, 8, 6, 6, 6, 6,
                              4, 6, 3, 6, 6, 10, 6, 6, 6, 4, 2, 4, 6};
const int kLargeWidths[95] = {6, 6, 7, 12, 12, 19, 14, 4, 7, 7, 8, 12, 6, 7, 6, 6, 12, 12, 12, 12, 12, 12, 12, 12,
                              12, 12, 6, 6, 12, 12, 12, 12, 21, 13, 14, 15, 15, 14, 13, 16, 14, 6, 11, 14, 12, 17,
                              14, 16, 14, 16, 15, 14, 12, 14, 13, 21, 14, 14, 13, 6, 6, 6, 8, 12, 7, 12, 11, 11,
                              11, 12, 6, 11, 11, 5, 4, 10, 4, 16, 11, 12, 11, 11, 7, 11, 6, 11, 11, 15, 10, 11, 9,
                              7, 6, 7, 12};

struct BuiltIn {
    const char* name;
    const BitmapFont* font;
    size_t size;
    int height, minWidth, maxWidth;
    const int* widths;
};

const BuiltIn kFonts[] = {
    {"small", kSmallFont, kSmallFontSize, SMALL_FONT_HEIGHT, 2, 11, kSmallWidths},
    {"large", kLargeFont, kLargeFontSize, LARGE_FONT_HEIGHT, 4, 21, kLargeWidths},
};

class BuiltInFont : public ::testing::TestWithParam<BuiltIn> {
protected:
    const uint8_t* Glyph(int c) const
    {
        uint32_t offset;
        std::memcpy(&offset, GetParam().font + 2 + 4 * c, 4);
        EXPECT_LT(offset + 2, GetParam().size);
        return GetParam().font + offset;
    }
    // The glyph's ink as rows of '#' and '.', top row first.
    std::string Ink(int c) const
    {
        const uint8_t* g = Glyph(c);
        const int w = g[0], h = g[1], rowBytes = (w + 7) / 8;
        std::string out;
        for (int k = h - 1; k >= 0; --k) {
            for (int x = 0; x < w; ++x)
                out += (g[2 + k * rowBytes + x / 8] >> (7 - x % 8)) & 1 ? '.' : '#';
            out += '\n';
        }
        return out;
    }
};

TEST_P(BuiltInFont, HeaderAndGlyphsInsideTheBlob)
{
    const BuiltIn& f = GetParam();
    EXPECT_EQ(f.font[0], 0);
    EXPECT_EQ(f.font[1], 255);
    for (int c = 0; c < 256; ++c) {
        const uint8_t* g = Glyph(c);
        const size_t end = size_t(g - f.font) + 2 + size_t(g[1]) * ((g[0] + 7) / 8);
        EXPECT_LE(end, f.size) << c;
        EXPECT_EQ(g[1], f.height) << c;
        EXPECT_GE(g[0], f.minWidth) << c;
        EXPECT_LE(g[0], f.maxWidth) << c;
    }
    CGraphicsImage image = Make(24, 4, 4);
    image.SetFont(f.font);
    EXPECT_EQ(image.m_nFirstChar, 0);
    EXPECT_EQ(image.m_nLastChar, 255);
    EXPECT_EQ(image.m_nCharSpacing, 0);  // no trailer: the glyphs carry the spacing
}

TEST_P(BuiltInFont, WidthsOfPrintableAscii)
{
    for (int c = 32; c <= 126; ++c)
        EXPECT_EQ(Glyph(c)[0], GetParam().widths[c - 32]) << char(c);
    CGraphicsImage image = Make(24, 4, 4);
    image.SetFont(GetParam().font);
    for (int c = 32; c <= 126; ++c) {
        const char text[2] = {char(c), 0};
        EXPECT_EQ(image.DrawText(0, CGraphicsImage::MEASURE_ONLY, text), GetParam().widths[c - 32]);
    }
}

// Every character but the spaces has ink; the accented letters differ from
// their base letters, so the German UI's umlauts, ß and ° are real glyphs.
TEST_P(BuiltInFont, EveryCharacterHasItsOwnGlyph)
{
    for (int c = 0; c < 256; ++c) {
        const bool space = c == 0x20 || c == 0xA0;
        EXPECT_EQ(Ink(c).find('#') == std::string::npos, space) << c;
    }
    const std::pair<int, int> distinct[] = {
        {0xC4, 'A'}, {0xD6, 'O'}, {0xDC, 'U'}, {0xE4, 'a'}, {0xF6, 'o'}, {0xFC, 'u'}, {0xDF, 'B'},
        {0xDF, 0xE4}, {0xB0, 'o'}, {0xB0, '.'}, {0x80, 'C'}, {'0', 'O'}, {'l', '1'}, {0xE9, 0xE8},
    };
    for (const auto& [a, b] : distinct)
        EXPECT_NE(Ink(a), Ink(b)) << a << " vs " << b;
    // The last column of every glyph is the nominal one-pixel spacing.
    for (int c = 33; c <= 126; ++c) {
        const std::string ink = Ink(c);
        const int w = Glyph(c)[0];
        for (size_t row = 0; row < ink.size(); row += size_t(w) + 1)
            EXPECT_EQ(ink[row + size_t(w) - 1], '.') << char(c);
    }
}

TEST_P(BuiltInFont, TextStaysInsideItsMeasuredBox)
{
    const char* text = "Größe: 25 °C, Übersicht ÄÖÜ äöü ß";
    CGraphicsImage image = Make(24, 400, 40, 0xFFFFFF);
    image.SetFont(GetParam().font);
    image.SetTextColor(PlotPixel, 0x000000, 0);
    const int width = image.DrawText(3, 5, text);
    EXPECT_EQ(width, image.DrawText(3, CGraphicsImage::MEASURE_ONLY, text));
    const Box box = BoxOf(Painted(image, 0xFFFFFF));
    EXPECT_GE(box.left, 3);
    EXPECT_LT(box.right, 3 + width);
    EXPECT_GE(box.top, 5);
    EXPECT_LT(box.bottom, 5 + GetParam().height);
}

INSTANTIATE_TEST_SUITE_P(Fonts, BuiltInFont, ::testing::ValuesIn(kFonts),
                         [](const ::testing::TestParamInfo<BuiltIn>& info) { return std::string(info.param.name); });

// PlotPixel through a function the direct path does not know: the slow,
// obviously correct twin of the in-place glyph writer.
void PlotThrough(CGraphicsImage* image, int x, int y, uint32_t colour) { PlotPixel(image, x, y, colour); }

TEST(BuiltInFontDrawing, DirectWritesEqualPlottedOnes)
{
    for (uint32_t bits : {4u, 8u, 12u, 15u, 16u, 24u, 32u}) {
        for (bool paper : {false, true}) {
            CGraphicsImage direct = Make(bits, 300, 60, 0), plotted = Make(bits, 300, 60, 0);
            for (CGraphicsImage* image : {&direct, &plotted}) {
                const PixelPlotFn plot = image == &direct ? PlotPixel : PlotThrough;
                image->SetTextColor(plot, 0x3C5A7E, 0);
                image->SetTextColor(paper ? plot : nullptr, 0xC0E0F0, 1);
                image->SetFont(kSmallFont);
                image->DrawText(1, 2, "Größe 25 °C: Übung ÄÖÜ äöü ß Wq|j");
                image->SetFont(kLargeFont);
                image->DrawText(3, 20, "Straße Äpfel Öl @ {x} 0123");
                image->DrawText(-5, 50, "Rand");  // partly outside: the plotted path for both
            }
            EXPECT_TRUE(std::memcmp(direct.m_pBits, plotted.m_pBits, direct.m_nImageSize) == 0)
                << bits << " bits, paper " << paper;
        }
    }
}

}  // namespace
