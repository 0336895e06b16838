// Arcs: the step ladder, start and end handling (no overshoot on partial
// arcs), rotation, plot functions and the anti-aliased variant.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "graphics/fixed_trig.h"
#include "graphics/plot.h"
#include "graphics/shapes_arc.h"
#include "tests/graphics/draw_test_util.h"

using namespace draw_test;

namespace {

constexpr uint32_t kInk = 1;
constexpr double kPi = 3.14159265358979323846;

TEST(ArcStep, SegmentsByRadius)
{
    const struct {
        int64_t radius, step;
    } ladder[] = {
        {0, 16384},   {1, 16384},   {3, 16384},   {4, 8192},     {12, 8192},    {13, 4096},   {51, 4096},
        {52, 2048},   {207, 2048},  {208, 1024},  {830, 1024},   {831, 512},    {3320, 512},  {3321, 256},
        {13280, 256}, {13281, 128}, {1000000, 128},
    };
    for (const auto& l : ladder) {
        EXPECT_EQ(graphics_detail::ArcStep(l.radius), l.step) << l.radius;
        // A full turn takes 0x20000 / step segments.
        EXPECT_EQ(FIXED_FULL_TURN / graphics_detail::ArcStep(l.radius), 0x20000 / l.step);
    }
    // The smooth arc's ladder takes each bound one lower.
    const struct {
        int64_t radius, step;
    } smooth[] = {{1, 16384}, {2, 16384}, {3, 8192}, {12, 4096}, {13280, 128}, {13279, 256}, {3320, 256}, {3319, 512}};
    for (const auto& l : smooth)
        EXPECT_EQ(graphics_detail::SmoothArcStep(l.radius), l.step) << l.radius;
}

TEST(DrawArc, StartEqualsEndDrawsOnePoint)
{
    CGraphicsImage image = Make(8, 40, 40);
    EXPECT_TRUE(image.DrawArc(20, 20, 10, 10, kInk, 0x1234, 0x1234, 0));
    EXPECT_EQ(Painted(image).size(), 1u);
    CGraphicsImage plotted = Make(8, 40, 40);
    EXPECT_TRUE(plotted.DrawArcWithPlot(20, 20, 10, 10, kInk, PlotPixel, 0, 0, 0, 0));
    EXPECT_TRUE(Painted(plotted).empty());
    EXPECT_TRUE(plotted.DrawArcWithPlot(20, 20, 10, 10, kInk, PlotPixel, 0, 0, 0, 1));
    EXPECT_EQ(Painted(plotted), PixelSet({{30, 20}}));
}

TEST(DrawArc, FullCircle)
{
    CGraphicsImage image = Make(8, 64, 64);
    EXPECT_TRUE(image.DrawArc(32, 32, 20, 20, kInk, 0, FIXED_FULL_TURN, 0));
    const PixelSet pixels = Painted(image);
    for (const auto& [x, y] : pixels) {
        const double r = std::hypot(x - 32, y - 32);
        EXPECT_GT(r, 18.5) << x << "," << y;
        EXPECT_LT(r, 20.5) << x << "," << y;
    }
    for (const auto& p : {std::make_pair(52, 32), std::make_pair(12, 32), std::make_pair(32, 52), std::make_pair(32, 12)})
        EXPECT_EQ(pixels.count(p), 1u) << p.first << "," << p.second;
    // A closed 8-connected ring: about 2 π r / 1.1 pixels.
    EXPECT_GT(pixels.size(), 100u);
    EXPECT_LT(pixels.size(), 130u);
}

// Partial arcs step only while a whole step fits and then run to the end
// point, so no pixel lies beyond the end angle.
TEST(DrawArc, PartialArcsStopAtTheEnd)
{
    const struct {
        int32_t start, end;
    } arcs[] = {{0, 3000}, {3000, 0}, {0x8000, 0x8000 + 5000}, {-100, 2900}};
    for (const auto& a : arcs) {
        CGraphicsImage image = Make(8, 260, 260);
        EXPECT_TRUE(image.DrawArc(130, 130, 100, 100, kInk, a.start, a.end, 0));
        const double lo = std::min(a.start, a.end) * 2 * kPi / 0x20000;
        const double hi = std::max(a.start, a.end) * 2 * kPi / 0x20000;
        for (const auto& [x, y] : Painted(image)) {
            const double angle = std::atan2(y - 130.0, x - 130.0);
            EXPECT_GE(angle, lo - 0.012) << x << "," << y;
            EXPECT_LE(angle, hi + 0.012) << x << "," << y;
        }
    }
}

TEST(DrawArc, RotationOfEllipsesOnly)
{
    CGraphicsImage plain = Make(8, 80, 80), turned = Make(8, 80, 80);
    EXPECT_TRUE(plain.DrawArc(40, 40, 25, 25, kInk, 0, FIXED_FULL_TURN, 0));
    EXPECT_TRUE(turned.DrawArc(40, 40, 25, 25, kInk, 0, FIXED_FULL_TURN, 0x1234));
    EXPECT_EQ(Painted(plain), Painted(turned));
    // A quarter turn makes a wide ellipse tall.
    CGraphicsImage tall = Make(8, 80, 80);
    EXPECT_TRUE(tall.DrawArc(40, 40, 30, 10, kInk, 0, FIXED_FULL_TURN, FIXED_QUARTER_TURN));
    const Box box = BoxOf(Painted(tall));
    EXPECT_NEAR(box.right - box.left, 20, 2);
    EXPECT_NEAR(box.bottom - box.top, 60, 2);
}

TEST(DrawArc, RejectsArcsWhollyOutside)
{
    CGraphicsImage image = Make(8, 50, 50);
    EXPECT_FALSE(image.DrawArc(-20, 25, 10, 10, kInk, 0, FIXED_FULL_TURN, 0));
    EXPECT_FALSE(image.DrawArc(25, 70, 10, 15, kInk, 0, FIXED_FULL_TURN, 0));
    EXPECT_TRUE(image.DrawArc(-10, 25, 10, 10, kInk, 0, FIXED_FULL_TURN, 0));
    EXPECT_TRUE(image.DrawArc(INT32_MAX, 25, INT32_MAX, 10, kInk, 0, FIXED_FULL_TURN, 0x100));
    EXPECT_TRUE(Painted(Make(8, 50, 50)).empty());
}

TEST(DrawArcWithPlot, ClosedCirclePlotsEachPointOnce)
{
    const int radii[] = {2, 7, 30, 90};
    for (int r : radii) {
        CGraphicsImage image = Make(8, 200, 200);
        SCOPED_TRACE(r);
        PlotRecorder::calls.clear();
        EXPECT_TRUE(image.DrawArcWithPlot(100, 100, r, r, kInk, PlotRecorder::Plot, 0, FIXED_FULL_TURN, 0, 0));
        PlotRecorder::Once();
    }
    // PlotSoft turns into a plain pixel on palette images.
    CGraphicsImage palette = Make(8, 40, 40);
    EXPECT_TRUE(palette.DrawArcWithPlot(20, 20, 10, 10, 5, PlotSoft, 0, FIXED_FULL_TURN, 0, 0));
    EXPECT_EQ(Painted(palette), Painted([] {
                  CGraphicsImage p = Make(8, 40, 40);
                  p.DrawArcWithPlot(20, 20, 10, 10, 5, PlotPixel, 0, FIXED_FULL_TURN, 0, 0);
                  return p;
              }()));
}

TEST(DrawArcSmooth, BlendsAroundTheCurve)
{
    CGraphicsImage palette = Make(8, 60, 60), plain = Make(8, 60, 60);
    EXPECT_TRUE(palette.DrawArcSmooth(30, 30, 20, 12, kInk, 0, 0x9000, 0));
    EXPECT_TRUE(plain.DrawArc(30, 30, 20, 12, kInk, 0, 0x9000, 0));
    EXPECT_EQ(Painted(palette), Painted(plain));

    CGraphicsImage image = Make(24, 80, 80, 0);
    EXPECT_TRUE(image.DrawArcSmooth(40, 40, 30, 30, 0x0000FF, 0, FIXED_FULL_TURN, 0));
    long total = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) {
            const uint32_t v = Get(image, x, y);
            EXPECT_EQ(v & 0xFFFF00, 0u);  // only blue was blended in
            if (v) {
                EXPECT_NEAR(std::hypot(x - 40, y - 40), 30, 1.6) << x << "," << y;
                total += v;
            }
        }
    // Each step spreads one pixel's worth of colour over two pixels.
    EXPECT_GT(total, long(0.8 * 2 * kPi * 30 * 255));
    EXPECT_LT(total, long(1.3 * 2 * kPi * 30 * 255));
    // Pixels outside are neither read nor written: a circle round a corner.
    CGraphicsImage corner = Make(24, 10, 10, 0);
    EXPECT_TRUE(corner.DrawArcSmooth(0, 0, 6, 6, 0xFFFFFF, 0, FIXED_FULL_TURN, 0));
    EXPECT_FALSE(Painted(corner).empty());
}

}  // namespace
