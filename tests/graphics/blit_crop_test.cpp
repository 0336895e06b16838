#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "tests/graphics/blit_test_util.h"

using namespace blit_test;
using lindar_test::Rng;

namespace {

using I = CGraphicsImage;

struct CropCase {
    int x, y, width, height;
};

// Unaligned starts and ends at sub-byte depths, every side outside, fully
// outside, negative extents.
const CropCase kCropCases[] = {
    {0, 0, 29, 7},  {1, 0, 9, 3},   {3, 2, 17, 4},  {5, 1, 1, 1},   {7, 0, 22, 7}, {-3, -2, 12, 5},
    {20, 3, 15, 9}, {-5, 0, 40, 7}, {8, 0, 16, 7},  {2, 0, 13, 7},  {40, 0, 4, 4}, {0, -9, 4, 4},
    {12, 6, -9, -5}, {-1, 0, 1, 7}, {28, 6, 3, 3},
};

// Each pixel of the crop is the source pixel under it, or 0 outside.
TEST(BlitCrop, EveryDepthAgainstThePixelFunctions)
{
    Rng rng(21);
    for (uint32_t bits : kDepths)
        for (const CropCase& c : kCropCases) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << c.x << "," << c.y << " " << c.width << "x"
                                            << c.height);
            I source, crop;
            MakeRandom(source, bits, 29, 7, rng);
            ASSERT_TRUE(crop.Create(8, 3, 3, 0x55, 0));
            ASSERT_TRUE(crop.CropFrom(source, c.x, c.y, c.width, c.height));
            const int w = std::abs(c.width), h = std::abs(c.height);
            const int left = c.width < 0 ? c.x + c.width + 1 : c.x, top = c.height < 0 ? c.y + c.height + 1 : c.y;
            ASSERT_EQ(crop.m_nBitCount, bits);
            ASSERT_EQ(int(crop.m_nWidth), w);
            ASSERT_EQ(int(crop.m_nHeight), h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int sx = left + x, sy = top + y;
                    const bool inside = sx >= 0 && sy >= 0 && sx < 29 && sy < 7;
                    ASSERT_EQ(Get(crop, x, y), inside ? Get(source, sx, sy) : 0u) << x << "," << y;
                }
            for (uint32_t i = 0; i < source.m_nPaletteSize; ++i) {
                uint8_t r, g, b, a;
                ASSERT_EQ(crop.GetPaletteRGBA(i, &r, &g, &b, &a), source.GetPaletteRGBA(i, &r, &g, &b, &a));
            }
        }
}

TEST(BlitCrop, FromItself)
{
    Rng rng(4);
    I image;
    MakeRandom(image, 1, 40, 6, rng);
    const I original(image);
    ASSERT_TRUE(image.CropFrom(image, 3, 1, 20, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(Get(image, x, y), Get(original, x + 3, y + 1));
}

TEST(BlitCrop, Failures)
{
    I source, empty, crop;
    ASSERT_TRUE(source.Create(24, 4, 4, 0, 0));
    ASSERT_TRUE(crop.Create(8, 2, 2, 0, 0));
    EXPECT_FALSE(crop.CropFrom(empty, 0, 0, 2, 2));
    EXPECT_EQ(crop.m_pBits, nullptr);
    EXPECT_FALSE(crop.CropFrom(source, 0, 0, 32769, 1));
    EXPECT_EQ(crop.m_nError, I::ERROR_SIZE);
    EXPECT_FALSE(crop.CropFrom(source, INT_MAX, INT_MAX, INT_MIN, INT_MIN));
    EXPECT_EQ(crop.m_nError, I::ERROR_SIZE);
    EXPECT_FALSE(empty.CropFrom(empty, 0, 0, 1, 1));
    // Far away, but of a size that can be made: all zero.
    ASSERT_TRUE(crop.CropFrom(source, INT_MIN, INT_MAX, 3, -2));
    EXPECT_EQ(Get(crop, 2, 1), 0u);
}

}  // namespace
