// Lines and rectangle outlines: exact steps, clipping by arithmetic skipping
// (held to the same line drawn whole on a large canvas), plot functions.
#include <gtest/gtest.h>

#include <climits>
#include <map>

#include "graphics/plot.h"
#include "tests/graphics/draw_test_util.h"
#include "tests/support/test_support.h"

using namespace draw_test;

namespace {

constexpr uint32_t kInk = 1;

PixelSet Expected(std::initializer_list<std::pair<int, int>> pixels) { return PixelSet(pixels); }

TEST(DrawLine, ExactStepsInEveryDirection)
{
    const struct {
        int x1, y1, x2, y2;
        PixelSet pixels;
    } cases[] = {
        {0, 0, 4, 2, Expected({{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}})},
        {4, 2, 0, 0, Expected({{4, 2}, {3, 2}, {2, 1}, {1, 1}, {0, 0}})},
        {0, 0, 2, 4, Expected({{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}})},
        {2, 4, 0, 0, Expected({{2, 4}, {2, 3}, {1, 2}, {1, 1}, {0, 0}})},
        {0, 3, 3, 0, Expected({{0, 3}, {1, 2}, {2, 1}, {3, 0}})}, {1, 1, 1, 1, Expected({{1, 1}})},
        {0, 5, 6, 5, Expected({{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}})},
        {0, 0, 5, 1, Expected({{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 1}})},
    };
    for (const auto& c : cases) {
        CGraphicsImage image = Make(8, 8, 8);
        EXPECT_TRUE(image.DrawLine(c.x1, c.y1, c.x2, c.y2, kInk));
        EXPECT_EQ(Painted(image), c.pixels) << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2;
    }
}

TEST(DrawLine, ClippingAndRejection)
{
    CGraphicsImage image = Make(8, 20, 20);
    EXPECT_TRUE(image.DrawLine(-100, 5, 10, 5, kInk));
    PixelSet row;
    for (int x = 0; x <= 10; ++x)
        row.insert({x, 5});
    EXPECT_EQ(Painted(image), row);

    const struct {
        int x1, y1, x2, y2;
        bool result;
    } cases[] = {
        {0, -1, 19, -3, false},    // flat line above the image
        {0, 20, 19, 25, false},    // below
        {-1, 0, -3, 19, false},    // steep line left of the image
        {25, 0, 20, 19, false},    // right
        {20, 5, 40, 6, false},     // starts beyond the far edge
        {-40, 5, -1, 6, false},    // ends before the image
        {-5, -2, 30, 3, true},     // crosses
        {-30, 45, 45, -30, true},  // corner to corner through the image
    };
    for (const auto& c : cases) {
        CGraphicsImage fresh = Make(8, 20, 20);
        EXPECT_EQ(fresh.DrawLine(c.x1, c.y1, c.x2, c.y2, kInk), c.result)
            << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2;
        if (!c.result) {
            EXPECT_TRUE(Painted(fresh).empty());
        }
    }
    CGraphicsImage empty;
    EXPECT_FALSE(empty.DrawLine(0, 0, 3, 3, kInk));
}

// Far beyond the image and at the limits of int: only the visible part is
// stepped, and no product overflows (the sanitizer build checks).
TEST(DrawLine, ExtremeCoordinates)
{
    CGraphicsImage image = Make(8, 16, 16);
    EXPECT_TRUE(image.DrawLine(INT_MIN, 7, INT_MAX, 7, kInk));
    EXPECT_EQ(CountValue(image, kInk), 16);
    CGraphicsImage diag = Make(8, 16, 16);
    EXPECT_TRUE(diag.DrawLine(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kInk));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(Get(diag, i, i), kInk);
    EXPECT_EQ(CountValue(diag, kInk), 16);
    CGraphicsImage steep = Make(8, 16, 16);
    EXPECT_TRUE(steep.DrawLine(3, INT_MAX, 4, INT_MIN, kInk));
    EXPECT_EQ(CountValue(steep, kInk), 16);
}

TEST(DrawLineWithPlot, EndPointAndPlotSubstitution)
{
    CGraphicsImage image = Make(8, 8, 8);
    EXPECT_TRUE(image.DrawLineWithPlot(0, 0, 3, 0, kInk, PlotPixel, 0));
    EXPECT_EQ(Painted(image), Expected({{0, 0}, {1, 0}, {2, 0}}));
    EXPECT_TRUE(image.DrawLineWithPlot(0, 2, 3, 2, kInk, PlotPixel, 1));
    EXPECT_EQ(Get(image, 3, 2), kInk);
    // A zero-length line without its end point plots nothing.
    CGraphicsImage point = Make(8, 8, 8);
    point.DrawLineWithPlot(4, 4, 4, 4, kInk, PlotPixel, 0);
    EXPECT_TRUE(Painted(point).empty());

    // PlotSoft writes a plain pixel on palette images and keeps the alpha on
    // 32-bit ones.
    CGraphicsImage palette = Make(8, 8, 8);
    EXPECT_TRUE(palette.DrawLineWithPlot(1, 1, 5, 1, 7, PlotSoft, 1));
    EXPECT_EQ(CountValue(palette, 7), 5);
    EXPECT_EQ(Painted(palette).size(), 5u);
    CGraphicsImage deep = Make(32, 8, 8, 0xFF000000);
    EXPECT_TRUE(deep.DrawLineWithPlot(1, 3, 5, 3, 0xFFFFFFFF, PlotSoft, 1));
    EXPECT_EQ(Get(deep, 3, 3) >> 24, 0xFFu);
}

TEST(DrawLineWithPlot, DashesFollowTheSteps)
{
    CGraphicsImage image = Make(8, 20, 4);
    EXPECT_TRUE(image.DrawLineWithPlot(0, 1, 15, 1, kInk, PlotDashed, 1));
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(Get(image, x, 1), (x / 4) % 2 == 0 ? kInk : 0u) << x;
}

TEST(DrawLineWithRowPlot, LeadInAndMinorAxisHandedOut)
{
    CGraphicsImage image = Make(8, 10, 10);
    PlotRecorder::calls.clear();
    EXPECT_TRUE(image.DrawLineWithRowPlot(-50, 3, 5, 3, kInk, PlotRecorder::RowPlot, 1));
    ASSERT_FALSE(PlotRecorder::calls.empty());
    EXPECT_EQ(PlotRecorder::calls.front(), std::make_pair(-2, 3));
    EXPECT_EQ(PlotRecorder::calls.back(), std::make_pair(5, 3));
    EXPECT_EQ(PlotRecorder::calls.size(), 8u);
    // Running left, the lead-in lies beyond the right edge; the end stays
    // at column 0.
    PlotRecorder::calls.clear();
    EXPECT_TRUE(image.DrawLineWithRowPlot(50, 4, -50, 4, kInk, PlotRecorder::RowPlot, 1));
    EXPECT_EQ(PlotRecorder::calls.front(), std::make_pair(11, 4));
    EXPECT_EQ(PlotRecorder::calls.back(), std::make_pair(0, 4));
    // Pixels above the image on the minor axis reach the plot.
    PlotRecorder::calls.clear();
    EXPECT_TRUE(image.DrawLineWithRowPlot(0, -3, 9, 2, kInk, PlotRecorder::RowPlot, 1));
    EXPECT_EQ(PlotRecorder::calls.front().second, -3);
    EXPECT_FALSE(image.DrawLineWithRowPlot(0, -3, 9, -1, kInk, PlotRecorder::RowPlot, 1));
    // Rows far outside get an address without overflow; the plot never
    // touches it.
    PlotRecorder::calls.clear();
    EXPECT_TRUE(image.DrawLineWithRowPlot(0, INT_MIN, 5, INT_MAX, kInk, PlotRecorder::RowPlot, 1));
}

// The property that pins the arithmetic skipping: for hundreds of random
// lines with ends far outside a clipped image, the clipped line equals the
// same window of the line drawn whole on a canvas that holds it.
enum class LineKind { Plain, Plot, RowPlot, Smooth };

class ClippedLineProperty : public ::testing::TestWithParam<LineKind> {};

void DrawKind(LineKind kind, CGraphicsImage& image, int x1, int y1, int x2, int y2, uint32_t colour, int last)
{
    switch (kind) {
    case LineKind::Plain: image.DrawLine(x1, y1, x2, y2, colour); break;
    case LineKind::Plot: image.DrawLineWithPlot(x1, y1, x2, y2, colour, PlotPixel, last); break;
    case LineKind::RowPlot: image.DrawLineWithRowPlot(x1, y1, x2, y2, colour, PlotRecorder::RowPlot, last); break;
    case LineKind::Smooth: image.DrawLineSmooth(x1, y1, x2, y2, colour, last); break;
    }
}

TEST_P(ClippedLineProperty, WindowOfTheWholeLine)
{
    constexpr int kOffset = 420, kCanvas = 900;
    const int sizes[][2] = {{37, 23}, {16, 41}, {1, 1}, {5, 60}};
    lindar_test::Rng rng(1234 + int(GetParam()));
    const bool smooth = GetParam() == LineKind::Smooth;
    const uint32_t bits = smooth ? 24 : 8;
    int crossing = 0;
    for (const auto& size : sizes) {
        for (int n = 0; n < 300; ++n) {
            // Mostly lines through a point of the image with both ends far
            // outside; some wholly random ones; every fifth a diagonal.
            int x1, y1, x2, y2;
            const int px = rng.Range(-2, size[0] + 1), py = rng.Range(-2, size[1] + 1);
            const int dx = rng.Range(-150, 150), dy = rng.Range(-150, 150);
            const int t1 = rng.Range(1, 2), t2 = rng.Range(1, 2);
            if (n % 5 == 0) {
                const int d = rng.Range(60, 200) * (rng.Next() & 1 ? 1 : -1);
                x1 = px - d;
                y1 = py - (rng.Next() & 1 ? d : -d);
                x2 = px + (px - x1) * t2;
                y2 = py + (py - y1) * t2;
            } else if (n % 3 == 0) {
                x1 = rng.Range(-400, 440), y1 = rng.Range(-400, 440);
                x2 = rng.Range(-400, 440), y2 = rng.Range(-400, 440);
            } else {
                x1 = px - t1 * dx, y1 = py - t1 * dy;
                x2 = px + t2 * dx, y2 = py + t2 * dy;
            }
            const int last = int(rng.Next() & 1);
            const uint32_t colour = smooth ? 0x40C080 : 1 + rng.Next() % 250;
            CGraphicsImage clipped = Make(bits, size[0], size[1], smooth ? 0x102030 : 0);
            CGraphicsImage big = Make(bits, kCanvas, kCanvas, smooth ? 0x102030 : 0);
            DrawKind(GetParam(), clipped, x1, y1, x2, y2, colour, last);
            DrawKind(GetParam(), big, x1 + kOffset, y1 + kOffset, x2 + kOffset, y2 + kOffset, colour, last);
            crossing += !Painted(clipped, smooth ? 0x102030 : 0).empty();
            ASSERT_TRUE(WindowEquals(big, kOffset, kOffset, clipped))
                << x1 << "," << y1 << " to " << x2 << "," << y2 << " last " << last << " on " << size[0] << "x"
                << size[1];
        }
    }
    EXPECT_GT(crossing, 600);
}

INSTANTIATE_TEST_SUITE_P(AllLineFunctions, ClippedLineProperty,
                         ::testing::Values(LineKind::Plain, LineKind::Plot, LineKind::RowPlot, LineKind::Smooth));

// The drawn pixels are the documented walk, whatever the direction.
TEST(DrawLine, MatchesTheStepByStepWalk)
{
    lindar_test::Rng rng(99);
    for (int n = 0; n < 500; ++n) {
        const int x1 = rng.Range(0, 63), y1 = rng.Range(0, 63), x2 = rng.Range(0, 63), y2 = rng.Range(0, 63);
        CGraphicsImage image = Make(8, 64, 64);
        image.DrawLine(x1, y1, x2, y2, kInk);
        PixelSet want;
        for (const auto& p : WalkLine(x1, y1, x2, y2, true))
            want.insert({int(p.first), int(p.second)});
        ASSERT_EQ(Painted(image), want) << x1 << "," << y1 << " to " << x2 << "," << y2;
    }
}

TEST(DrawRect, OutlinesAndNegativeExtents)
{
    CGraphicsImage image = Make(8, 10, 10);
    EXPECT_TRUE(image.DrawRect(5, 5, -3, 2, kInk));
    EXPECT_EQ(Painted(image), Expected({{3, 5}, {4, 5}, {5, 5}, {3, 6}, {4, 6}, {5, 6}}));

    CGraphicsImage box = Make(8, 10, 10);
    EXPECT_TRUE(box.DrawRect(1, 1, 4, 3, kInk));
    EXPECT_EQ(Painted(box), Expected({{1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 2}, {4, 2}, {1, 3}, {2, 3}, {3, 3}, {4, 3}}));

    // Partly outside: only the edges that lie inside are drawn.
    CGraphicsImage clipped = Make(8, 10, 10);
    EXPECT_TRUE(clipped.DrawRect(-3, 2, 6, 20, kInk));
    EXPECT_EQ(Get(clipped, 2, 5), kInk);   // right edge
    EXPECT_EQ(Get(clipped, 0, 2), kInk);   // top row from the image's left
    EXPECT_EQ(Get(clipped, 0, 5), 0u);     // no left edge
    EXPECT_EQ(CountValue(clipped, kInk), 3 + 7);

    const struct {
        int x, y, w, h;
    } rejected[] = {{0, 0, 0, 5}, {0, 0, 5, 0}, {10, 0, 5, 5}, {0, 10, 5, 5}, {-5, 0, 5, 5}, {0, -5, 5, 5}};
    for (const auto& r : rejected) {
        CGraphicsImage fresh = Make(8, 10, 10);
        EXPECT_FALSE(fresh.DrawRect(r.x, r.y, r.w, r.h, kInk));
        EXPECT_FALSE(fresh.DrawRectWithPlot(r.x, r.y, r.w, r.h, kInk, PlotPixel));
    }
}

TEST(DrawRectWithPlot, EveryPixelOnce)
{
    const struct {
        int x, y, w, h;
        size_t pixels;
    } cases[] = {
        {1, 1, 4, 3, 10}, {1, 1, 2, 2, 4}, {2, 2, 5, 1, 5}, {2, 2, 1, 5, 5},
        {3, 3, 1, 1, 1},  {6, 2, -5, 1, 5}, {2, 6, 1, -5, 5},
    };
    for (const auto& c : cases) {
        CGraphicsImage image = Make(8, 10, 10);
        PlotRecorder::calls.clear();
        EXPECT_TRUE(image.DrawRectWithPlot(c.x, c.y, c.w, c.h, kInk, PlotRecorder::Plot));
        EXPECT_EQ(PlotRecorder::Once().size(), c.pixels) << c.x << "," << c.y << " " << c.w << "x" << c.h;
    }
    // Dashes run on around the outline without doubling on a flat one.
    CGraphicsImage flat = Make(8, 20, 3);
    EXPECT_TRUE(flat.DrawRectWithPlot(0, 1, 16, 1, kInk, PlotDashed));
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(Get(flat, x, 1), (x / 4) % 2 == 0 ? kInk : 0u) << x;
}

}  // namespace
