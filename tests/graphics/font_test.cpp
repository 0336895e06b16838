// Bitmap-font text: the blob format and its trailer, the text state, and
// DrawText's measuring, alignment, vertical modes and spacing, on tiny fonts
// whose every bit is known.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/font.h"
#include "graphics/plot.h"
#include "tests/graphics/draw_test_util.h"

using namespace draw_test;

namespace {

constexpr uint32_t kInk = 0x111111, kPaper = 0x222222, kBack = 0x000000;

// One glyph: rows top first as strings, '#' for ink (a 0-bit), '.' for a
// 1-bit.
struct Glyph {
    std::vector<std::string> rows;
};

void Put16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

struct Record {
    uint16_t type;
    std::vector<uint8_t> data;
};

// A font blob; trailerLength 0 means "count it", records go into the trailer.
std::vector<uint8_t> BuildFont(int first, const std::vector<Glyph>& glyphs, bool longHeader = false,
                               const std::vector<Record>* records = nullptr, uint32_t trailerLength = 0,
                               uint8_t flags = 0, int last = -1)
{
    if (last < 0)
        last = first + int(glyphs.size()) - 1;
    std::vector<uint8_t> b;
    if (longHeader) {
        b = {0x00, 0x00, 0x46, 0x4E, flags, 0, 0, 0};
        Put16(b, uint16_t(first));
        Put16(b, uint16_t(last));
        Put32(b, 0);
    } else {
        b = {uint8_t(first), uint8_t(last)};
    }
    const size_t table = b.size();
    b.resize(b.size() + 4 * glyphs.size());
    if (records) {
        std::vector<uint8_t> t;
        Put32(t, FONT_TRAILER_MAGIC);
        Put32(t, 0);
        for (const Record& r : *records) {
            Put16(t, r.type);
            Put16(t, uint16_t(r.data.size()));
            t.insert(t.end(), r.data.begin(), r.data.end());
        }
        const uint32_t length = trailerLength ? trailerLength : uint32_t(t.size());
        std::memcpy(&t[4], &length, 4);
        b.insert(b.end(), t.begin(), t.end());
    }
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const uint32_t offset = uint32_t(b.size());
        std::memcpy(&b[table + 4 * i], &offset, 4);
        const auto& rows = glyphs[i].rows;
        const int w = rows.empty() ? 0 : int(rows[0].size()), h = int(rows.size());
        b.push_back(uint8_t(w));
        b.push_back(uint8_t(h));
        for (int k = h - 1; k >= 0; --k) {  // bottom row first
            for (int byte = 0; byte < (w + 7) / 8; ++byte) {
                uint8_t v = 0xFF;
                for (int bit = 0; bit < 8; ++bit) {
                    const int c = byte * 8 + bit;
                    if (c < w && rows[k][c] == '#')
                        v &= uint8_t(~(0x80 >> bit));
                }
                b.push_back(v);
            }
        }
    }
    b.resize(b.size() + 64);  // slack, as a trailer overrun would read
    return b;
}

// Glyphs 'A' (3 × 2), 'B' (2 × 3), 'C' (10 × 1, two bytes a row).
std::vector<Glyph> AbcGlyphs()
{
    return {
        Glyph{{"#.#", ".#."}},
        Glyph{{"##", "#.", "##"}},
        Glyph{{"#........#"}},
    };
}

struct TextImage {
    CGraphicsImage image = Make(24, 40, 12, kBack);
    std::vector<uint8_t> font;
    explicit TextImage(std::vector<uint8_t> blob) : font(std::move(blob))
    {
        image.SetFont(font.data());
        image.SetTextColor(PlotPixel, kInk, 0);
    }
    // The image as text rows: '#' ink, 'o' paper, '.' untouched.
    std::vector<std::string> Picture(int rows) const
    {
        std::vector<std::string> out;
        for (int y = 0; y < rows; ++y) {
            std::string line;
            for (int x = 0; x < 16; ++x) {
                const uint32_t v = Get(image, x, y);
                line += v == kInk ? '#' : v == kPaper ? 'o' : '.';
            }
            out.push_back(line);
        }
        return out;
    }
};

typedef std::vector<std::string> Rows;

