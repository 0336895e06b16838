#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "tests/graphics/blit_test_util.h"

using namespace blit_test;
using lindar_test::Rng;

namespace {

using I = CGraphicsImage;

// One source pixel over one target pixel. For palette sources the source
// value is the palette entry set at index 1.
struct BlendCase {
    const char* what;
    uint32_t sourceBits, targetBits;
    uint32_t source, target, expected;
};

const BlendCase kBlendCases[] = {
    {"32-bit alpha 0 leaves the target", 32, 32, 0x00FFFFFF, 0x12345678, 0x12345678},
    {"32-bit alpha 255 writes the source, opaque", 32, 32, 0xFF102030, 0x12345678, 0xFF102030},
    // red (255 × 129) >> 8 = 128, green (255 × 128) >> 8 = 127
    {"32-bit alpha 128", 32, 32, 0x80FF0000, 0x0000FF00, 0xFF807F00},
    {"32-bit alpha 128 onto 24 bits", 32, 24, 0x80FF0000, 0x0000FF00, 0x00807F00},
    {"32-bit alpha 1 rounds toward the target", 32, 32, 0x01FFFFFF, 0x00000000, 0xFF010101},
    {"24-bit source has alpha 0", 24, 32, 0x00FFFFFF, 0x12345678, 0x12345678},
    {"15-bit flag bit is alpha 0x80, fourth byte 0", 15, 32, 0x80F80000, 0xFF0000F8, 0x007C007C},
    {"15-bit without flag leaves the target", 15, 32, 0x00F80000, 0xFF0000F8, 0xFF0000F8},
    {"palette alpha 0 makes the target opaque", 8, 32, 0x00FFFFFF, 0x12345678, 0xFF345678},
    {"palette alpha 255 writes the entry", 8, 32, 0xFF102030, 0x12345678, 0xFF102030},
    {"palette alpha 128", 8, 32, 0x80FF0000, 0x0000FF00, 0xFF807F00},
    {"palette onto 16 bits", 8, 16, 0x80F80000, 0x0000FC00, 0x00787C00},
};

TEST(BlitBlend, Formulas)
{
    for (const BlendCase& c : kBlendCases) {
        SCOPED_TRACE(c.what);
        I source, target;
        ASSERT_TRUE(source.Create(c.sourceBits, 1, 1, 0, 0));
        ASSERT_TRUE(target.Create(c.targetBits, 1, 1, 0, 0));
        if (source.m_bTrueColor) {
            Set(source, 0, 0, c.source);
        } else {
            source.SetPaletteEntry(1, c.source);
            Set(source, 0, 0, 1);
        }
        Set(target, 0, 0, c.target);
        const I got = BothPaths(target, [&](I& t) { return t.BlendImage(source, 0, 0); });
        EXPECT_EQ(Get(got, 0, 0), c.expected);
    }
}

TEST(BlitBlend, FastPathMatchesGeneralWithClipping)
{
    Rng rng(3);
    for (uint32_t sb : kDepths)
        for (uint32_t tb : {12u, 15u, 16u, 24u, 32u}) {
            SCOPED_TRACE(testing::Message() << sb << "->" << tb);
            I source, target;
            MakeRandom(source, sb, 37, 9, rng);
            MakeRandom(target, tb, 30, 12, rng);
            for (int x : {-5, 0, 3, 20})
                BothPaths(target, [&](I& t) { return t.BlendImage(source, x, x / 2); });
        }
}

// Runs of transparent, opaque and translucent pixels, so that whole groups of
// four and eight take the vector kernels' shortcuts next to mixed groups and tails.
TEST(BlitBlend, RunsOfTransparentAndOpaquePixels)
{
    Rng rng(17);
    I source, target;
    MakeRandom(source, 32, 61, 5, rng);
    MakeRandom(target, 32, 70, 8, rng);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 61;) {
            const uint32_t kinds[] = {0x00000000, 0xFF000000, 0x80000000};
            const uint32_t alpha = kinds[rng.Next() % 3];
            for (int n = rng.Range(1, 17); n > 0 && x < 61; --n, ++x)
                Set(source, x, y, (Get(source, x, y) & 0xFFFFFF) | (alpha == 0x80000000 ? rng.Next() << 24 : alpha));
        }
    for (int x : {0, 1, 2, 3, 9, -3})
        BothPaths(target, [&](I& t) { return t.BlendImage(source, x, 1); });
}

