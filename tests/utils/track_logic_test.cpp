// The arithmetic of the tracking loops: auto-scroll directions and steps,
// widened scroll positions, sizing edges and limits, splitter clamping.
#include "ui/utils/sizing_border.h"
#include "ui/utils/track_logic.h"

#include <gtest/gtest.h>

namespace {

constexpr int kRight = 3, kLeft = 6, kDown = 1, kUp = 2;
constexpr int kRightUp = 5, kRightDown = 4, kLeftDown = 7, kLeftUp = 8;

struct DirectionCase {
    int dx, dy, axes;
    int direction;
    int step;
};

TEST(AutoScroll, DirectionsAndSteps)
{
    const DirectionCase cases[] = {
        {10, 10, 3, kScrollNone, 0},     // inside the dead zone
        {30, 0, 3, kRight, 1},           {-30, 0, 3, kLeft, 1},
        {0, 30, 3, kDown, 1},            {30, -30, 3, kRightUp, 2},
        {100, -240, 3, kUp, 6 + 15},     {-100, 240, 3, kDown, 6 + 15},  // slope -240 exactly
        {100, 40, 3, kRight, 6 + 2},     {100, 41, 3, kRightDown, 6 + 2},
        {-100, 41, 3, kLeftDown, 6 + 2}, {-100, -41, 3, kLeftUp, 6 + 2},
        {0, 300, kAxisHorizontal, kScrollNone, 0},  // straight down on the horizontal axis only
        {300, 0, kAxisVertical, kScrollNone, 0},
        {64, 0, 3, kRight, 4},           {-64, 0, 3, kLeft, 4},
        {64, -64, 3, kRightUp, 8},       // a diagonal never cancels
        {-5, 0, 3, kScrollNone, 0},
    };
    for (const DirectionCase& c : cases) {
        EXPECT_EQ(AutoScrollDirection(c.dx, c.dy, c.axes), c.direction) << c.dx << "," << c.dy;
        EXPECT_EQ(AutoScrollStep(c.dx, c.dy, c.axes), c.step) << c.dx << "," << c.dy;
    }
}

TEST(AutoScroll, WidenedPositions)
{
    const struct {
        int current;
        unsigned low;
        int whole;
    } cases[] = {{70000, 70010 & 0xFFFF, 70010}, {70000, 69990 & 0xFFFF, 69990}, {65530, 4, 65540},
                 {65540, 65530, 65530},           {5, 3, 3},                        {0, 0xFFFF, -1},
                 {200000, 200000 & 0xFFFF, 200000}};
    for (const auto& c : cases)
        EXPECT_EQ(WidenScrollPosition(c.current, c.low), c.whole) << c.current;
}

struct SizeCase {
    int x, y, minW, minH;
    int dx, dy;
    int edges;
    RECT after;
};

TEST(TrackSize, EdgesAndMinimum)
{
    const RECT rect = {100, 100, 300, 200};
    const SizeCase cases[] = {
        {299, 150, 10, 10, 40, 5, kEdgeRight, {100, 100, 340, 200}},
        {299, 150, 50, 10, -180, 0, kEdgeRight, {100, 100, 150, 200}},  // stops at the minimum width
        {100, 100, 10, 10, 15, 15, kEdgeLeft | kEdgeTop, {115, 115, 300, 200}},
        {150, 199, 10, 80, 0, -50, kEdgeBottom, {100, 100, 300, 180}},
        {150, 150, -1, 10, 25, 30, kEdgesHorizontal, {125, 100, 325, 200}},  // a horizontal move
        {150, 150, 10, -1, 25, 30, kEdgesVertical, {100, 130, 300, 230}},
        {150, 150, -1, -1, 25, 30, kEdgesAll, {125, 130, 325, 230}},
        {150, 150, 10, 10, 25, 30, 0, {100, 100, 300, 200}},  // inside: nothing to drag
    };
    for (const SizeCase& c : cases) {
        const int edges = TrackSizeEdges(rect, c.x, c.y, c.minW, c.minH, 4);
        EXPECT_EQ(edges, c.edges) << c.x << "," << c.y;
        const RECT after = TrackSizeApply(rect, edges, c.dx, c.dy, c.minW, c.minH);
        EXPECT_EQ(after.left, c.after.left) << c.x << "," << c.y;
        EXPECT_EQ(after.top, c.after.top);
        EXPECT_EQ(after.right, c.after.right);
        EXPECT_EQ(after.bottom, c.after.bottom);
    }
}

TEST(TrackSplitter, Clamping)
{
    const struct {
        int low, high, bar, position, clamped;
    } cases[] = {{0, 100, 7, 50, 50},  {0, 100, 7, -5, 0},   {0, 100, 7, 99, 93},
                 {0, 100, 7, kSplitterCentre, 46},           {10, 15, 7, 12, 10}};
    for (const auto& c : cases)
        EXPECT_EQ(ClampSplitter(c.low, c.high, c.bar, c.position), c.clamped) << c.position;
}

}  // namespace
