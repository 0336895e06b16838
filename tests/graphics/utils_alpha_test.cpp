#include <gtest/gtest.h>

#include "graphics/image.h"
#include "tests/graphics/convert_reference.h"

using namespace convert_test;

namespace {

TEST(ColorDistance, SumsAndSquares)
{
    const struct {
        uint32_t a, b;
        int32_t sum, squares;
    } cases[] = {
        {0x000000, 0xFFFFFF, 765, 195075},
        {0xFF000000, 0x00000000, 0, 0},  // the fourth byte never counts
        {0x102030, 0x201008, 16 + 16 + 40, 256 + 256 + 1600}, {0x00FF00, 0x000000, 255, 65025},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ColorDistance(c.a, c.b), c.sum) << std::hex << c.a << " " << c.b;
        EXPECT_EQ(ColorDistance(c.b, c.a), c.sum);
        EXPECT_EQ(ColorDistanceSquared(c.a, c.b), c.squares);
    }
}

TEST(Alpha, ModeOfPixelsAndPalettes)
{
    struct Case {
        const char* name;
        uint32_t bits;
        std::vector<uint8_t> alphas;  // per pixel (32 bits) or palette entry
        uint32_t mode;
        bool hasAlpha;
    };
    const Case cases[] = {
        {"all 255", 32, {255, 255, 255, 255}, 1, true},
        {"all 0", 32, {0, 0, 0, 0}, 0, false},
        {"one 128", 32, {255, 128, 255, 255}, 2, true},
        {"last 128", 32, {128, 128, 128, 128}, 2, true},
        {"0 and 255", 32, {255, 0, 0, 0}, 2, true},
        {"first non-zero only", 32, {7, 0, 0, 0}, 2, true},
        {"palette all 255", 2, {255, 255, 255, 255}, 1, false},
        {"palette mixed", 2, {255, 255, 0, 255}, 2, false},
        {"palette 0", 1, {0, 0}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGraphicsImage image;
        if (c.bits == 32) {
            ASSERT_TRUE(image.Create(32, 2, 2, 0x00123456, 0));
            for (size_t i = 0; i < c.alphas.size(); ++i)
                image.m_pBits[4 * i + 3] = c.alphas[i];
        } else {
            ASSERT_TRUE(image.Create(c.bits, 2, 2, 0, 0));
            for (size_t i = 0; i < c.alphas.size(); ++i)
                image.SetPaletteRGBA(uint32_t(i), 1, 2, 3, c.alphas[i]);
        }
        EXPECT_EQ(image.GetAlphaMode(), c.mode);
        EXPECT_EQ(image.HasAlpha(), c.hasAlpha);
    }
    CGraphicsImage image;
    EXPECT_EQ(image.GetAlphaMode(), 0u);
    EXPECT_FALSE(image.HasAlpha());
    ASSERT_TRUE(image.Create(24, 2, 2, 0xFFFFFF, 0));
    EXPECT_EQ(image.GetAlphaMode(), 0u);
    ASSERT_TRUE(image.Create(15, 2, 2, 0xFFFFFFFF, 0));
    EXPECT_EQ(image.GetAlphaMode(), 0u);
}

// One differing alpha byte anywhere in a large picture (an odd pixel count).
TEST(Alpha, ModeFindsOneDifferentPixel)
{
    const size_t positions[] = {0, 1, 510, 511, 512, 513, 1500, 3001, 3002};
    for (uint32_t base : {0u, 255u})
        for (uint8_t odd : {uint8_t(0), uint8_t(1), uint8_t(254), uint8_t(255)}) {
            if (odd == base)
                continue;
            for (size_t at : positions) {
                CGraphicsImage image;
                ASSERT_TRUE(image.Create(32, 1001, 3, (base << 24) | 0x123456, 0));
                EXPECT_EQ(image.GetAlphaMode(), base ? 1u : 0u);
                image.m_pBits[4 * at + 3] = odd;
                EXPECT_EQ(image.GetAlphaMode(), 2u) << base << " " << int(odd) << " at " << at;
                EXPECT_TRUE(image.HasAlpha());
            }
        }
}

TEST(Alpha, SetAlphaOnlyAtThirtyTwoBits)
{
    CGraphicsImage image;
    EXPECT_FALSE(image.SetAlpha(1));
    ASSERT_TRUE(image.Create(32, 0, 0, 0, 0));
    EXPECT_TRUE(image.SetAlpha(1));
    ASSERT_TRUE(image.Create(32, 3, 2, 0x00ABCDEF, 0));
    EXPECT_TRUE(image.SetAlpha(0x80));
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(Row(image, y), std::vector<uint32_t>(3, 0x80ABCDEF));
    EXPECT_EQ(image.GetAlphaMode(), 2u);
    ASSERT_TRUE(image.Create(24, 3, 2, 0, 0));
    EXPECT_FALSE(image.SetAlpha(1));
}

TEST(Alpha, FlattenNumbers)
{
    struct Case {
        uint32_t pixel, background, result;
    };
    const Case cases[] = {
        {0x00123456, 0x00ABCDEF, 0xFFABCDEF},  // alpha 0: exactly the background, opaque
        {0x7F123456, 0xFFABCDEF, 0xFF5F81A3},  // the background's fourth byte is ignored
        {0xFF123456, 0x00ABCDEF, 0xFF123456},  // opaque: unchanged
        {0x80000000, 0x00FFFFFF, 0xFF7F7F7F},  // (255 × 128) >> 8
        {0x80FFFFFF, 0x00000000, 0xFF808080},  // (255 × 129) >> 8
    };
    for (const Case& c : cases) {
        CGraphicsImage image;
        ASSERT_TRUE(image.Create(32, 1, 1, 0, 0));
        SetAt(image, 0, 0, c.pixel);
        EXPECT_TRUE(image.FlattenAlpha(c.background));
        EXPECT_EQ(PixelAt(image, 0, 0), c.result) << std::hex << c.pixel;
    }
    CGraphicsImage image;
    EXPECT_FALSE(image.FlattenAlpha(0));
    ASSERT_TRUE(image.Create(24, 1, 1, 0, 0));
    EXPECT_FALSE(image.FlattenAlpha(0));
}

TEST(Resolution, HeaderFields)
{
    CGraphicsImage image;
    int32_t x = -1, y = -1;
    EXPECT_FALSE(image.GetResolution(&x, &y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(0, 0));
    EXPECT_FALSE(image.SetResolution(1, 2));
    ASSERT_TRUE(image.Create(8, 1, 1, 0, 0));
    EXPECT_TRUE(image.GetResolution(&x, &y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(4705, 4705));
    EXPECT_TRUE(image.SetResolution(3780, 2835));
    EXPECT_TRUE(image.GetResolution(&x, &y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(3780, 2835));
    EXPECT_EQ(image.Header()->biXPelsPerMeter, 3780);
}

}  // namespace
