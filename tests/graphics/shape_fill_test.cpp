// Filled ellipses, triangles and polygons: pixel counts, anchoring,
// symmetry, the walker rule against a step-by-step reference, even-odd holes
// and clipping.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

#include "graphics/plot.h"
#include "tests/graphics/draw_test_util.h"
#include "tests/support/test_support.h"

using namespace draw_test;

namespace {

constexpr uint32_t kInk = 1;
constexpr double kPi = 3.14159265358979323846;

TEST(FillEllipse, CountsAndRows)
{
    CGraphicsImage one = Make(8, 20, 20);
    EXPECT_TRUE(one.FillEllipse(7, 9, 0, 0, kInk, 0));
    EXPECT_EQ(Painted(one), PixelSet({{7, 9}}));

    CGraphicsImage clipped = Make(8, 20, 20);
    EXPECT_TRUE(clipped.FillEllipse(10, 10, 2, 1, kInk, 0));
    EXPECT_EQ(Painted(clipped), PixelSet({{8, 9}, {9, 9}, {10, 9}, {11, 9}, {8, 10}, {9, 10}, {10, 10}, {11, 10},
                                        {12, 10}, {8, 11}, {9, 11}, {10, 11}, {11, 11}}));

    // Radius 10: 21 + 2 × (21 21 20 19 18 17 16 14 11 6) pixels.
    CGraphicsImage circle = Make(8, 40, 40);
    EXPECT_TRUE(circle.FillEllipse(20, 20, 10, 10, kInk, 0));
    EXPECT_EQ(CountValue(circle, kInk), 347);
    EXPECT_EQ(BoxOf(Painted(circle)).Sides(), (std::vector<int>{10, 10, 30, 30}));
    // Rows k above and below the centre are the same span.
    for (int k = 1; k <= 10; ++k)
        for (int x = 0; x < 40; ++x)
            EXPECT_EQ(Get(circle, x, 20 - k), Get(circle, x, 20 + k)) << k << "," << x;
}

TEST(FillEllipse, FullSizeAndAnchoring)
{
    typedef CGraphicsImage I;
    const struct {
        int x, y, rx, ry;
        uint32_t flags;
        int left, top, right, bottom;
    } cases[] = {
        {10, 10, 4, 4, I::ELLIPSE_FULL_SIZE, 8, 8, 11, 11},  // rows yc - 2 .. yc + 1
        {10, 10, 5, 5, I::ELLIPSE_FULL_SIZE, 8, 8, 12, 12},
        {10, 10, 3, 2, I::ELLIPSE_X_LEFT | I::ELLIPSE_Y_TOP, 10, 10, 16, 14},
        {10, 10, 3, 2, I::ELLIPSE_X_RIGHT | I::ELLIPSE_Y_BOTTOM, 4, 6, 10, 10},
        {10, 10, -3, -2, I::ELLIPSE_X_LEFT | I::ELLIPSE_Y_TOP, 4, 6, 10, 10},  // negative radii reach back
        {10, 10, -3, -2, I::ELLIPSE_X_RIGHT | I::ELLIPSE_Y_BOTTOM, 10, 10, 16, 14},
        {10, 10, 6, 4, I::ELLIPSE_FULL_SIZE | I::ELLIPSE_X_LEFT | I::ELLIPSE_Y_TOP, 10, 10, 15, 13},
        {10, 10, 6, 4, I::ELLIPSE_FULL_SIZE | I::ELLIPSE_X_RIGHT | I::ELLIPSE_Y_BOTTOM, 5, 7, 10, 10},
    };
    for (const auto& c : cases) {
        CGraphicsImage image = Make(8, 30, 30);
        EXPECT_TRUE(image.FillEllipse(c.x, c.y, c.rx, c.ry, kInk, c.flags));
        EXPECT_EQ(BoxOf(Painted(image)).Sides(), (std::vector<int>{c.left, c.top, c.right, c.bottom}))
            << c.rx << "," << c.ry << " flags " << c.flags;
    }
    CGraphicsImage image = Make(8, 30, 30);
    EXPECT_FALSE(image.FillEllipse(10, 10, 0, 5, kInk, I::ELLIPSE_FULL_SIZE));
    EXPECT_FALSE(image.FillEllipse(10, 10, 5, 0, kInk, I::ELLIPSE_FULL_SIZE));
    EXPECT_FALSE(image.FillEllipse(10, 10, 5, 5, kInk, I::ELLIPSE_X_LEFT | I::ELLIPSE_X_RIGHT));
    EXPECT_FALSE(image.FillEllipse(10, 10, 5, 5, kInk, I::ELLIPSE_Y_TOP | I::ELLIPSE_Y_BOTTOM));
    EXPECT_FALSE(image.FillEllipse(100, 10, 5, 5, kInk, 0));
    EXPECT_TRUE(Painted(image).empty());
}

TEST(FillEllipse, HugeEllipsesSkipRowsOutside)
{
    // Covering the whole image: every pixel, with only the image's rows
    // computed.
    CGraphicsImage image = Make(8, 64, 64);
    EXPECT_TRUE(image.FillEllipse(32, 32, INT_MAX / 2, INT_MAX / 2, kInk, 0));
    EXPECT_EQ(CountValue(image, kInk), 64 * 64);
    CGraphicsImage below = Make(8, 64, 64);
    EXPECT_TRUE(below.FillEllipse(32, 1000000000, 1000000, 1000000000, kInk, 0));
    EXPECT_GT(CountValue(below, kInk), 0);
    CGraphicsImage above = Make(8, 64, 64);
    EXPECT_FALSE(above.FillEllipse(32, -2000000000, 10, 100000000, kInk, 0));
}

TEST(FillEllipseWithPlot, SamePixelsAsFillEllipse)
{
    const struct {
        int x, y, rx, ry;
        uint32_t flags;
    } cases[] = {{20, 20, 9, 5, 0}, {2, 3, 12, 7, 0}, {20, 20, 8, 6, CGraphicsImage::ELLIPSE_FULL_SIZE}};
    for (const auto& c : cases) {
        CGraphicsImage plain = Make(8, 40, 40), plotted = Make(8, 40, 40);
        EXPECT_TRUE(plain.FillEllipse(c.x, c.y, c.rx, c.ry, kInk, c.flags));
        PlotRecorder::calls.clear();
        EXPECT_TRUE(plotted.FillEllipseWithPlot(c.x, c.y, c.rx, c.ry, kInk, PlotRecorder::RowPlot, c.flags));
        EXPECT_EQ(PlotRecorder::Once(), Painted(plain));
    }
}

TEST(FillEllipseSmooth, SolidInsideBlendedEdges)
{
    CGraphicsImage palette = Make(8, 40, 40), plain = Make(8, 40, 40);
    EXPECT_TRUE(palette.FillEllipseSmooth(20, 20, 9, 6, kInk, 0));
    EXPECT_TRUE(plain.FillEllipse(20, 20, 9, 6, kInk, 0));
    EXPECT_EQ(Painted(palette), Painted(plain));

    CGraphicsImage image = Make(24, 40, 40, 0);
    EXPECT_TRUE(image.FillEllipseSmooth(20, 20, 12, 8, 0xFFFFFF, 0));
    EXPECT_EQ(Get(image, 20, 20), 0xFFFFFFu);
    int partial = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const uint32_t v = Get(image, x, y);
            if (v != 0 && v != 0xFFFFFF) {
                ++partial;
                EXPECT_EQ(v & 0xFF, (v >> 8) & 0xFF);  // grey: every channel alike
            }
            if (std::abs(x - 20) > 13 || std::abs(y - 20) > 8) {
                EXPECT_EQ(v, 0u) << x << "," << y;
            }
        }
    EXPECT_GT(partial, 10);
}

