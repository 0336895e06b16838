// The soft plot functions: weights of the 3 × 3 neighbourhood, clipping at
// the image's corners, palette reads and the fourth byte.
#include <gtest/gtest.h>

#include "graphics/plot.h"

#include <climits>
#include "tests/graphics/draw_test_util.h"
#include "tests/support/test_support.h"

using namespace draw_test;

namespace {

// new = (old × (32 - w) + colour × w) >> 5 with the weights
// 1 2 1 / 2 20 2 / 1 2 1, on each of red, green and blue.
TEST(PlotSoft, NeighbourhoodWeights)
{
    CGraphicsImage image = Make(24, 5, 5, 0xFFFFFF);
    PlotSoft(&image, 2, 2, 0x000000);
    const uint32_t corner = (255 * 31) >> 5, edge = (255 * 30) >> 5, centre = (255 * 12) >> 5;
    const uint32_t grey[3] = {corner, edge, centre};
    const int kind[3][3] = {{0, 1, 0}, {1, 2, 1}, {0, 1, 0}};
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const uint32_t g = grey[kind[dy + 1][dx + 1]];
            EXPECT_EQ(Get(image, 2 + dx, 2 + dy), g << 16 | g << 8 | g) << dx << "," << dy;
        }
    EXPECT_EQ(Get(image, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Get(image, 4, 2), 0xFFFFFFu);

    // Channels blend separately.
    CGraphicsImage colour = Make(24, 3, 3, 0x000000);
    PlotSoft(&colour, 1, 1, 0xFF8040);
    EXPECT_EQ(Get(colour, 1, 1), (uint32_t((0xFF * 20) >> 5) << 16) | (uint32_t((0x80 * 20) >> 5) << 8) | ((0x40 * 20) >> 5));
}

TEST(PlotSoft, ClipsAtCornersAndOutside)
{
    CGraphicsImage image = Make(24, 4, 4, 0);
    PlotSoft(&image, 0, 0, 0xFFFFFF);
    EXPECT_EQ(Painted(image), PixelSet({{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
    PlotSoft(&image, -1, 3, 0xFFFFFF);  // centre outside: only its right column
    EXPECT_EQ(Painted(image), PixelSet({{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}, {0, 3}}));
    PlotSoft(&image, -2, 1, 0xFFFFFF);
    PlotSoft(&image, 100, 100, 0xFFFFFF);
    EXPECT_EQ(Painted(image).size(), 6u);
    CGraphicsImage empty;
    PlotSoft(&empty, 0, 0, 0xFFFFFF);
}

TEST(PlotSoft, FourthByteAndPalettes)
{
    CGraphicsImage image = Make(32, 3, 3, 0xFF000000);
    PlotSoft(&image, 1, 1, 0x00FFFFFF);
    EXPECT_EQ(Get(image, 1, 1) >> 24, 0u);  // PlotSoft writes 0x00RRGGBB
    CGraphicsImage alpha = Make(32, 3, 3, 0xFF000000);
    PlotSoftAlpha(&alpha, 1, 1, 0x00FFFFFF);
    EXPECT_EQ(Get(alpha, 1, 1), 0x5F9F9F9Fu);  // alpha 255 × 12 >> 5, colour 255 × 20 >> 5
    EXPECT_EQ(Get(alpha, 0, 0) >> 24, (255u * 31) >> 5);

    // A palette pixel is read as its palette colour.
    CGraphicsImage palette = Make(8, 3, 3, 0);
    palette.SetPaletteEntry(0, 0x0000FF);
    PlotSoft(&palette, 1, 1, 0x000000);
    EXPECT_EQ(Get(palette, 0, 0), ((255u * 31) >> 5) & 0xFF);
}

// Inside the image the 24- and 32-bit soft plots blend in place; held to the
// documented per-channel formula on random pixels.
TEST(PlotSoft, InPlaceBlendMatchesTheFormula)
{
    lindar_test::Rng rng(21);
    const int weights[3][3] = {{1, 2, 1}, {2, 20, 2}, {1, 2, 1}};
    for (uint32_t bits : {24u, 32u}) {
        for (bool alpha : {false, true}) {
            CGraphicsImage image = Make(bits, 8, 8, 0);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    Set(image, x, y, rng.Next());
            CGraphicsImage before(image);
            const uint32_t colour = rng.Next();
            (alpha ? PlotSoftAlpha : PlotSoft)(&image, 4, 3, colour);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const uint32_t old = Get(before, 4 + dx, 3 + dy), w = uint32_t(weights[dy + 1][dx + 1]);
                    uint32_t want = 0;
                    for (int shift = 0; shift < (alpha ? 32 : 24); shift += 8)
                        want |= ((((old >> shift) & 255) * (32 - w) + ((colour >> shift) & 255) * w) >> 5) << shift;
                    if (bits == 24)
                        want &= 0xFFFFFF;
                    EXPECT_EQ(Get(image, 4 + dx, 3 + dy), want) << bits << " " << alpha << " " << dx << "," << dy;
                }
        }
    }
}

}  // namespace

// Every plot and brush at the ends of the int range touches nothing and,
// in the sanitizer build, computes no overflowing coordinate.
TEST(PlotFunctions, ExtremeCoordinatesTouchNothing)
{
    const PixelPlotFn plots[] = {PlotPixel,     PlotSoft,   PlotSoftAlpha, PlotPixelCopy, PlotSquare2,
                                 PlotPlus,      PlotRound4, PlotSoftRound3, PlotSoftRound5};
    const int ends[] = {INT_MIN, INT_MIN + 1, INT_MAX - 1, INT_MAX};
    for (const uint32_t bits : {8u, 24u, 32u}) {
        CGraphicsImage image = Make(bits, 4, 4, 0);
        for (const PixelPlotFn plot : plots)
            for (const int x : ends)
                for (const int y : {x, 1})
                    plot(&image, x, y, 0xFFFFFF), plot(&image, y, x, 0xFFFFFF);
        EXPECT_TRUE(Painted(image).empty()) << bits;
    }
}
