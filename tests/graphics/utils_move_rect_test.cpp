#include <gtest/gtest.h>

#include <algorithm>

#include "graphics/image.h"
#include "tests/graphics/convert_reference.h"

using namespace convert_test;

namespace {

// MoveRect written out: every source pixel whose source and target both lie
// inside the image lands at source + offset; read from an untouched copy.
bool ReferenceMove(CGraphicsImage& image, int x, int y, int w, int h, int tx, int ty)
{
    if (w < 0) {
        x += w;
        w = -w;
    }
    if (h < 0) {
        y += h;
        h = -h;
    }
    if (w == 0 || h == 0)
        return false;
    if (x == tx && y == ty)
        return true;
    CGraphicsImage original;
    EXPECT_TRUE(original.Assign(image));
    bool any = false;
    const int W = int(image.m_nWidth), H = int(image.m_nHeight);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const int sx = x + i, sy = y + j, dx = tx + i, dy = ty + j;
            if (sx < 0 || sy < 0 || sx >= W || sy >= H || dx < 0 || dy < 0 || dx >= W || dy >= H)
                continue;
            SetAt(image, dx, dy, PixelAt(original, sx, sy));
            any = true;
        }
    return any;
}

struct MoveCase {
    int x, y, w, h, tx, ty;
};

// Overlapping moves in all eight directions and on the same row, clipped at
// every edge, negative extents, misses.
constexpr MoveCase kCases[] = {
    {2, 2, 8, 5, 3, 2},      {2, 2, 8, 5, 1, 2},     {2, 2, 8, 5, 2, 3},     {2, 2, 8, 5, 2, 1},
    {2, 2, 8, 5, 3, 3},      {2, 2, 8, 5, 1, 1},     {2, 2, 8, 5, 3, 1},     {2, 2, 8, 5, 1, 3},
    {0, 0, 17, 9, 0, 1},     {0, 0, 17, 9, 0, -1},   {0, 0, 17, 9, 1, 0},    {0, 0, 17, 9, -100, -100},
    {-3, -2, 8, 6, 5, 4},    {10, 5, 20, 20, 0, 0},  {3, 3, 5, 5, -4, -2},   {3, 3, 5, 5, 14, 7},
    {9, 6, -4, -3, 0, 0},    {5, 5, -5, 2, 7, 7},    {4, 1, 3, 3, 17, 0},    {4, 1, 3, 3, 0, 9},
    {17, 0, 3, 3, 0, 0},     {1, 1, 0, 3, 2, 2},     {1, 1, 3, 3, 1, 1},     {-50, -50, 10, 10, 0, 0},
    {1, 0, 16, 9, 0, 0},     {0, 0, 16, 9, 1, 0},    {2, 0, 6, 9, 4, 0},     {3, 0, 6, 9, 1, 0},
};

TEST(MoveRect, MatchesReferenceAtEveryDepth)
{
    for (uint32_t bits : kAllDepths)
        for (const MoveCase& c : kCases) {
            SCOPED_TRACE(testing::Message() << bits << " bits: " << c.x << "," << c.y << " " << c.w << "x" << c.h
                                            << " -> " << c.tx << "," << c.ty);
            CGraphicsImage image, expected;
            MakeRandom(image, bits, 17, 9, bits * 100 + uint64_t(c.x + 60));
            ASSERT_TRUE(expected.Assign(image));
            const bool want = ReferenceMove(expected, c.x, c.y, c.w, c.h, c.tx, c.ty);
            EXPECT_EQ(image.MoveRect(c.x, c.y, c.w, c.h, c.tx, c.ty), want);
            ExpectSamePixels(image, expected);
        }
}

// Random moves of random rectangles against the reference.
TEST(MoveRect, RandomMoves)
{
    lindar_test::Rng rng(77);
    for (uint32_t bits : kAllDepths)
        for (int pass = 0; pass < 60; ++pass) {
            CGraphicsImage image, expected;
            MakeRandom(image, bits, 23, 11, rng.Next());
            ASSERT_TRUE(expected.Assign(image));
            const MoveCase c{rng.Range(-8, 25), rng.Range(-5, 13), rng.Range(-20, 30),
                             rng.Range(-12, 15), rng.Range(-10, 25), rng.Range(-6, 13)};
            const bool want = ReferenceMove(expected, c.x, c.y, c.w, c.h, c.tx, c.ty);
            ASSERT_EQ(image.MoveRect(c.x, c.y, c.w, c.h, c.tx, c.ty), want) << bits << " pass " << pass;
            ExpectSamePixels(image, expected);
        }
}

TEST(MoveRect, SamePlaceAndEmptyImage)
{
    CGraphicsImage image, original;
    MakeRandom(image, 24, 5, 5, 3);
    ASSERT_TRUE(original.Assign(image));
    EXPECT_TRUE(image.MoveRect(1, 1, 3, 3, 1, 1));
    EXPECT_EQ(0, std::memcmp(image.m_pBits, original.m_pBits, original.m_nImageSize));
    CGraphicsImage empty;
    EXPECT_FALSE(empty.MoveRect(0, 0, 2, 2, 1, 1));
}

// One pixel down onto itself, column by column: no smear.
TEST(MoveRect, OnePixelDownDoesNotSmear)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(8, 4, 4, 0, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            image.RowAt(y)[x] = uint8_t(10 * y + x);
    EXPECT_TRUE(image.MoveRect(1, 0, 2, 3, 1, 1));
    // Columns 1 and 2 one row down; row 0 and the other columns kept.
    for (uint32_t y = 0, a = 0; y < 4; ++y, a += 10)
        EXPECT_EQ(Row(image, int(y)), (std::vector<uint32_t>{a, y ? a - 9 : 1, y ? a - 8 : 2, a + 3})) << y;
}

// 4 bits with an odd x cannot move bytes: the cropped copy route.
TEST(MoveRect, OddNibblesGoThroughACopy)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(4, 8, 2, 0, 0));
    for (int x = 0; x < 8; ++x)
        SetAt(image, x, 0, uint32_t(x + 1));
    EXPECT_TRUE(image.MoveRect(1, 0, 3, 1, 4, 1));
    EXPECT_EQ(Row(image, 1), (std::vector<uint32_t>{0, 0, 0, 0, 2, 3, 4, 0}));
    EXPECT_TRUE(image.MoveRect(0, 0, 5, 1, 1, 0));  // overlapping, odd target
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{1, 1, 2, 3, 4, 5, 7, 8}));
}

}  // namespace
