#include <gtest/gtest.h>

#include "graphics/image.h"
#include "tests/graphics/convert_reference.h"

using namespace convert_test;

namespace {

// Every source depth into every true-colour depth, at widths that leave odd
// 12-bit pairs and partial palette bytes, against the per-pixel definition.
TEST(ConvertFrom, EveryDepthPairMatchesThePerPixelDefinition)
{
    const uint32_t widths[] = {1, 13, 64};
    uint64_t seed = 1;
    for (uint32_t from : kAllDepths)
        for (uint32_t to : kTrueColourDepths)
            for (uint32_t w : widths) {
                if (from == to)
                    continue;
                SCOPED_TRACE(testing::Message() << from << " -> " << to << " width " << w);
                CGraphicsImage source, actual, expected;
                MakeRandom(source, from, w, 5, seed++);
                ASSERT_TRUE(actual.ConvertFrom(source, to));
                ReferenceConvert(source, to, expected);
                ExpectSamePixels(actual, expected);
            }
}

TEST(ConvertFrom, DepthChoiceAndFailures)
{
    CGraphicsImage source, image;
    ASSERT_TRUE(source.Create(8, 3, 2, 0, 0));
    source.SetPaletteEntry(0, 0x11223344);
    ASSERT_TRUE(image.ConvertFrom(source, 0));  // 0 means 24
    EXPECT_EQ(image.m_nBitCount, 24u);
    EXPECT_EQ(PixelAt(image, 2, 1), 0x223344u);
    ASSERT_TRUE(image.ConvertFrom(source, 32));
    EXPECT_EQ(PixelAt(image, 0, 0), 0x11223344u);  // the whole palette entry

    for (uint32_t bits : {1u, 8u, 11u}) {
        EXPECT_FALSE(image.ConvertFrom(source, bits)) << bits;
        EXPECT_EQ(image.m_pBits, nullptr);
        EXPECT_EQ(image.m_nError, CGraphicsImage::ERROR_DEPTH);
    }
    EXPECT_FALSE(image.ConvertFrom(source, 13));
    EXPECT_EQ(image.m_nError, CGraphicsImage::ERROR_DEPTH);

    CGraphicsImage empty, zeroWide;
    EXPECT_FALSE(image.ConvertFrom(empty, 24));
    EXPECT_EQ(image.m_nError, CGraphicsImage::ERROR_DEPTH);
    ASSERT_TRUE(zeroWide.Create(24, 0, 4, 0, 0));
    EXPECT_FALSE(image.ConvertFrom(zeroWide, 32));
}

TEST(ConvertFrom, SameDepthIsACopyWithPalette)
{
    CGraphicsImage source, image;
    MakeRandom(source, 24, 7, 3, 11);
    ASSERT_TRUE(image.ConvertFrom(source, 24));
    ASSERT_EQ(image.m_nImageSize, source.m_nImageSize);
    EXPECT_EQ(0, std::memcmp(image.m_pBits, source.m_pBits, source.m_nImageSize));
}

// Flag bit and fourth byte survive where the depths can hold them.
TEST(ConvertFrom, FlagBitAndFourthByte)
{
    CGraphicsImage source = RowImage(15, {0x80FFFFFF, 0}), image;
    ASSERT_TRUE(image.ConvertFrom(source, 32));
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{0x80F8F8F8, 0}));
    CGraphicsImage back;
    ASSERT_TRUE(back.ConvertFrom(image, 15));
    EXPECT_EQ(PixelAt(back, 0, 0), 0x80F8F8F8u);
}

TEST(ConvertFrom, SourceMayBeThisImage)
{
    for (uint32_t from : kAllDepths) {
        SCOPED_TRACE(from);
        CGraphicsImage image, original, expected;
        MakeRandom(image, from, 9, 4, from);
        ASSERT_TRUE(original.Assign(image));
        ASSERT_TRUE(image.ConvertFrom(image, 32));
        ReferenceConvert(original, 32, expected);
        ExpectSamePixels(image, expected);
    }
}

// ---- MapToPalette ----------------------------------------------------------

TEST(MapToPalette, DepthAndCountFromSpec)
{
    CGraphicsImage source;
    MakeRandom(source, 24, 5, 3, 3);
    for (const auto& [spec, bits] : {std::pair{0x00000002u, 1u}, {0x00000003u, 2u}, {0x00000004u, 2u},
                                     {0x00000005u, 4u}, {0x00000010u, 4u}, {0x00000011u, 8u}, {0x04000003u, 4u},
                                     {0x01000005u, 1u}, {0x08000000u, 8u}}) {
        CGraphicsImage image;
        ASSERT_TRUE(image.MapToPalette(source, spec, nullptr)) << std::hex << spec;
        EXPECT_EQ(image.m_nBitCount, bits) << std::hex << spec;
    }
    CGraphicsImage image;
    for (uint32_t spec : {0x03000004u, 0x10000004u, 0x20000000u, 0x0C000002u}) {
        EXPECT_FALSE(image.MapToPalette(source, spec, nullptr)) << std::hex << spec;
        EXPECT_EQ(image.m_pBits, nullptr);
    }
    CGraphicsImage empty;
    EXPECT_FALSE(image.MapToPalette(empty, 2, nullptr));
}

