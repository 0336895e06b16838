#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "graphics/image.h"
#include "tests/graphics/blit_test_util.h"
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
// fill must equal a pixel-by-pixel reference, and touch nothing outside. Widths from a few
// pixels to rows of over 2 KB reach the scalar, wide and string stores.
TEST(ImageFill, MatchesPerPixelReferenceAtEveryDepth)
{
    lindar_test::Rng rng(42);
    for (const int kWidth : {37, 700}) {
    for (uint32_t bits : kDepths) {
        SCOPED_TRACE(bits);
        CGraphicsImage image, reference;
        ASSERT_TRUE(image.Create(bits, kWidth, 6, 0, 0));
        ASSERT_TRUE(reference.Create(bits, kWidth, 6, 0, 0));
        for (int pass = 0; pass < 300; ++pass) {
            const int x = rng.Range(-5, kWidth + 3), y = rng.Range(-2, 7);
            const int w = rng.Range(-kWidth / 2, kWidth + 8), h = rng.Range(-4, 8);
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
                for (int xx = std::max(x0, 0); xx < std::min(x0 + ww, kWidth); ++xx) {
                    reference.m_pfnSetPixel(reference.RowAt(yy), xx, value);
                    any = true;
                }
            ASSERT_EQ(filled, any);
            for (int yy = 0; yy < 6; ++yy)
                for (int xx = 0; xx < kWidth; ++xx)
                    ASSERT_EQ(image.m_pfnGetPixel(image.RowAt(yy), xx),
                              reference.m_pfnGetPixel(reference.RowAt(yy), xx))
                        << "pass " << pass << " at " << xx << "," << yy;
        }
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

// Every kernel of every depth at every vector level leaves the bytes of the
// scalar path: short and long rows, all phases of the pattern.
TEST(ImageFill, KernelsMatchTheScalarPath)
{
    lindar_test::Rng rng(7);
    for (uint32_t bits : kDepths) {
        SCOPED_TRACE(bits);
        CGraphicsImage start;
        ASSERT_TRUE(start.Create(bits, 700, 5, 0x123456, 0));
        for (int pass = 0; pass < 40; ++pass) {
            const int x = rng.Range(-3, 650), w = rng.Range(1, 720), y = rng.Range(0, 3);
            const uint32_t value = rng.Next();
            blit_test::BothPaths(start, [&](CGraphicsImage& image) { return image.FillRect(x, y, w, 2, value); });
        }
    }
}

// Fills larger than the caches: 24 bits takes the streaming stores (36 MB),
// 32 bits the string store; both leave the bytes of the scalar path.
TEST(ImageFill, LargeFillsMatchTheScalarPath)
{
    for (uint32_t bits : {24u, 32u}) {
        SCOPED_TRACE(bits);
        CGraphicsImage start;
        ASSERT_TRUE(start.Create(bits, 4001, 3001, 0x010203, 0));
        blit_test::BothPaths(start, [](CGraphicsImage& image) { return image.FillRect(3, 1, 3995, 2999, 0xA5B6C7); });
    }
}
