#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "graphics/image.h"
#include "graphics/plot.h"
#include "tests/graphics/convert_reference.h"

using namespace convert_test;

namespace {

typedef std::set<std::pair<int, int>> Points;

Points Block(int x0, int y0, int x1, int y1)
{
    Points p;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            p.insert({x, y});
    return p;
}

Points Without(Points p, const Points& minus)
{
    for (const auto& q : minus)
        p.erase(q);
    return p;
}

struct Brush {
    const char* name;
    PixelPlotFn plot;
    Points solid, blended;  // offsets from the plotted point
};

// The ring of PlotSoftRound3: diagonals and the points two away.
const Points kRound3Ring = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}, {0, -2}, {-2, 0}, {0, 2}, {2, 0}};

std::vector<Brush> Brushes()
{
    const Points plus = {{0, 0}, {0, -1}, {-1, 0}, {0, 1}, {1, 0}};
    const Points block3 = Block(-1, -1, 1, 1);
    return {
        {"PlotPixelCopy", PlotPixelCopy, {{0, 0}}, {}},
        {"PlotSquare2", PlotSquare2, Block(0, 0, 1, 1), {}},
        {"PlotPlus", PlotPlus, plus, {}},
        {"PlotRound4", PlotRound4, Without(Block(-2, -2, 1, 1), {{-2, -2}, {1, -2}, {-2, 1}, {1, 1}}), {}},
        {"PlotSoftRound3", PlotSoftRound3, plus, kRound3Ring},
        {"PlotSoftRound5", PlotSoftRound5, block3, Without(Without(Block(-2, -2, 2, 2), block3),
                                                           {{-2, -2}, {2, -2}, {-2, 2}, {2, 2}})},
    };
}

uint32_t Quarter(uint32_t old, uint32_t colour)
{
    return old - ((old >> 2) & 0x3F3F3F) + ((colour >> 2) & 0x3F3F3F);
}

// Footprints at the centre, at each corner and edge (points outside are
// skipped, nothing else changes), at 32 bits.
TEST(Brushes, FootprintsAndEdges)
{
    const uint32_t background = 0x80405060, colour = 0x00FF8844;
    const int positions[][2] = {{4, 4}, {0, 0}, {8, 0}, {0, 8}, {8, 8}, {-1, 4}, {9, 4}, {4, -2}, {4, 10}};
    for (const Brush& b : Brushes()) {
        for (const auto& pos : positions) {
            SCOPED_TRACE(testing::Message() << b.name << " at " << pos[0] << "," << pos[1]);
            CGraphicsImage image;
            ASSERT_TRUE(image.Create(32, 9, 9, background, 0));
            b.plot(&image, pos[0], pos[1], colour);
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < 9; ++x) {
                    const std::pair<int, int> d{x - pos[0], y - pos[1]};
                    const uint32_t want = b.solid.count(d)     ? colour
                                          : b.blended.count(d) ? Quarter(background, colour)
                                                               : background;
                    ASSERT_EQ(PixelAt(image, x, y), want) << x << "," << y;
                }
        }
    }
}

TEST(Brushes, QuarterBlendNumbers)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(24, 5, 5, 0xFFFFFF, 0));
    PlotSoftRound3(&image, 2, 2, 0x000000);
    EXPECT_EQ(PixelAt(image, 2, 2), 0u);
    EXPECT_EQ(PixelAt(image, 1, 1), 0xC0C0C0u);  // 255 - 63
    ASSERT_TRUE(image.Create(24, 5, 5, 0x000000, 0));
    PlotSoftRound5(&image, 2, 2, 0xFF7F03);
    EXPECT_EQ(PixelAt(image, 0, 2), 0x3F1F00u);
    EXPECT_EQ(PixelAt(image, 0, 0), 0u);
}

// On palette images the ring takes the colour plainly.
TEST(Brushes, PaletteImagesPlotTheRingPlainly)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(8, 7, 7, 3, 0));
    PlotSoftRound5(&image, 3, 3, 9);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x) {
            const int dx = x - 3, dy = y - 3;
            const bool corner = std::abs(dx) == 2 && std::abs(dy) == 2;
            const bool inside = std::abs(dx) <= 2 && std::abs(dy) <= 2 && !corner;
            EXPECT_EQ(PixelAt(image, x, y), inside ? 9u : 3u) << x << "," << y;
        }
    CGraphicsImage empty;
    PlotSoftRound5(&empty, 0, 0, 1);  // no pixels: nothing happens
    PlotRound4(&empty, 0, 0, 1);
}

}  // namespace
