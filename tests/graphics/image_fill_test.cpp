#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "graphics/image.h"
#include "tests/support/test_support.h"

namespace {

constexpr uint32_t kDepths[] = {1, 2, 4, 8, 12, 15, 16, 24, 32};

}  // namespace

TEST(ImageFill, OneBitPartialBytesAndWholeBytes)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(1, 32, 1, 0, 0));
    EXPECT_TRUE(image.FillRect(3, 0, 18, 1, 1));
    EXPECT_EQ(std::vector<uint8_t>(image.RowAt(0), image.RowAt(0) + 4), (std::vector<uint8_t>{0x1F, 0xFF, 0xF8, 0x00}));
}

TEST(ImageFill, ClippingAndEmptyRectangles)
{
    CGraphicsImage image;
    EXPECT_FALSE(image.FillRect(0, 0, 1, 1, 0));  // no pixels
    ASSERT_TRUE(image.Create(32, 4, 4, 0, 0));
    EXPECT_FALSE(image.FillRect(4, 0, 5, 5, 1));
    EXPECT_FALSE(image.FillRect(0, 0, 0, 4, 1));
    EXPECT_FALSE(image.FillRect(-5, 0, 5, 4, 1));
    // Extreme coordinates and widths neither overflow nor miss the image.
    EXPECT_FALSE(image.FillRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 7));  // ends at -1
    EXPECT_TRUE(image.FillRect(-10, -10, INT_MAX, INT_MAX, 7));
    EXPECT_FALSE(image.FillRect(INT_MAX, 0, INT_MAX, 1, 7));
    EXPECT_TRUE(image.FillRect(INT_MAX, INT_MAX, INT_MIN, INT_MIN, 8));
    EXPECT_EQ(image.m_pfnGetPixel(image.RowAt(3), 3), 8u);
    EXPECT_TRUE(image.FillRect(3, 3, INT_MIN, INT_MIN, 9));
    EXPECT_EQ(image.m_pfnGetPixel(image.RowAt(0), 0), 9u);
}

// Every depth, many rectangles (negative extents span backwards): the fast
// fill must equal a pixel-by-pixel reference, and touch nothing outside.
TEST(ImageFill, MatchesPerPixelReferenceAtEveryDepth)
{
    lindar_test::Rng rng(42);
    for (uint32_t bits : kDepths) {
        SCOPED_TRACE(bits);
        CGraphicsImage image, reference;
        ASSERT_TRUE(image.Create(bits, 37, 6, 0, 0));
        ASSERT_TRUE(reference.Create(bits, 37, 6, 0, 0));
        for (int pass = 0; pass < 300; ++pass) {
            const int x = rng.Range(-5, 40), y = rng.Range(-2, 7);
            const int w = rng.Range(-20, 45), h = rng.Range(-4, 8);
            const uint32_t value = rng.Next();
            const bool filled = image.FillRect(x, y, w, h, value);
            int x0 = x, y0 = y, ww = w, hh = h;
            if (ww < 0) {
                x0 += ww + 1;
                ww = -ww;
            }
            if (hh < 0) {
                y0 += hh + 1;
                hh = -hh;
            }
            bool any = false;
            for (int yy = std::max(y0, 0); yy < std::min(y0 + hh, 6); ++yy)
                for (int xx = std::max(x0, 0); xx < std::min(x0 + ww, 37); ++xx) {
                    reference.m_pfnSetPixel(reference.RowAt(yy), xx, value);
                    any = true;
                }
            ASSERT_EQ(filled, any);
            for (int yy = 0; yy < 6; ++yy)
                for (int xx = 0; xx < 37; ++xx)
                    ASSERT_EQ(image.m_pfnGetPixel(image.RowAt(yy), xx),
                              reference.m_pfnGetPixel(reference.RowAt(yy), xx))
                        << "pass " << pass << " at " << xx << "," << yy;
        }
    }
}

TEST(ImageFill, FifteenBitKeepsTheFlagAndThirtyTwoTheFourthByte)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(15, 3, 1, 0x80FFFFFF, 0));
    EXPECT_EQ(image.m_pfnGetPixel(image.RowAt(0), 2), 0x80F8F8F8u);
    ASSERT_TRUE(image.Create(32, 3, 1, 0, 0));
    EXPECT_TRUE(image.FillRect(0, 0, 3, 1, 0x7F010203));
    EXPECT_EQ(image.m_pfnGetPixel(image.RowAt(0), 1), 0x7F010203u);
}
