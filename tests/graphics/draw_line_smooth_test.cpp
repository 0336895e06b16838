// Anti-aliased lines: the weights of a small case, the diagonal fringe and
// its end handling, and the plain line where no blending applies.
#include <gtest/gtest.h>

#include "tests/graphics/draw_test_util.h"

using namespace draw_test;

namespace {

uint32_t Grey(uint32_t g) { return g << 16 | g << 8 | g; }

TEST(DrawLineSmooth, WeightsOfASmallCase)
{
    // (0, 0) to (4, 2): weights 192, 64, 192, 64, 192 on the line pixels,
    // the rest of 256 on each neighbour below.
    CGraphicsImage image = Make(24, 6, 5, 0);
    EXPECT_TRUE(image.DrawLineSmooth(0, 0, 4, 2, 0xFFFFFF, 1));
    const uint32_t a = Grey(191), b = Grey(63);
    EXPECT_EQ(PaintedValues(image), (PixelValues{{{0, 0}, a}, {{0, 1}, b}, {{1, 0}, b}, {{1, 1}, a}, {{2, 1}, a},
                                                 {{2, 2}, b}, {{3, 1}, b}, {{3, 2}, a}, {{4, 2}, a}, {{4, 3}, b}}));
    // Without the end point the last step is left out.
    CGraphicsImage open = Make(24, 6, 5, 0);
    EXPECT_TRUE(open.DrawLineSmooth(0, 0, 4, 2, 0xFFFFFF, 0));
    EXPECT_EQ(Get(open, 4, 2), 0u);
    EXPECT_EQ(Get(open, 3, 2), Grey(191));
}

TEST(DrawLineSmooth, DiagonalFringe)
{
    // Line pixels in full colour, an eighth of it one row back and forward.
    CGraphicsImage image = Make(24, 6, 6, 0);
    EXPECT_TRUE(image.DrawLineSmooth(1, 1, 4, 4, 0xFFFFFF, 1));
    const uint32_t f = Grey(255 >> 3), w = Grey(255);
    EXPECT_EQ(PaintedValues(image), (PixelValues{{{1, 1}, w}, {{1, 2}, f}, {{2, 2}, w}, {{2, 1}, f}, {{2, 3}, f},
                                                 {{3, 3}, w}, {{3, 2}, f}, {{3, 4}, f}, {{4, 4}, w}, {{4, 3}, f}}));

    // last 0 leaves the end point, also on the shortest diagonal.
    CGraphicsImage open = Make(24, 6, 6, 0);
    EXPECT_TRUE(open.DrawLineSmooth(1, 1, 4, 4, 0xFFFFFF, 0));
    EXPECT_EQ(Get(open, 4, 4), 0u);
    EXPECT_EQ(Get(open, 3, 4), 0u);  // no forward fringe after the last pixel
    CGraphicsImage shortest = Make(24, 6, 6, 0);
    EXPECT_TRUE(shortest.DrawLineSmooth(2, 2, 3, 1, 0xFFFFFF, 0));
    EXPECT_EQ(Get(shortest, 2, 2), Grey(255));
    EXPECT_EQ(Get(shortest, 3, 1), 0u);

    // A diagonal wholly before the image draws nothing, even when it ends
    // on -1.
    CGraphicsImage outside = Make(24, 6, 6, 0);
    outside.DrawLineSmooth(-5, -5, -1, -1, 0xFFFFFF, 1);
    EXPECT_TRUE(Painted(outside).empty());
    EXPECT_FALSE(outside.DrawLineSmooth(-3, -3, -9, -9, 0xFFFFFF, 1));  // runs away
}

TEST(DrawLineSmooth, PlainWhereNothingBlends)
{
    const struct {
        uint32_t bits;
        int x1, y1, x2, y2;
    } cases[] = {{8, 0, 0, 5, 3, }, {4, 1, 1, 6, 6}, {24, 0, 2, 7, 2}, {32, 3, 0, 3, 7}};
    for (const auto& c : cases) {
        CGraphicsImage smooth = Make(c.bits, 8, 8), plain = Make(c.bits, 8, 8);
        EXPECT_TRUE(smooth.DrawLineSmooth(c.x1, c.y1, c.x2, c.y2, 5, 0));
        EXPECT_TRUE(plain.DrawLine(c.x1, c.y1, c.x2, c.y2, 5));
        EXPECT_EQ(Painted(smooth), Painted(plain)) << c.bits;
        EXPECT_EQ(Get(smooth, c.x2, c.y2), 5u);  // the end point even with last 0
    }
}

TEST(DrawLineSmooth, KeepsTheFourthByte)
{
    CGraphicsImage image = Make(32, 8, 8, 0x7F000000);
    EXPECT_TRUE(image.DrawLineSmooth(0, 0, 7, 3, 0xFFFFFF, 1));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(Get(image, x, y) >> 24, 0x7Fu);
}

}  // namespace