// The triangle as documented, walked step by step: each row spans the
// extreme points the edges visit on it.
PixelSet ReferenceTriangle(const int32_t* p, int width, int height)
{
    int s = 0;
    for (int i = 1; i < 3; ++i)
        if (p[2 * i + 1] < p[2 * s + 1])
            s = i;
    const int a = (s + 1) % 3, b = (s + 2) % 3;
    auto x = [&](int i) { return int64_t(p[2 * i]); };
    auto y = [&](int i) { return int64_t(p[2 * i + 1]); };
    std::map<int64_t, std::pair<int64_t, int64_t>> rows;
    auto add = [&](int from, int to) {
        for (const auto& [px, py] : WalkLine(x(from), y(from), x(to), y(to), true)) {
            auto it = rows.find(py);
            if (it == rows.end())
                rows[py] = {px, px};
            else
                it->second = {std::min(it->second.first, px), std::max(it->second.second, px)};
        }
    };
    add(s, a);
    add(s, b);
    if (y(a) <= y(b))
        add(a, b);
    else
        add(b, a);
    PixelSet out;
    for (const auto& [row, span] : rows)
        for (int64_t px = std::max<int64_t>(span.first, 0); px <= std::min<int64_t>(span.second, width - 1); ++px)
            if (row >= 0 && row < height)
                out.insert({int(px), int(row)});
    return out;
}