// Matched by the sum of absolute differences (not squares); the first of
// equally near colours wins; the fourth byte never counts.
TEST(MapToPalette, NearestBySumOfDifferencesFirstWins)
{
    // 0xFF0A0A0A: |d| prefers 0x280A0A (30 < 36), squares 0x161616; 0x808080 is equally far from 0x908080
    // and 0x708080.
    const CGraphicsImage source = RowImage(32, {0xFF0A0A0A, 0x00808080, 0x00708080});
    CGraphicsImage image;
    const std::vector<uint32_t> colours = {0x161616, 0x280A0A, 0x908080, 0x708080};
    ASSERT_TRUE(image.MapToPalette(source, 0x04000004, colours.data()));
    EXPECT_EQ(image.m_nBitCount, 4u);
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(Palette(image, 4), colours) << "the matched colours are the result's palette";
    EXPECT_EQ(ColorDistance(0x0A0A0A, 0x280A0A), 30);
    EXPECT_EQ(ColorDistance(0x0A0A0A, 0x161616), 36);
}

// n is limited to the depth's colours; only the first n are matched.
TEST(MapToPalette, CountLimitedByDepth)
{
    CGraphicsImage source, image;
    ASSERT_TRUE(source.Create(24, 1, 1, 0x0000F0, 0));
    const uint32_t colours[3] = {0x000000, 0x000080, 0x0000FF};
    ASSERT_TRUE(image.MapToPalette(source, 0x01000003, colours));
    EXPECT_EQ(PixelAt(image, 0, 0), 1u);
    ASSERT_TRUE(image.MapToPalette(source, 0x02000003, colours));
    EXPECT_EQ(PixelAt(image, 0, 0), 2u);
}

TEST(MapToPalette, OwnOrDefaultPaletteAndAliasing)
{
    const CGraphicsImage source = RowImage(24, {0xFEFEFE, 0x7F0000});

    // An empty image matches against the default palette of the depth.
    CGraphicsImage image;
    ASSERT_TRUE(image.MapToPalette(source, 0x04000000, nullptr));
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{15, 4}));  // 4: 0x800000

    // A palette image matches against its own palette, which it keeps.
    CGraphicsImage own;
    ASSERT_TRUE(own.Create(2, 1, 1, 0, 0));
    const uint32_t ownColours[] = {0x7F0000, 0xFFFFFF, 0x123456, 0x654321};
    for (uint32_t i = 0; i < 4; ++i)
        own.SetPaletteEntry(i, ownColours[i]);
    ASSERT_TRUE(own.MapToPalette(source, 0x02000000, nullptr));
    EXPECT_EQ(Row(own, 0), (std::vector<uint32_t>{1, 0}));
    EXPECT_EQ(PaletteAt(own, 2), 0x123456u);

    // A palette pointing into this image's own palette is read before the
    // image is re-created.
    CGraphicsImage pointed;
    ASSERT_TRUE(pointed.Create(8, 1, 1, 0, 0));
    pointed.SetPaletteEntry(0, 0x000000);
    pointed.SetPaletteEntry(1, 0x7F0000);
    ASSERT_TRUE(pointed.MapToPalette(source, 0x01000002, reinterpret_cast<const uint32_t*>(pointed.m_pPalette)));
    EXPECT_EQ(Row(pointed, 0), (std::vector<uint32_t>{1, 1}));
    EXPECT_EQ(PaletteAt(pointed, 1), 0x7F0000u);

    // The source is this image: its own pixels matched against its own palette.
    CGraphicsImage self = RowImage(8, {2, 3, 1});
    const uint32_t selfColours[] = {0x000000, 0xFFFFFF, 0xF0F0F0, 0x101010};
    for (uint32_t i = 0; i < 4; ++i)
        self.SetPaletteEntry(i, selfColours[i]);
    ASSERT_TRUE(self.MapToPalette(self, 0x01000002, nullptr));
    EXPECT_EQ(self.m_nBitCount, 1u);
    EXPECT_EQ(Row(self, 0), (std::vector<uint32_t>{1, 0, 1}));
}

// Random images against a search written out here, palette sources too.
TEST(MapToPalette, MatchesExhaustiveSearch)
{
    for (uint32_t from : kAllDepths) {
        SCOPED_TRACE(from);
        CGraphicsImage source, image;
        MakeRandom(source, from, 11, 4, 100 + from);
        lindar_test::Rng rng(from);
        uint32_t colours[16];
        for (uint32_t& c : colours)
            c = rng.Next() & 0xFFFFFF;
        colours[5] = colours[2];  // a duplicate never wins
        ASSERT_TRUE(image.MapToPalette(source, 0x04000010, colours));
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 11; ++x) {
                const uint32_t c = ColourAt(source, int(x), int(y));
                uint32_t best = 0;
                for (uint32_t i = 1; i < 16; ++i)
                    if (ColorDistance(c, colours[i]) < ColorDistance(c, colours[best]))
                        best = i;
                ASSERT_EQ(PixelAt(image, int(x), int(y)), best) << x << "," << y;
            }
    }
}

}  // namespace
