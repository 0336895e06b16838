#include <gtest/gtest.h>

#include "graphics/image.h"
#include "tests/graphics/convert_reference.h"

using namespace convert_test;

namespace {

// An 8-bit image whose palette holds distinct colours i × 0x010203 + 1.
void MakeDistinct(CGraphicsImage& image, uint32_t width, uint32_t height)
{
    ASSERT_TRUE(image.Create(8, width, height, 0, 0));
    for (uint32_t i = 0; i < 256; ++i)
        image.SetPaletteEntry(i, i * 0x010203 + 1);
}

TEST(CompactPalette, MovesTheHighestUsedEntryIntoHoles)
{
    CGraphicsImage image;
    MakeDistinct(image, 3, 2);
    image.RowAt(0)[1] = 200;
    image.RowAt(1)[2] = 200;
    const uint32_t moved = PaletteAt(image, 200);
    EXPECT_TRUE(image.CompactPalette());
    EXPECT_EQ(PaletteAt(image, 1), moved);
    EXPECT_EQ(PaletteAt(image, 200), moved);  // the old slot keeps its colour
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{0, 1, 0}));
    EXPECT_EQ(Row(image, 1), (std::vector<uint32_t>{0, 0, 1}));
}

TEST(CompactPalette, NoDuplicatesNoHolesUnchanged)
{
    CGraphicsImage image, original;
    MakeDistinct(image, 16, 16);
    for (uint32_t i = 0; i < 256; ++i)
        image.RowAt(int(i / 16))[i % 16] = uint8_t(255 - i);
    ASSERT_TRUE(original.Assign(image));
    EXPECT_TRUE(image.CompactPalette());
    EXPECT_EQ(0, std::memcmp(image.m_pBits, original.m_pBits, original.m_nImageSize));
    EXPECT_EQ(0, std::memcmp(image.m_pPalette, original.m_pPalette, 1024));
}

TEST(CompactPalette, DuplicatesMergeIntoTheirFirstOccurrence)
{
    CGraphicsImage image;
    MakeDistinct(image, 4, 1);
    image.SetPaletteEntry(9, PaletteAt(image, 2));
    image.SetPaletteEntry(10, PaletteAt(image, 3) ^ 0x01000000);  // differs in the fourth byte only
    const uint8_t pixels[4] = {2, 9, 10, 3};
    std::memcpy(image.RowAt(0), pixels, 4);
    EXPECT_TRUE(image.CompactPalette());
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{2, 2, 0, 1})) << "used: 2, 3, 10; holes 0 and 1 take 10 and 3";
}

// A duplicate of an entry that moves follows it; an unused slot that was
// itself a duplicate takes a colour without dragging pixels along.
TEST(CompactPalette, IndexMapIsTransitive)
{
    CGraphicsImage image;
    MakeDistinct(image, 3, 1);
    image.SetPaletteEntry(210, PaletteAt(image, 200));
    image.SetPaletteEntry(1, PaletteAt(image, 0));
    const uint8_t pixels[3] = {0, 210, 200};
    std::memcpy(image.RowAt(0), pixels, 3);
    const uint32_t colour = PaletteAt(image, 200);
    EXPECT_TRUE(image.CompactPalette());
    EXPECT_EQ(PaletteAt(image, 1), colour);
    EXPECT_EQ(Row(image, 0), (std::vector<uint32_t>{0, 1, 1}));
}

// Random pictures: every pixel keeps its colour, and the used indices are
// exactly 0 .. k-1 for k distinct colours.
TEST(CompactPalette, KeepsColoursAndPacksIndices)
{
    lindar_test::Rng rng(5);
    for (int pass = 0; pass < 50; ++pass) {
        CGraphicsImage image, original;
        MakeDistinct(image, 7, 5);
        for (int d = 0; d < 20; ++d)  // some duplicates
            image.SetPaletteEntry(rng.Next() & 255, PaletteAt(image, rng.Next() & 255));
        const uint32_t spread = 1 + rng.Next() % 255;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                image.RowAt(y)[x] = uint8_t(rng.Next() % spread * (256 / spread));
        ASSERT_TRUE(original.Assign(image));
        EXPECT_TRUE(image.CompactPalette());
        std::vector<uint32_t> distinct;
        uint32_t highest = 0;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) {
                ASSERT_EQ(ColourAt(image, x, y), ColourAt(original, x, y)) << pass;
                highest = std::max(highest, PixelAt(image, x, y));
                const uint32_t c = ColourAt(original, x, y);
                if (std::find(distinct.begin(), distinct.end(), c) == distinct.end())
                    distinct.push_back(c);
            }
        EXPECT_EQ(highest + 1, distinct.size()) << pass;
    }
}

TEST(CompactPalette, PaddingClearedAndOtherDepthsRefused)
{
    CGraphicsImage image;
    MakeDistinct(image, 3, 2);
    image.RowAt(0)[3] = 0xEE;  // row padding, not a pixel
    EXPECT_TRUE(image.CompactPalette());
    EXPECT_EQ(image.RowAt(0)[3], 0);
    EXPECT_EQ(PaletteAt(image, 1), 0x010204u);  // entry 0xEE did not count
    for (uint32_t bits : {1u, 4u, 24u}) {
        ASSERT_TRUE(image.Create(bits, 2, 2, 0, 0));
        EXPECT_FALSE(image.CompactPalette());
    }
    CGraphicsImage empty;
    EXPECT_FALSE(empty.CompactPalette());
}

}  // namespace