TEST(BlitBlend, RefusedCases)
{
    I source, shallow, target, empty;
    ASSERT_TRUE(source.Create(32, 4, 4, 0, 0));
    ASSERT_TRUE(shallow.Create(8, 4, 4, 0, 0));
    ASSERT_TRUE(target.Create(32, 4, 4, 0, 0));
    EXPECT_FALSE(shallow.BlendImage(source, 0, 0));
    EXPECT_FALSE(target.BlendImage(empty, 0, 0));
    EXPECT_FALSE(empty.BlendImage(source, 0, 0));
    EXPECT_FALSE(target.BlendImage(source, 4, 0));
    EXPECT_FALSE(target.BlendImage(source, INT_MIN, INT_MAX));
    EXPECT_TRUE(target.BlendImage(source, -3, -3));
}

TEST(BlitBlend, SelfBlendReadsBeforeWriting)
{
    Rng rng(9);
    I image;
    MakeRandom(image, 32, 16, 6, rng);
    I temporary(image), expected(image);
    ASSERT_TRUE(expected.BlendImage(temporary, 2, 1));
    ASSERT_TRUE(image.BlendImage(image, 2, 1));
    EXPECT_TRUE(Bytes(image) == Bytes(expected));
}

struct AlphaFillCase {
    const char* what;
    uint32_t bits;
    int x, y, width, height, alpha;
    bool result;
    uint32_t before, colour, inside;  // pixel values as colour words
};

const AlphaFillCase kAlphaFillCases[] = {
    {"alpha 0 changes nothing", 32, 0, 0, 2, 2, 0, true, 0x11223344, 0xFFFFFF, 0x11223344},
    {"alpha below 0 changes nothing", 8, 0, 0, 2, 2, -4, true, 5, 9, 5},
    {"alpha 255 is a plain fill", 32, 0, 0, 2, 2, 255, true, 0x11223344, 0x00ABCDEF, 0x00ABCDEF},
    {"alpha above 255 is a plain fill at 8 bits", 8, 0, 0, 2, 2, 300, true, 5, 9, 9},
    {"8 bits refuse alpha 128", 8, 0, 0, 2, 2, 128, false, 5, 9, 5},
    // red (255 × 129) >> 8 = 128, green (255 × 128) >> 8 = 127; fourth byte kept
    {"alpha 128 keeps the fourth byte", 32, 0, 0, 2, 2, 128, true, 0x7700FF00, 0xFF0000, 0x77807F00},
    {"15-bit flag bit kept", 15, 0, 0, 2, 2, 128, true, 0x800000F8, 0xF80000, 0x80780078},
    {"width below 1 refused", 32, 1, 0, -2, 2, 128, false, 0x11223344, 0xFFFFFF, 0x11223344},
    {"negative height allowed", 24, 0, 1, 2, -2, 255 - 254, true, 0x000000, 0xFFFFFF, 0x010101},
    {"outside the image", 32, 9, 0, 2, 2, 128, false, 0x11223344, 0xFFFFFF, 0x11223344},
};

TEST(BlitBlend, FillRectAlpha)
{
    for (const AlphaFillCase& c : kAlphaFillCases) {
        SCOPED_TRACE(c.what);
        I image;
        ASSERT_TRUE(image.Create(c.bits, 4, 4, 0, 0));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                Set(image, x, y, c.before);
        const uint32_t before = Get(image, 0, 0);
        EXPECT_EQ(image.FillRectAlpha(c.x, c.y, c.width, c.height, c.colour, c.alpha), c.result);
        EXPECT_EQ(Get(image, 0, 0), c.inside);
        EXPECT_EQ(Get(image, 3, 3), before);
    }
}

TEST(BlitBlend, FillRectWithPlotVisitsRowsTopDownLeftToRight)
{
    struct Call {
        int x, y;
        uint32_t value;
        std::ptrdiff_t rowOffset;
        bool operator==(const Call&) const = default;
    };
    static std::vector<Call> calls;
    calls.clear();
    I image;
    ASSERT_TRUE(image.Create(8, 6, 5, 0, 0));
    const RowPlotFn plot = [](I* im, uint8_t* row, int x, int y, uint32_t value) {
        calls.push_back({x, y, value, row - im->RowAt(y)});
    };
    EXPECT_TRUE(image.FillRectWithPlot(5, 4, -2, 9, 42, plot));  // x 4-5, rows 4-4 after clipping
    EXPECT_TRUE(calls == (std::vector<Call>{{4, 4, 42, 0}, {5, 4, 42, 0}}));
    calls.clear();
    EXPECT_TRUE(image.FillRectWithPlot(-1, -1, 3, 3, 7, plot));
    EXPECT_TRUE(calls == (std::vector<Call>{{0, 0, 7, 0}, {1, 0, 7, 0}, {0, 1, 7, 0}, {1, 1, 7, 0}}));
    calls.clear();
    EXPECT_FALSE(image.FillRectWithPlot(6, 0, 3, 3, 7, plot));
    EXPECT_FALSE(image.FillRectWithPlot(INT_MAX, INT_MAX, INT_MAX, INT_MAX, 7, plot));
    EXPECT_TRUE(calls.empty());
}

