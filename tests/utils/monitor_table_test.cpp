// Monitor choice and placement over injected tables of 1, 2 and 20 monitors.
#include "ui/utils/monitor_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const RECT kLeft = {-1920, 0, 0, 1080};
const RECT kMain = {0, 0, 1920, 1080};
const RECT kRight = {1920, 0, 3840, 1080};

bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class MonitorTable : public ::testing::Test {
protected:
    void TearDown() override { SetMonitorTable(0, nullptr, 0); }
};

TEST_F(MonitorTable, PointAndRectLookups)
{
    EXPECT_EQ(MonitorIndexFromPoint(5, 5), -1);  // not built
    const RECT two[] = {kMain, kRight};
    SetMonitorTable(2, two, 2);
    const struct {
        int x, y, index;
    } points[] = {{1919, 5, 0}, {1920, 5, 1}, {3840, 5, -1}, {-1, 0, -1}, {0, 1080, -1}, {0, 0, 0}};
    for (const auto& p : points) {
        EXPECT_EQ(MonitorIndexFromPoint(p.x, p.y), p.index) << p.x << "," << p.y;
        EXPECT_EQ(MonitorIndexFromPointAlt(p.x, p.y), p.index);
    }
    const RECT sides[] = {kLeft, kMain};
    SetMonitorTable(2, sides, 2);
    EXPECT_EQ(MonitorIndexFromRect({-101, 0, 0, 10}), 0);  // centre -50, toward zero
    EXPECT_EQ(MonitorIndexFromRect({-1, 0, 2, 10}), 1);
    EXPECT_EQ(MonitorIndexFromRect({INT32_MAX - 10, 0, INT32_MAX, 10}), -1);  // no overflow
    EXPECT_EQ(MonitorIndexFromCreateValues(-300, 10, 700, 0), 1);
    EXPECT_EQ(MonitorIndexFromCreateValues(-300, 10, kCreateUseDefault, 0), 0);
}

struct MoveCase {
    RECT rect;
    int monitor, mode;
    int result;
    RECT after;
};

TEST_F(MonitorTable, MovesOnTwoMonitors)
{
    const RECT two[] = {kMain, kRight};
    SetMonitorTable(2, two, 2);
    const MoveCase cases[] = {
        {{100, 100, 500, 400}, 1, 0, 1, {2020, 100, 2420, 400}},
        {{2020, 100, 2420, 400}, 1, 0, 0, {2020, 100, 2420, 400}},  // already there
        {{5000, 100, 5400, 400}, 0, 0, 0, {5000, 100, 5400, 400}},  // on no monitor
        {{100, 100, 500, 400}, 2, 0, 0, {100, 100, 500, 400}},      // no such monitor
        {{100, 100, 500, 400}, 1, 1, 1, {2680, 390, 3080, 690}},
        {{100, 100, 50, 400}, 1, 1, 1, {2880, 390, 2880, 690}},     // a negative width counts 0
        {{100, 100, 500, 400}, 1, 2, 0, {100, 100, 500, 400}},
    };
    for (const MoveCase& c : cases) {
        RECT rect = c.rect;
        EXPECT_EQ(MoveRectToMonitor(&rect, c.monitor, c.mode), c.result) << c.rect.left << " " << c.mode;
        EXPECT_TRUE(rect == c.after) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }
    // CW_USEDEFAULT for x and cx, centred on monitor 1: the default width is
    // the first monitor's less 100, and cx stays CW_USEDEFAULT.
    int x = kCreateUseDefault, y = 50, cx = kCreateUseDefault, cy = 300;
    EXPECT_EQ(PlaceCreateValuesOnMonitor(&x, &y, &cx, &cy, 1, kMonitorCentre), 1);
    EXPECT_EQ(x, 2880 - 910);
    EXPECT_EQ(y, 540 - 150);
    EXPECT_EQ(cx, kCreateUseDefault);
    EXPECT_EQ(cy, 300);
    x = kCreateUseDefault, cx = 500;
    EXPECT_EQ(PlaceCreateValuesOnMonitor(&x, &y, &cx, &cy, 1, kMonitorCentre), 1);
    EXPECT_EQ(x, 2880 - 250);
    EXPECT_EQ(cx, 500);
}

TEST_F(MonitorTable, OneAndTwentyMonitors)
{
    SetMonitorTable(1, &kMain, 1);
    RECT rect = {10, 10, 20, 20};
    for (int mode : {0, 1})
        EXPECT_EQ(MoveRectToMonitor(&rect, 0, mode), 0);
    EXPECT_TRUE(rect == (RECT{10, 10, 20, 20}));

    // 20 reported, 16 kept: nothing past the table is read or written.
    std::vector<RECT> many;
    for (int i = 0; i < 20; ++i)
        many.push_back({i * 100, 0, i * 100 + 100, 100});
    SetMonitorTable(20, many.data(), 20);
    EXPECT_EQ(MonitorCount(), kMaxMonitors);
    EXPECT_EQ(MonitorIndexFromPoint(1550, 5), 15);
    EXPECT_EQ(MonitorIndexFromPoint(1850, 5), -1);
    rect = {10, 10, 20, 20};
    EXPECT_EQ(MoveRectToMonitor(&rect, 18, 1), 0);
    EXPECT_EQ(MoveRectToMonitor(&rect, 15, 0), 1);
    EXPECT_EQ(rect.left, 1510);
    // Fewer rectangles found than monitors: the rest are (-1, -1, -1, -1).
    SetMonitorTable(3, many.data(), 2);
    RECT missing;
    ASSERT_TRUE(GetMonitorRect(2, &missing));
    EXPECT_TRUE(missing == (RECT{-1, -1, -1, -1}));
    EXPECT_EQ(MoveRectToMonitor(&rect, 2, 1), 1);  // centred on an empty entry: no crash
    EXPECT_FALSE(GetMonitorRect(3, &missing));
}

}  // namespace