TEST(FillTriangle, MatchesTheWalkers)
{
    lindar_test::Rng rng(5);
    for (int n = 0; n < 400; ++n) {
        int32_t p[6];
        for (int i = 0; i < 6; ++i)
            p[i] = n % 4 == 0 ? rng.Range(-300, 340) : rng.Range(-10, 50);
        CGraphicsImage image = Make(8, 40, 40);
        image.FillTriangle(p, kInk);
        ASSERT_EQ(Painted(image), ReferenceTriangle(p, 40, 40))
            << p[0] << "," << p[1] << " " << p[2] << "," << p[3] << " " << p[4] << "," << p[5];
        CGraphicsImage plotted = Make(8, 40, 40);
        PlotRecorder::calls.clear();
        plotted.FillTriangleWithPlot(p, kInk, PlotRecorder::RowPlot);
        ASSERT_EQ(PlotRecorder::Once(), Painted(image));
    }
}

TEST(FillTriangle, EdgeCases)
{
    const int32_t point[] = {5, 6, 5, 6, 5, 6};
    CGraphicsImage image = Make(8, 20, 20);
    EXPECT_TRUE(image.FillTriangle(point, kInk));
    EXPECT_EQ(Painted(image), PixelSet({{5, 6}}));
    const int32_t left[] = {-10, 0, -3, 10, -7, 19};
    EXPECT_FALSE(image.FillTriangle(left, kInk));
    const int32_t above[] = {0, -10, 19, -3, 7, -1};
    EXPECT_FALSE(image.FillTriangle(above, kInk));
    // Vertices far outside: only the image's rows are stepped.
    const int32_t huge[] = {-2000000000, -2000000000, 2000000000, -1999999999, 0, 2000000000};
    CGraphicsImage covered = Make(8, 64, 64);
    EXPECT_TRUE(covered.FillTriangle(huge, kInk));
    EXPECT_EQ(CountValue(covered, kInk), 64 * 64);
    // Symmetric about the middle column.
    const int32_t iso[] = {20, 2, 2, 30, 38, 30};
    CGraphicsImage sym = Make(8, 41, 41);
    EXPECT_TRUE(sym.FillTriangle(iso, kInk));
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x <= 20; ++x)
            EXPECT_EQ(Get(sym, x, y), Get(sym, 40 - x, y)) << x << "," << y;
}

TEST(FillPolygon, CountsAndDegenerateOutlines)
{
    const int32_t square[] = {2, 2, 11, 2, 11, 8, 2, 8};
    CGraphicsImage image = Make(8, 20, 20);
    EXPECT_TRUE(image.FillPolygon(square, 4, kInk));
    EXPECT_EQ(CountValue(image, kInk), 10 * 7);  // the outline belongs to the area
    EXPECT_EQ(BoxOf(Painted(image)).right, 11);

    const int32_t one[] = {3, 4};
    CGraphicsImage dot = Make(8, 20, 20);
    EXPECT_TRUE(dot.FillPolygon(one, 1, kInk));
    EXPECT_EQ(Painted(dot), PixelSet({{3, 4}}));
    const int32_t outside[] = {30, 4};
    EXPECT_FALSE(dot.FillPolygon(outside, 1, kInk));

    const int32_t two[] = {0, 0, 4, 2};
    CGraphicsImage line = Make(8, 20, 20), ref = Make(8, 20, 20);
    EXPECT_TRUE(line.FillPolygon(two, 2, kInk));
    ref.DrawLine(0, 0, 4, 2, kInk);
    EXPECT_EQ(Painted(line), Painted(ref));

    const int32_t flat[] = {3, 5, 9, 5, 6, 5};  // collinear, horizontal
    CGraphicsImage flatImage = Make(8, 20, 20);
    EXPECT_TRUE(flatImage.FillPolygon(flat, 3, kInk));
    EXPECT_EQ(CountValue(flatImage, kInk), 7);

    int32_t many[2 * 65];
    for (int i = 0; i < 65; ++i) {
        many[2 * i] = 10 + int(8 * std::cos(i * 0.1));
        many[2 * i + 1] = 10 + int(8 * std::sin(i * 0.1));
    }
    CGraphicsImage refused = Make(8, 20, 20);
    EXPECT_FALSE(refused.FillPolygon(many, 65, kInk));
    EXPECT_TRUE(Painted(refused).empty());
    EXPECT_TRUE(refused.FillPolygon(many, 64, kInk));
    EXPECT_FALSE(refused.FillPolygon(many, 0, kInk));
    const int32_t away[] = {30, 30, 40, 30, 35, 40};
    EXPECT_FALSE(refused.FillPolygon(away, 3, kInk));
}

