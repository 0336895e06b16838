#include <gtest/gtest.h>

#include "graphics/image.h"
#include "tests/graphics/convert_reference.h"

using namespace convert_test;

namespace {

uint32_t Grey(uint32_t c) { return (29 * (c & 255) + 76 * (((c >> 16) & 255) + 2 * ((c >> 8) & 255))) >> 8; }

TEST(Grey, ValuesOfTheWeights)
{
    const CGraphicsImage source = RowImage(24, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080, 0x7F7F7F});
    CGraphicsImage image, threshold;
    ASSERT_TRUE(image.GreyFrom(source));
    EXPECT_EQ(image.m_nBitCount, 8u);
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{75, 151, 28, 255, 0, 128, 127}));
    for (uint32_t i = 0; i < 256; ++i)
        ASSERT_EQ(PaletteAt(image, i), i * 0x010101u);
    // The threshold lies between 0x7F7F7F and 0x808080.
    ASSERT_TRUE(threshold.ThresholdFrom(source));
    EXPECT_EQ(Row(threshold, 0), (std::vector<uint32_t>{0, 1, 0, 1, 0, 1, 0}));
}

// GreyFrom and ThresholdFrom from every depth against the grey of each
// pixel's colour.
TEST(Grey, FromEveryDepth)
{
    for (uint32_t bits : kAllDepths) {
        SCOPED_TRACE(bits);
        CGraphicsImage source, grey, threshold;
        MakeRandom(source, bits, 21, 3, bits);
        ASSERT_TRUE(grey.GreyFrom(source));
        ASSERT_TRUE(threshold.ThresholdFrom(source));
        EXPECT_EQ(threshold.m_nBitCount, 1u);
        EXPECT_EQ(PaletteAt(threshold, 1), 0xFFFFFFu);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 21; ++x) {
                const uint32_t c = ColourAt(source, x, y);
                ASSERT_EQ(PixelAt(grey, x, y), Grey(c)) << x << "," << y;
                const uint32_t sum = 76 * ((c >> 16) & 255) + 152 * ((c >> 8) & 255) + 29 * (c & 255);
                ASSERT_EQ(PixelAt(threshold, x, y), sum > 32767 ? 1u : 0u) << x << "," << y;
            }
    }
}

TEST(Grey, MakeGreyPixelsOrPalette)
{
    for (uint32_t bits : kTrueColourDepths) {
        SCOPED_TRACE(bits);
        CGraphicsImage image, original;
        MakeRandom(image, bits, 9, 2, bits);
        ASSERT_TRUE(original.Assign(image));
        ASSERT_TRUE(image.MakeGrey());
        CGraphicsImage expected;
        ASSERT_TRUE(expected.Create(bits, 9, 2, 0, 0));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 9; ++x)
                SetAt(expected, x, y, Grey(PixelAt(original, x, y)) * 0x010101);
        ExpectSamePixels(image, expected);
    }
    CGraphicsImage palette, original;
    MakeRandom(palette, 4, 5, 5, 3);
    ASSERT_TRUE(original.Assign(palette));
    ASSERT_TRUE(palette.MakeGrey());
    EXPECT_EQ(0, std::memcmp(palette.m_pBits, original.m_pBits, original.m_nImageSize));
    for (uint32_t i = 0; i < 256; ++i) {
        const uint32_t c = PaletteAt(original, i);
        ASSERT_EQ(PaletteAt(palette, i), (c & 0xFF000000) | Grey(c) * 0x010101) << i;
    }
    CGraphicsImage empty;
    EXPECT_FALSE(empty.MakeGrey());
}

TEST(Grey, GreyCopyAndAliasing)
{
    CGraphicsImage source, image, empty;
    MakeRandom(source, 24, 4, 4, 9);
    ASSERT_TRUE(image.GreyCopy(source));
    EXPECT_EQ(image.m_nBitCount, 24u);
    EXPECT_EQ(PixelAt(image, 1, 1), Grey(PixelAt(source, 1, 1)) * 0x010101);
    EXPECT_FALSE(image.GreyCopy(empty));
    EXPECT_EQ(image.m_pBits, nullptr);

    CGraphicsImage self, original;
    MakeRandom(self, 4, 7, 3, 10);
    ASSERT_TRUE(original.Assign(self));
    ASSERT_TRUE(self.GreyFrom(self));
    EXPECT_EQ(self.m_nBitCount, 8u);
    for (int x = 0; x < 7; ++x)
        ASSERT_EQ(PixelAt(self, x, 2), Grey(ColourAt(original, x, 2)));
    ASSERT_TRUE(original.ThresholdFrom(original));
    EXPECT_EQ(original.m_nBitCount, 1u);
    EXPECT_FALSE(image.GreyFrom(empty));
    EXPECT_FALSE(image.ThresholdFrom(empty));
}

// ---- alpha masks -----------------------------------------------------------

// A width of 3 pads each 8-bit row; every alpha comes from the same position.
TEST(AlphaMask, FourModes)
{
    CGraphicsImage source;
    ASSERT_TRUE(source.Create(8, 3, 2, 0, 0));
    const uint8_t indices[2][3] = {{0, 10, 200}, {255, 1, 77}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            source.RowAt(y)[x] = indices[y][x];
    for (uint32_t i = 0; i < 256; ++i)
        source.SetPaletteRGB(i, 0x11, 0x22, uint8_t(i ^ 0x5A));
    for (uint32_t mode = 0; mode < 8; ++mode) {
        SCOPED_TRACE(mode);
        CGraphicsImage mask;
        ASSERT_TRUE(mask.CreateAlphaMask(source, mode, RGB(0x12, 0x34, 0x56)));
        ASSERT_EQ(mask.m_nBitCount, 32u);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                uint32_t a = (mode & 2) ? (indices[y][x] ^ 0x5A) : indices[y][x];
                if (mode & 1)
                    a = 255 - a;
                ASSERT_EQ(PixelAt(mask, x, y), (a << 24) | 0x123456u) << x << "," << y;
            }
    }
}