TEST(BlitBlend, FlattenKeepsEqualColoursExactAtEveryAlpha)
{
    I image;
    ASSERT_TRUE(image.Create(32, 256, 1, 0, 0));
    for (uint32_t grey : {0xFFFFFFu, 0x000000u, 0x808080u, 0x123456u}) {
        for (int a = 0; a < 256; ++a)
            Set(image, a, 0, uint32_t(a) << 24 | grey);
        ASSERT_TRUE(image.FlattenAlphaRect(0, 0, 256, 1, grey));
        for (int a = 0; a < 256; ++a)
            ASSERT_EQ(Get(image, a, 0), (a == 0 ? 0u : uint32_t(a) << 24) | grey) << "alpha " << a;
    }
}

TEST(BlitBlend, FlattenAlphaRectRoundsExactly)
{
    const struct {
        uint32_t pixel, background, expected;
    } cases[] = {
        {0xFF123456, 0xABCDEF, 0xFF123456},  // opaque stays
        {0x00123456, 0xABCDEF, 0x00ABCDEF},  // transparent becomes the background, fourth byte 0
        {0x80FF0000, 0x0000FF, 0x8080007F},  // (255 × 128 + 127) / 255 = 128, (255 × 127 + 127) / 255 = 127
        {0x01FF0000, 0x000000, 0x01010000},  // 255 / 255 = 1
        {0x7F000000, 0xFFFFFF, 0x7F808080},  // 255 × 128 / 255 = 128
    };
    for (const auto& c : cases) {
        I image;
        ASSERT_TRUE(image.Create(32, 1, 1, 0, 0));
        Set(image, 0, 0, c.pixel);
        ASSERT_TRUE(image.FlattenAlphaRect(0, 0, 1, 1, c.background));
        EXPECT_EQ(Get(image, 0, 0), c.expected) << std::hex << c.pixel;
    }
    I grey, empty;
    ASSERT_TRUE(grey.Create(24, 2, 2, 0, 0));
    EXPECT_FALSE(grey.FlattenAlphaRect(0, 0, 2, 2, 0));
    EXPECT_FALSE(empty.FlattenAlphaRect(0, 0, 2, 2, 0));
    ASSERT_TRUE(grey.Create(32, 2, 2, 0, 0));
    EXPECT_FALSE(grey.FlattenAlphaRect(2, 0, 2, 2, 0));
}

// Background of each pixel of a transparent 8 × 4 image: 1 for colour2.
struct CheckerCase {
    int x, y, width, height, n;
    const char* rows[4];
};

const CheckerCase kCheckerCases[] = {
    {0, 0, 8, 4, 0, {"01010101", "10101010", "01010101", "10101010"}},
    {0, 0, 8, 4, 1, {"00110011", "00110011", "11001100", "11001100"}},
    {0, 0, 8, 4, -7, {"01010101", "10101010", "01010101", "10101010"}},  // n below 0 is 0
    {0, 0, 8, 4, 99, {"00000000", "00000000", "00000000", "00000000"}},  // n above 30 is 30
    {-1, -1, 9, 5, 0, {"01010101", "10101010", "01010101", "10101010"}},  // squares anchored at the corner
    {7, 3, -8, -4, 1, {"00110011", "00110011", "11001100", "11001100"}},
};

TEST(BlitBlend, FlattenAlphaChecker)
{
    for (const CheckerCase& c : kCheckerCases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " n " << c.n);
        I image;
        ASSERT_TRUE(image.Create(32, 8, 4, 0, 0));
        ASSERT_TRUE(image.FlattenAlphaChecker(c.x, c.y, c.width, c.height, 0x111111, 0x222222, c.n));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(Get(image, x, y), c.rows[y][x] == '1' ? 0x222222u : 0x111111u) << x << "," << y;
    }
    I image;
    ASSERT_TRUE(image.Create(32, 8, 4, 0, 0));
    EXPECT_FALSE(image.FlattenAlphaChecker(8, 0, 4, 4, 1, 2, 0));
    EXPECT_FALSE(image.FlattenAlphaChecker(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1, 2, 0));
}

}  // namespace
