#include <gtest/gtest.h>

#include "graphics/image.h"
#include "tests/graphics/convert_reference.h"

using namespace convert_test;

namespace {

constexpr uint32_t kSmooth = CGraphicsImage::RESIZE_SMOOTH;
constexpr uint32_t kTo32 = CGraphicsImage::RESIZE_TO_32;

struct Size {
    uint32_t w, h;
};

// Up, down, mixed and non-integer factors; 1-pixel edges.
constexpr Size kSourceSizes[] = {{13, 7}, {1, 1}, {40, 3}};
constexpr Size kTargetSizes[] = {{5, 3}, {29, 17}, {1, 9}, {40, 1}, {3, 3}};

TEST(Resize, EveryDepthAndFlagMatchesThePerPixelDefinition)
{
    uint64_t seed = 7;
    for (uint32_t bits : kAllDepths)
        for (uint32_t flags : {0u, kTo32, kSmooth, kSmooth | kTo32})
            for (const Size& from : kSourceSizes)
                for (const Size& to : kTargetSizes) {
                    if (from.w == to.w && from.h == to.h)
                        continue;
                    SCOPED_TRACE(testing::Message() << bits << " bits, flags " << flags << ", " << from.w << "x"
                                                    << from.h << " -> " << to.w << "x" << to.h);
                    CGraphicsImage source, actual, expected;
                    MakeRandom(source, bits, from.w, from.h, seed++);
                    ASSERT_TRUE(actual.Resize(source, to.w, to.h, flags));
                    ReferenceResize(source, to.w, to.h, flags, expected);
                    ExpectSamePixels(actual, expected, true);
                }
}

TEST(Resize, ResultDepth)
{
    const struct {
        uint32_t bits, flags, result;
    } cases[] = {{8, 0, 8}, {8, kSmooth, 24}, {8, kTo32, 32}, {4, kSmooth | kTo32, 32}, {16, 0, 16},
                          {16, kSmooth, 24}, {32, 0, 32}, {32, kSmooth, 32}, {24, kTo32, 32}, {12, 0, 12}};
    for (const auto& c : cases) {
        CGraphicsImage source, image;
        MakeRandom(source, c.bits, 6, 6, c.bits);
        ASSERT_TRUE(image.Resize(source, 3, 4, c.flags));
        EXPECT_EQ(image.m_nBitCount, c.result) << c.bits << " flags " << c.flags;
    }
}

TEST(Resize, SameSizeIsACopy)
{
    CGraphicsImage source, image;
    MakeRandom(source, 8, 32, 32, 5);
    ASSERT_TRUE(image.Resize(source, 32, 32, 0));
    EXPECT_EQ(image.m_nBitCount, 8u);
    ASSERT_EQ(image.m_nImageSize, source.m_nImageSize);
    EXPECT_EQ(0, std::memcmp(image.m_pBits, source.m_pBits, source.m_nImageSize));
    EXPECT_EQ(0, std::memcmp(image.m_pPalette, source.m_pPalette, 1024));
    ASSERT_TRUE(image.Resize(source, 32, 32, kSmooth));
    EXPECT_EQ(image.m_nBitCount, 8u);

    ASSERT_TRUE(image.Resize(source, 32, 32, kTo32));
    EXPECT_EQ(image.m_nBitCount, 32u);
    CGraphicsImage expected;
    ReferenceConvert(source, 32, expected);
    ExpectSamePixels(image, expected);
}

// The numbers of a 4 x 1 row halved, and partial coverage weights.
TEST(Resize, ExactSmallCases)
{
    CGraphicsImage source = RowImage(24, {0x102030, 0x112233, 0xFF0001, 0x00FF02}), image;
    ASSERT_TRUE(image.Resize(source, 2, 1, 0));
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{0x102030, 0xFF0001}));
    ASSERT_TRUE(image.Resize(source, 2, 1, kSmooth));
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{0x102131, 0x7F7F01}));  // 0x21 / 2 and 0x63 / 2 truncate

    // 3 -> 2: cells [0, 384) and [384, 768) in 1/256 pixel: 128 × 255 / 384 and
    // (128 × 255 + 256 × 100) / 384 = 151.7.
    ASSERT_TRUE(image.Resize(RowImage(24, {0, 0x0000FF, 0x000064}), 2, 1, kSmooth));
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{85, 151}));

    // 2 -> 3: each cell widened to one whole source pixel, kept inside; the
    // middle one [170, 426) gives 170 × 255 / 256.
    ASSERT_TRUE(image.Resize(RowImage(24, {0, 0x0000FF}), 3, 1, kSmooth));
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{0, 169, 255}));
}

