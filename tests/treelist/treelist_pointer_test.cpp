// The arithmetic of drag threshold, own double click, wheel and automatic
// scrolling.
#include <gtest/gtest.h>

#include "ui/treelist/core/treelist_pointer.h"

namespace {

TEST(TreeListPointer, DragThresholdCountsFromThePress)
{
    const POINT press{100, 50};
    const struct {
        POINT now;
        bool crossed;
    } cases[] = {{{102, 50}, false}, {{98, 52}, false}, {{103, 50}, true}, {{100, 47}, true}, {{102, 52}, false}};
    for (const auto& c : cases)
        EXPECT_EQ(TreeListDragThresholdCrossed(press, c.now), c.crossed) << c.now.x << "," << c.now.y;
    // A slow drag: one pixel per move still crosses once 3 pixels are reached.
    int moves = 0;
    for (POINT p = press; !TreeListDragThresholdCrossed(press, p); ++p.x)
        ++moves;
    EXPECT_EQ(moves, 3);
}

TEST(TreeListPointer, OwnDoubleClickWithin700MsAndSixPixels)
{
    const POINT first{10, 10};
    const struct {
        uint32_t after;
        POINT second;
        bool dbl;
    } cases[] = {{600, {14, 10}, true}, {700, {10, 10}, false}, {699, {13, 13}, true},
                 {100, {14, 13}, false}, {0, {10, 10}, true}};
    for (const auto& c : cases)
        EXPECT_EQ(TreeListIsOwnDoubleClick(5000, first, 5000 + c.after, c.second), c.dbl) << c.after;
    EXPECT_FALSE(TreeListIsOwnDoubleClick(0, first, 100, first));  // no press before
}

TEST(TreeListPointer, WheelRowsKeepTheRemainder)
{
    const struct {
        int delta;
        WPARAM keys;
        int rows;
    } notches[] = {{120, 0, 2}, {120, MK_CONTROL, 18}, {120, MK_SHIFT, 6}, {-120, 0, -2}, {120, MK_CONTROL | MK_SHIFT, 18}};
    for (const auto& n : notches) {
        int remainder = 0;
        EXPECT_EQ(TreeListWheelRows(remainder, n.delta, n.keys), n.rows);
        EXPECT_EQ(remainder, 0);
    }
    // Fine-grained wheels: 20 units at a time make a row every third message.
    int remainder = 0, total = 0;
    for (int i = 0; i < 9; ++i)
        total += TreeListWheelRows(remainder, 20, 0);
    EXPECT_EQ(total, 3);
    EXPECT_EQ(remainder, 0);
    EXPECT_EQ(TreeListWheelRows(remainder, 50, 0), 0);
    EXPECT_EQ(remainder, 50);
    EXPECT_EQ(TreeListWheelRows(remainder, -30, 0), 0);  // a turn drops what was kept
    EXPECT_EQ(remainder, -30);
    EXPECT_EQ(TreeListWheelRows(remainder, -30, 0), -1);
}

TEST(TreeListPointer, WheelFirstRowLimits)
{
    EXPECT_EQ(TreeListWheelFirstRow(10, 2, 100, 20), 8u);
    EXPECT_EQ(TreeListWheelFirstRow(1, 2, 100, 20), 0u);
    EXPECT_EQ(TreeListWheelFirstRow(75, -18, 100, 20), 81u);  // rowCount - visible + 1
    EXPECT_EQ(TreeListWheelFirstRow(0, -2, 10, 20), 0u);
}

TEST(TreeListPointer, AutoScrollSpeedGrowsWithTheDistance)
{
    // Client height 200, header 17, image width 16, row height 16.
    struct Case {
        const char* name;
        POINT cursor;
        uint32_t mode;
        int direction;
        int ticksPerLine;
    } cases[] = {
        {"above the window: d 47, speed 11", {50, -30}, 0, -1, 1},
        {"on the header: d 14, speed 4", {50, 3}, 0, -1, 8},
        {"inside mode, above the window", {50, -1}, 0x01, 0, 0},
        {"inside mode on the header: d 12 + 2", {50, 5}, 0x01, -1, 1},
        {"below the window: d 16, speed 5", {50, 215}, 0, 1, 7},
        {"inside mode, 6 below", {50, 205}, 0x01, 0, 0},
        {"inside mode, last line: d 0 + 2", {50, 199}, 0x01, 1, 10},
        {"middle of the list", {50, 120}, 0, 0, 0},
        {"image column mode, right of it", {50, 215}, 0x02, 0, 0},
        {"image column mode, on it: d 16 + 16", {5, 215}, 0x02, 1, 2},
    };
    for (const Case& c : cases) {
        const TreeListAutoScrollInput in{c.cursor, 200, 17, 16, 16, c.mode};
        uint32_t ticks = 0;
        int firstLine = 0, direction = 0;
        for (int tick = 1; tick <= 12 && !direction; ++tick) {
            direction = TreeListAutoScrollTick(in, ticks);
            if (direction)
                firstLine = tick;
        }
        EXPECT_EQ(direction, c.direction) << c.name;
        EXPECT_EQ(firstLine, c.ticksPerLine) << c.name;
        EXPECT_EQ(ticks, 0u) << c.name;
    }
}

}  // namespace