TEST(AlphaMask, OnlyFromEightBitPictures)
{
    CGraphicsImage image, empty, deep, zero;
    EXPECT_FALSE(image.CreateAlphaMask(empty, 0, 0));
    ASSERT_TRUE(deep.Create(24, 2, 2, 0, 0));
    EXPECT_FALSE(image.CreateAlphaMask(deep, 0, 0));
    ASSERT_TRUE(zero.Create(8, 0, 2, 0, 0));
    EXPECT_FALSE(image.CreateAlphaMask(zero, 0, 0));
    EXPECT_EQ(image.m_pBits, nullptr);

    CGraphicsImage self = RowImage(8, {0, 9});
    ASSERT_TRUE(self.CreateAlphaMask(self, 0, RGB(0, 0, 0xFF)));
    EXPECT_EQ(Row(self, 0), (std::vector<uint32_t>{0x000000FF, 0x090000FF}));
}

// ---- smoothing -------------------------------------------------------------

// The weights written out: centre T - 12, orthogonal 2, diagonal 1, an
// outside neighbour replaced by the centre.
uint32_t SmoothReference(const CGraphicsImage& s, int x, int y, uint32_t total)
{
    const uint32_t centre = ColourAt(s, x, y);
    uint32_t sum[3] = {};
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const uint32_t weight = (dx == 0 && dy == 0) ? total - 12 : (dx == 0 || dy == 0) ? 2 : 1;
            const int nx = x + dx, ny = y + dy;
            const bool inside = nx >= 0 && ny >= 0 && nx < int(s.m_nWidth) && ny < int(s.m_nHeight);
            const uint32_t c = inside ? ColourAt(s, nx, ny) : centre;
            for (int k = 0; k < 3; ++k)
                sum[k] += weight * ((c >> (8 * k)) & 255);
        }
    return ((sum[2] / total) << 16) | ((sum[1] / total) << 8) | (sum[0] / total);
}

TEST(Smooth, MatchesWeightsAtEveryStrength)
{
    const uint32_t strengths[] = {0, 11, 12, 15, 31, 100, 255, 0x10F};
    for (uint32_t from : kAllDepths)
        for (uint32_t strength : strengths) {
            SCOPED_TRACE(testing::Message() << from << " bits, strength " << strength);
            CGraphicsImage source, image, expected;
            MakeRandom(source, from, 7, 4, from * 1000 + strength);
            ASSERT_TRUE(image.SmoothFrom(source, strength, 24));
            const uint32_t total = std::max(strength & 255, 11u) + 1;
            ASSERT_TRUE(expected.Create(24, 7, 4, 0, 0));
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 7; ++x)
                    SetAt(expected, x, y, SmoothReference(source, x, y, total));
            ExpectSamePixels(image, expected);
        }
}

TEST(Smooth, ExactNumbers)
{
    // Strength 15: 1 2 1 / 2 4 2 / 1 2 1 over 16.
    CGraphicsImage source, image;
    ASSERT_TRUE(source.Create(24, 3, 3, 0, 0));
    SetAt(source, 1, 1, 0x0000FF);
    ASSERT_TRUE(image.SmoothFrom(source, 15, 32));
    EXPECT_EQ(Row(image, 1), (std::vector<uint32_t>{31, 63, 31}));  // 2 4 2 × 255 / 16
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{15, 31, 15}));  // 1 2 1 × 255 / 16
    // Strengths up to 11: total 12, the centre not counted.
    ASSERT_TRUE(image.SmoothFrom(source, 3, 24));
    EXPECT_EQ(Row(image, 1), (std::vector<uint32_t>{42, 0, 42}));  // 2 × 255 / 12
    EXPECT_EQ(Row(image, 2), (std::vector<uint32_t>{21, 42, 21}));
}

TEST(Smooth, UniformStaysUniformToTheEdges)
{
    for (uint32_t bits : kTrueColourDepths) {
        CGraphicsImage source, image;
        ASSERT_TRUE(source.Create(24, 5, 4, 0x8040C0, 0));
        ASSERT_TRUE(image.SmoothFrom(source, 0, bits));
        CGraphicsImage expected;
        ASSERT_TRUE(expected.Create(bits, 5, 4, 0x8040C0, 0));
        ExpectSamePixels(image, expected);
    }
}

TEST(Smooth, FailuresAndAliasing)
{
    CGraphicsImage source, image, empty, zero;
    MakeRandom(source, 24, 4, 3, 2);
    for (uint32_t bits : {0u, 1u, 2u, 4u, 8u, 13u}) {
        ASSERT_TRUE(image.Assign(source));
        EXPECT_FALSE(image.SmoothFrom(source, 15, bits)) << bits;
        EXPECT_EQ(image.m_pBits, nullptr);
    }
    EXPECT_FALSE(image.SmoothFrom(empty, 15, 24));
    ASSERT_TRUE(zero.Create(24, 3, 0, 0, 0));
    EXPECT_FALSE(image.SmoothFrom(zero, 15, 24));
    ASSERT_TRUE(zero.Create(24, 0, 3, 0, 0));
    EXPECT_FALSE(image.SmoothFrom(zero, 15, 24));

    CGraphicsImage self, expected;
    ASSERT_TRUE(self.Assign(source));
    ASSERT_TRUE(expected.SmoothFrom(source, 20, 16));
    ASSERT_TRUE(self.SmoothFrom(self, 20, 16));
    ExpectSamePixels(self, expected);
}

}  // namespace