// Uniform pictures stay uniform at extreme factors, where the interval
// bounds pass 32 bits (32768 × 256 × d) and the sums pass 32 bits (large
// areas of white).
TEST(Resize, UniformStaysUniformAtExtremeFactors)
{
    const struct {
        uint32_t bits;
        Size from, to;
    } cases[] = {
        {24, {32768, 1}, {1000, 1}}, {24, {32768, 1}, {1, 1}},   {32, {1, 32768}, {1, 999}},
        {24, {2048, 2048}, {20, 20}}, {32, {2048, 2048}, {7, 3}}, {24, {1, 1}, {3000, 2}}, {8, {3, 2}, {32768, 1}},
    };
    for (const auto& c : cases) {
        for (uint32_t flags : {0u, kSmooth, kSmooth | kTo32}) {
            SCOPED_TRACE(testing::Message() << c.from.w << "x" << c.from.h << " -> " << c.to.w << "x" << c.to.h
                                            << " flags " << flags);
            CGraphicsImage source, image;
            const uint32_t fill = c.bits == 8 ? 0xFEu : 0xFFFFFFFFu;
            ASSERT_TRUE(source.Create(c.bits, c.from.w, c.from.h, fill, 0));
            source.SetPaletteEntry(0xFE, 0xFFFFFFFF);
            ASSERT_TRUE(image.Resize(source, c.to.w, c.to.h, flags));
            // A 24-bit source has no alpha; the palette's alpha is mixed.
            const uint32_t expected = image.m_nBitCount == 8    ? 0xFEu
                                      : image.m_nBitCount == 24 ? 0xFFFFFFu
                                      : c.bits == 24            ? 0x00FFFFFFu
                                                                : 0xFFFFFFFFu;
            for (uint32_t y = 0; y < c.to.h; ++y)
                for (uint32_t x = 0; x < c.to.w; ++x)
                    ASSERT_EQ(PixelAt(image, int(x), int(y)), expected) << x << "," << y;
        }
    }
}

// A large downscale with a gradient, where the sums need 64 bits, against
// the reference.
TEST(Resize, LargeDownscaleMatchesReference)
{
    CGraphicsImage source, actual, expected;
    ASSERT_TRUE(source.Create(24, 2048, 2048, 0, 0));
    for (uint32_t y = 0; y < 2048; ++y)
        for (uint32_t x = 0; x < 2048; ++x)
            SetAt(source, int(x), int(y), ((x >> 3) << 16) | ((y >> 3) << 8) | ((x + y) & 255));
    ASSERT_TRUE(actual.Resize(source, 19, 23, kSmooth));
    ReferenceResize(source, 19, 23, kSmooth, expected);
    ExpectSamePixels(actual, expected);
}

// Factor 16 both ways: totals of 2^24, the largest divided by multiplying.
TEST(Resize, LargestNarrowTotalsMatchReference)
{
    CGraphicsImage source, actual, expected;
    MakeRandom(source, 32, 4000, 4000, 21);
    ASSERT_TRUE(actual.Resize(source, 250, 250, kSmooth));
    ReferenceResize(source, 250, 250, kSmooth, expected);
    ExpectSamePixels(actual, expected);
}

// The fourth byte of a smooth 32-bit result.
TEST(Resize, SmoothFourthByteFollowsAlphaMode)
{
    CGraphicsImage source = RowImage(32, {0xFF000000, 0x00000000}), image;
    ASSERT_TRUE(image.Resize(source, 1, 1, kSmooth));
    EXPECT_EQ(PixelAt(image, 0, 0), 0x7F000000u);  // mixed: averaged

    SetAt(source, 1, 0, 0xFF0000FF);
    ASSERT_TRUE(image.Resize(source, 1, 1, kSmooth));
    EXPECT_EQ(PixelAt(image, 0, 0), 0xFF00007Fu);  // all 255

    ASSERT_TRUE(source.Create(24, 2, 1, 0x0000FF, 0));
    ASSERT_TRUE(image.Resize(source, 1, 1, kSmooth | kTo32));
    EXPECT_EQ(PixelAt(image, 0, 0), 0x000000FFu);  // 24 bits: no alpha

    ASSERT_TRUE(source.Create(8, 2, 1, 0, 0));
    source.RowAt(0)[1] = 1;
    for (uint32_t i = 0; i < 256; ++i)
        source.SetPaletteEntry(i, 0xFF000000);
    source.SetPaletteEntry(1, 0xFF0000FF);
    ASSERT_TRUE(image.Resize(source, 1, 1, kSmooth | kTo32));
    EXPECT_EQ(PixelAt(image, 0, 0), 0xFF00007Fu);  // palette alpha all 255
}

TEST(Resize, FailuresLeaveTheImageEmpty)
{
    CGraphicsImage source, image, empty;
    MakeRandom(source, 24, 4, 4, 1);
    EXPECT_FALSE(image.Resize(empty, 2, 2, 0));
    EXPECT_EQ(image.m_pBits, nullptr);
    for (uint32_t flags : {0u, kSmooth}) {
        ASSERT_TRUE(image.Resize(source, 2, 2, 0));
        EXPECT_FALSE(image.Resize(source, 0, 2, flags));
        EXPECT_EQ(image.m_pBits, nullptr);
        EXPECT_FALSE(image.Resize(source, 2, 0, flags));
        EXPECT_FALSE(image.Resize(source, 32769, 2, flags));
        EXPECT_EQ(image.m_nError, CGraphicsImage::ERROR_SIZE);
    }
    CGraphicsImage zero;
    ASSERT_TRUE(zero.Create(24, 0, 3, 0, 0));
    EXPECT_FALSE(image.Resize(zero, 2, 2, kSmooth));
}

TEST(Resize, SourceMayBeThisImage)
{
    for (uint32_t flags : {0u, kSmooth, kTo32}) {
        CGraphicsImage image, original, expected;
        MakeRandom(image, 8, 9, 5, flags);
        ASSERT_TRUE(original.Assign(image));
        ASSERT_TRUE(image.Resize(image, 4, 7, flags));
        ReferenceResize(original, 4, 7, flags, expected);
        ExpectSamePixels(image, expected, true);
    }
}

}  // namespace