TEST(FillPolygon, EvenOddHoles)
{
    // A pentagram: the pentagon in the middle is covered twice and stays
    // empty; the tips are filled.
    int32_t star[10];
    for (int i = 0; i < 5; ++i) {
        const double a = -kPi / 2 + i * 4 * kPi / 5;
        star[2 * i] = int32_t(std::lround(50 + 45 * std::cos(a)));
        star[2 * i + 1] = int32_t(std::lround(50 + 45 * std::sin(a)));
    }
    CGraphicsImage image = Make(8, 100, 100);
    EXPECT_TRUE(image.FillPolygon(star, 5, kInk));
    EXPECT_EQ(Get(image, 50, 52), 0u);
    EXPECT_EQ(Get(image, 50, 10), kInk);  // top tip
    EXPECT_EQ(Get(image, 20, 38), kInk);  // left tip

    // A frame drawn as one outline with a slit: outer square clockwise, inner
    // counter-clockwise; the hole stays empty.
    const int32_t frame[] = {0, 0, 30, 0, 30, 30, 0, 30, 0, 15, 10, 15, 10, 20, 20, 20, 20, 10, 10, 10, 10, 15, 0, 15};
    CGraphicsImage framed = Make(8, 31, 31);
    EXPECT_TRUE(framed.FillPolygon(frame, 12, kInk));
    EXPECT_EQ(Get(framed, 15, 15), 0u);
    EXPECT_EQ(Get(framed, 5, 5), kInk);
    EXPECT_EQ(Get(framed, 25, 25), kInk);
    EXPECT_EQ(Get(framed, 10, 12), kInk);  // the hole's outline belongs to the area

    // A bow tie: both halves filled, the crossing drawn.
    const int32_t bow[] = {0, 0, 20, 20, 20, 0, 0, 20};
    CGraphicsImage tie = Make(8, 21, 21);
    EXPECT_TRUE(tie.FillPolygon(bow, 4, kInk));
    EXPECT_EQ(Get(tie, 2, 10), kInk);
    EXPECT_EQ(Get(tie, 18, 10), kInk);
    EXPECT_EQ(Get(tie, 10, 2), 0u);
    EXPECT_EQ(Get(tie, 10, 18), 0u);
}

// Triangles through the polygon fill give the triangle fill's pixels;
// polygons clipped to a clipped image equal the window of the whole polygon.
TEST(FillPolygon, AgreesWithTrianglesAndClipsExactly)
{
    lindar_test::Rng rng(11);
    for (int n = 0; n < 300; ++n) {
        int32_t p[6];
        for (int i = 0; i < 6; ++i)
            p[i] = rng.Range(-5, 45);
        CGraphicsImage poly = Make(8, 40, 40), tri = Make(8, 40, 40);
        poly.FillPolygon(p, 3, kInk);
        tri.FillTriangle(p, kInk);
        ASSERT_EQ(Painted(poly), Painted(tri))
            << p[0] << "," << p[1] << " " << p[2] << "," << p[3] << " " << p[4] << "," << p[5];
    }
    constexpr int kOffset = 200;
    for (int n = 0; n < 200; ++n) {
        const int count = rng.Range(3, 12);
        int32_t p[24], q[24];
        for (int i = 0; i < 2 * count; ++i) {
            p[i] = rng.Range(-150, 180);
            q[i] = p[i] + kOffset;
        }
        CGraphicsImage clipped = Make(8, 30, 25), big = Make(8, 600, 600);
        clipped.FillPolygon(p, count, kInk);
        big.FillPolygon(q, count, kInk);
        ASSERT_TRUE(WindowEquals(big, kOffset, kOffset, clipped)) << "polygon " << n;
        PlotRecorder::calls.clear();
        CGraphicsImage plotted = Make(8, 30, 25);
        plotted.FillPolygonWithPlot(p, count, kInk, PlotRecorder::RowPlot);
        ASSERT_EQ(PlotRecorder::Once(), Painted(clipped));
    }
}

}  // namespace