TEST(DrawText, GlyphBitsRowsAndColours)
{
    TextImage t(BuildFont('A', AbcGlyphs()));
    t.image.SetTextColor(PlotPixel, kPaper, 1);
    EXPECT_EQ(t.image.DrawText(1, 0, "ABC"), 15);
    EXPECT_EQ(t.Picture(3), (Rows{
                                ".#o####oooooooo#",
                                ".o#o#o..........",
                                "....##..........",
                            }));
    // Only the ink, without a plot for the 1-bits.
    TextImage ink(BuildFont('A', AbcGlyphs()));
    EXPECT_EQ(ink.image.DrawText(0, 0, "BA"), 5);
    EXPECT_EQ(ink.Picture(3), (Rows{
                                  "###.#...........",
                                  "#..#............",
                                  "##..............",
                              }));
}

TEST(DrawText, MeasureOnlyMatchesDrawingAndPaintsNothing)
{
    const char* texts[] = {"A", "AB", "ABCBA", "", "AxB", "xxx"};
    for (int align = 0; align < 3; ++align) {
        for (const char* text : texts) {
            TextImage t(BuildFont('A', AbcGlyphs()));
            t.image.m_nTextAlign = uint8_t(align);
            t.image.SetTextSpacing(3);
            const int measured = t.image.DrawText(5, CGraphicsImage::MEASURE_ONLY, text);
            EXPECT_TRUE(Painted(t.image, kBack).empty());
            EXPECT_EQ(t.image.DrawText(20, 2, text), measured) << text << " align " << align;
        }
    }
    TextImage t(BuildFont('A', AbcGlyphs()));
    EXPECT_EQ(t.image.DrawText(0, CGraphicsImage::MEASURE_ONLY, "A"), 3);   // one glyph, no spacing after
    EXPECT_EQ(t.image.DrawText(0, CGraphicsImage::MEASURE_ONLY, "AA"), 6);  // the font's spacing is 0
    t.image.SetTextSpacing(4);  // nominal 1: 3 extra pixels
    EXPECT_EQ(t.image.DrawText(0, CGraphicsImage::MEASURE_ONLY, "AAA"), 9 + 2 * 3);
}

TEST(DrawText, CharactersOutsideTheFontAreSkipped)
{
    // Codes 0x80 and above are characters like any other (unsigned).
    TextImage high(BuildFont(0xC4, {Glyph{{"##"}}, Glyph{{"#.#"}}}));
    EXPECT_EQ(high.image.DrawText(0, 0, "\xC4\xC5"), 5);
    EXPECT_EQ(high.image.DrawText(0, CGraphicsImage::MEASURE_ONLY, "a\xC4z\xC6"), 2);
    EXPECT_EQ(high.Picture(1), (Rows{"###.#..........."}));
}

TEST(DrawText, AlignmentMovesTheStart)
{
    const struct {
        uint8_t align;
        int x;
        const char* text;
        int start;
    } cases[] = {
        {TEXT_LEFT, 5, "AB", 5},
        {TEXT_CENTRE, 5, "AB", 3},     // width 5: x - floor(5 / 2)
        {TEXT_CENTRE, 5, "AAB", 1},    // width 8
        {TEXT_RIGHT, 9, "AB", 4},
        {7, 9, "AB", 4},               // any other value is right
    };
    for (const auto& c : cases) {
        TextImage t(BuildFont('A', AbcGlyphs()));
        t.image.m_nTextAlign = c.align;
        t.image.DrawText(c.x, 0, c.text);
        EXPECT_EQ(BoxOf(Painted(t.image, kBack)).left, c.start) << int(c.align) << " " << c.text;
    }
}

// Strong negative spacing makes the width negative; centring still moves the
// text by half of it (rounded down), not by half of its unsigned reading.
TEST(DrawText, CentringANegativeWidth)
{
    TextImage t(BuildFont('A', AbcGlyphs()));
    t.image.SetTextSpacing(-7);  // -8 between glyphs: "AB" is 3 - 8 + 2 = -3 wide
    t.image.m_nTextAlign = TEXT_CENTRE;
    EXPECT_EQ(t.image.DrawText(0, CGraphicsImage::MEASURE_ONLY, "AB"), -3);
    EXPECT_EQ(t.image.DrawText(10, 0, "AB"), -3);
    EXPECT_EQ(Get(t.image, 12, 0), kInk);  // A starts at 10 - floor(-3 / 2) = 12
}

TEST(SetFont, VerticalModes)
{
    // Glyph heights: first char ' ' (32) is 4 high; '!' 6 high.
    const std::vector<Glyph> glyphs = {Glyph{{"#", "#", "#", "#"}}, Glyph{{"#", "#", "#", "#", "#", "#"}}};
    const std::vector<Record> baseline = {{FONT_RECORD_BASELINE, {3}}};
    const struct {
        uint8_t mode;
        bool withBaseline;
        int offset;
    } cases[] = {
        {TEXT_TOP, false, 0},    {TEXT_MIDDLE, false, 2}, {TEXT_BOTTOM, false, 4},
        {TEXT_BASELINE, false, 4}, {TEXT_BASELINE, true, -3}, {TEXT_MIDDLE, true, 2},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> font = BuildFont(32, glyphs, false, c.withBaseline ? &baseline : nullptr);
        CGraphicsImage image = Make(24, 8, 12);
        image.m_nTextVAlign = c.mode;
        image.SetFont(font.data());
        EXPECT_EQ(image.m_nTextYOffset, c.offset) << int(c.mode);
        image.SetTextColor(PlotPixel, kInk, 0);
        image.DrawText(0, 5, " ");
        EXPECT_EQ(Get(image, 0, 5 - c.offset), kInk);  // the glyph's top row
    }
    // The reference glyph: 32 - first for a small font starting at or below
    // 32, else the entry first & 0xFF, and entry 0 when that is beyond the
    // font.
    const struct {
        int first, count, referenceHeight;
    } refs[] = {{30, 4, 3}, {0, 40, 1}, {1, 40, 2}, {33, 3, 1}, {2, 3, 1}};
    for (const auto& r : refs) {
        std::vector<Glyph> g;
        for (int i = 0; i < r.count; ++i)
            g.push_back(Glyph{std::vector<std::string>(size_t(i + 1), "#")});
        std::vector<uint8_t> font = BuildFont(r.first, g);
        CGraphicsImage image = Make(24, 8, 8);
        image.m_nTextVAlign = TEXT_BOTTOM;
        image.SetFont(font.data());
        EXPECT_EQ(image.m_nTextYOffset, r.referenceHeight) << r.first << "+" << r.count;
    }
}

TEST(SetFont, HeadersAndRefusal)
{
    std::vector<uint8_t> longFont = BuildFont('A', AbcGlyphs(), true, nullptr, 0, 0x5A);
    CGraphicsImage image = Make(24, 8, 8);
    image.SetFont(longFont.data());
    EXPECT_EQ(image.m_pFont, longFont.data());
    EXPECT_EQ(image.m_nFontHeaderSize, FONT_LONG_HEADER_SIZE);
    EXPECT_EQ(image.m_nFontFlags, 0x5A);
    EXPECT_EQ(image.m_nFirstChar, 'A');
    EXPECT_EQ(image.m_nLastChar, 'C');
    image.SetTextColor(PlotPixel, kInk, 0);
    EXPECT_EQ(image.DrawText(0, 0, "AB"), 5);

    // first > last disables text.
    std::vector<uint8_t> backwards = BuildFont('C', AbcGlyphs(), true, nullptr, 0, 0, 'A');
    image.SetFont(backwards.data());
    EXPECT_EQ(image.m_pFont, nullptr);
    EXPECT_EQ(image.DrawText(0, 0, "AB"), 0);
    image.SetFont(nullptr);
    EXPECT_EQ(image.m_pFont, nullptr);

    std::vector<uint8_t> shortFont = BuildFont('A', AbcGlyphs());
    image.SetFont(shortFont.data());
    EXPECT_EQ(image.m_nFontHeaderSize, FONT_SHORT_HEADER_SIZE);
    EXPECT_EQ(image.m_nFontFlags, 0);
}

TEST(SetFont, TrailerRules)
{
    const struct {
        std::vector<Record> records;
        uint32_t length;  // 0: the records' own length
        int32_t spacing, nominal, baseline;
    } cases[] = {
        {{{FONT_RECORD_SPACING, {2}}, {FONT_RECORD_NOMINAL_SPACING, {3}}, {FONT_RECORD_BASELINE, {0xFE}}}, 0, 2, 3, -2},
        {{{FONT_RECORD_SPACING, {2}}}, 8, 0, 1, 0},         // L = 8: ignored
        {{{FONT_RECORD_SPACING, {2}}}, 4097, 0, 1, 0},      // beyond 4096: ignored
        {{{7, {9, 9}}, {FONT_RECORD_SPACING, {5}}}, 0, 5, 1, 0},  // unknown types skipped
        {{{FONT_RECORD_SPACING, {}}, {FONT_RECORD_BASELINE, {4}}}, 0, 0, 1, 4},  // empty record skipped
        // A record reaching past L is not read, nor anything after it.
        {{{FONT_RECORD_BASELINE, {6}}, {FONT_RECORD_SPACING, {3, 3, 3}}}, 8 + 5 + 5, 0, 1, 6},
        // A record header cut by L ends the walk.
        {{{FONT_RECORD_BASELINE, {6}}, {FONT_RECORD_SPACING, {3}}}, 8 + 5 + 2, 0, 1, 6},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        std::vector<uint8_t> font = BuildFont('A', AbcGlyphs(), false, &c.records, c.length);
        CGraphicsImage image = Make(24, 8, 8);
        image.SetFont(font.data());
        EXPECT_EQ(image.m_nFontSpacing, c.spacing) << i;
        EXPECT_EQ(image.m_nFontNominalSpacing, c.nominal) << i;
        EXPECT_EQ(image.m_nFontBaseline, c.baseline) << i;
        EXPECT_EQ(image.m_nCharSpacing, c.spacing) << i;  // default request: the font's own
    }
    // Nominal spacing 3 and a request of 1: two pixels less than the font's.
    const std::vector<Record> nominal = {{FONT_RECORD_SPACING, {5}}, {FONT_RECORD_NOMINAL_SPACING, {3}}};
    std::vector<uint8_t> font = BuildFont('A', AbcGlyphs(), false, &nominal);
    CGraphicsImage image = Make(24, 8, 8);
    image.SetTextSpacing(1);
    image.SetFont(font.data());
    EXPECT_EQ(image.m_nCharSpacing, 5 - 2);
}

TEST(SetTextSpacing, RequestsAgainstTheFontsMetrics)
{
    CGraphicsImage image = Make(24, 8, 8);
    image.SetTextSpacing(2);  // no font: the defaults 0, 1
    EXPECT_EQ(image.m_nCharSpacing, 1);
    std::vector<uint8_t> font = BuildFont('A', AbcGlyphs());
    image.SetFont(font.data());
    EXPECT_EQ(image.m_nCharSpacing, 1);  // the request survives a font change
    image.SetTextSpacing(int32_t(CGraphicsImage::DEFAULT_SPACING));
    EXPECT_EQ(image.m_nCharSpacing, 0);
    image.SetTextSpacing(-2);
    EXPECT_EQ(image.m_nCharSpacing, -3);
}

TEST(DrawText, PositiveSpacingPaintsTheGaps)
{
    TextImage t(BuildFont('A', AbcGlyphs()));
    t.image.SetTextColor(PlotPixel, kPaper, 1);
    t.image.SetTextSpacing(3);  // 2 pixels between glyphs
    EXPECT_EQ(t.image.DrawText(0, 0, "AB"), 7);
    // The gap gets the paper over the height of the following glyph.
    EXPECT_EQ(t.Picture(3), (Rows{
                                "#o#oo##.........",
                                "o#ooo#o.........",
                                "...oo##.........",
                            }));
    // Without a 1-bit plot the gap stays untouched.
    TextImage bare(BuildFont('A', AbcGlyphs()));
    bare.image.SetTextSpacing(3);
    bare.image.DrawText(0, 0, "AB");
    EXPECT_EQ(bare.Picture(1), (Rows{"#.#..##........."}));
}

TEST(DrawText, NegativeSpacingKeepsTheInkOfOverlaps)
{
    // Two 4-wide glyphs overlapping by 2: the second's background starts
    // where the first ends, so the first's ink survives.
    const std::vector<Glyph> g = {Glyph{{"...#"}}, Glyph{{"#..."}}};
    TextImage t(BuildFont('a', g));
    t.image.SetTextColor(PlotPixel, kPaper, 1);
    t.image.SetTextSpacing(-1);  // nominal 1: overlap by 2
    EXPECT_EQ(t.image.DrawText(0, 0, "ab"), 6);
    EXPECT_EQ(t.Picture(1), (Rows{"oo##oo.........."}));
    EXPECT_NE(t.image.m_pfnText1, nullptr);  // restored

    // An overlap wider than the glyph leaves nothing to fill.
    TextImage wide(BuildFont('a', g));
    wide.image.SetTextColor(PlotPixel, kPaper, 1);
    wide.image.SetTextSpacing(-5);  // overlap by 6
    EXPECT_EQ(wide.image.DrawText(8, 0, "ab"), 2);
    EXPECT_EQ(wide.Picture(1), (Rows{"......#.ooo#...."}));
}

TEST(DrawText, NoPlotFunctionsStillMeasure)
{
    std::vector<uint8_t> font = BuildFont('A', AbcGlyphs());
    CGraphicsImage image = Make(24, 8, 8, kBack);
    image.SetFont(font.data());
    EXPECT_EQ(image.DrawText(0, 0, "ABC"), 15);
    EXPECT_TRUE(Painted(image, kBack).empty());
    CGraphicsImage noFont = Make(24, 8, 8);
    EXPECT_EQ(noFont.DrawText(0, 0, "ABC"), 0);
}

TEST(SetTextColor, SoftPlotByDepth)
{
    const struct {
        uint32_t bits;
        PixelPlotFn stored;
    } cases[] = {{1, PlotPixel}, {8, PlotPixel}, {15, PlotSoft}, {24, PlotSoft}, {32, PlotSoftAlpha}};
    for (const auto& c : cases) {
        CGraphicsImage image = Make(c.bits, 4, 4);
        image.SetTextColor(PlotSoft, 3, 0);
        image.SetTextColor(PlotSoft, 4, 1);
        EXPECT_EQ(image.m_pfnText0, c.stored) << c.bits;
        EXPECT_EQ(image.m_pfnText1, c.stored) << c.bits;
        EXPECT_EQ(image.m_crText0, 3u);
        EXPECT_EQ(image.m_crText1, 4u);
    }
    CGraphicsImage image = Make(24, 4, 4);
    image.SetTextColor(PlotDashed, 5, 0);
    EXPECT_EQ(image.m_pfnText0, PlotDashed);
}

TEST(TextState, StartsZeroedAndSurvivesCreate)
{
    CGraphicsImage image;
    EXPECT_EQ(image.m_pFont, nullptr);
    EXPECT_EQ(image.m_pfnText0, nullptr);
    EXPECT_EQ(image.m_pfnText1, nullptr);
    EXPECT_EQ(image.m_nTextAlign, 0);
    EXPECT_EQ(image.m_nTextVAlign, 0);
    EXPECT_EQ(image.m_nTextYOffset, 0);
    EXPECT_EQ(image.m_nCharSpacing, 0);
    EXPECT_EQ(uint32_t(image.m_nRequestedSpacing), CGraphicsImage::DEFAULT_SPACING);
    std::vector<uint8_t> font = BuildFont('A', AbcGlyphs());
    image.SetFont(font.data());
    image.SetTextColor(PlotPixel, kInk, 0);
    ASSERT_TRUE(image.Create(24, 20, 4, 0));
    image.Clear();
    ASSERT_TRUE(image.Create(24, 20, 4, 0));
    EXPECT_EQ(image.DrawText(0, 0, "A"), 3);
    EXPECT_EQ(Get(image, 0, 0), kInk);
}

TEST(FillTextBackground, RowsBottomUpAndClipped)
{
    CGraphicsImage image = Make(24, 6, 6, kBack);
    image.SetTextColor(PlotPixel, kPaper, 1);
    PlotRecorder::calls.clear();
    image.FillTextBackground(-2, 2, 4, 3, PlotRecorder::Plot);
    std::vector<int> rows;  // of column 1
    for (const auto& [x, y] : PlotRecorder::calls)
        if (x == 1)
            rows.push_back(y);
    EXPECT_EQ(rows, (std::vector<int>{4, 3, 2}));
    EXPECT_EQ(CountValue(image, kPaper), 6);
    image.FillTextBackground(0, 0, 0, 3, PlotPixel);  // nothing for no width
    image.FillTextBackground(0, 0, -4, 3, PlotPixel);
    EXPECT_EQ(CountValue(image, kPaper), 6);
}

}  // namespace
