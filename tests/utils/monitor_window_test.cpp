// The monitor table from the system and windows moved between monitors of
// an injected table, under Wine.
#include "ui/utils/monitor_table.h"

#include <gtest/gtest.h>

namespace {

RECT ScreenRect(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    return rect;
}

TEST(MonitorWindows, SystemTableAndMoves)
{
    SetMonitorTable(0, nullptr, 0);
    InitMonitorTable(0);
    ASSERT_GE(MonitorCount(), 1);
    if (GetSystemMetrics(SM_CMONITORS) < 2) {
        RECT only;
        ASSERT_TRUE(GetMonitorRect(0, &only));
        EXPECT_EQ(only.right, GetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(only.bottom, GetSystemMetrics(SM_CYSCREEN));
    }
    HWND top = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 100, 400, 300, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD, 10, 20, 50, 40, top, nullptr, nullptr, nullptr);
    if (MonitorCount() < 2) {
        EXPECT_EQ(MoveWindowToMonitor(top, 0, kMonitorCentre), 0);  // one monitor: nothing moves
    }

    // Two monitors side by side, the second shifted down by 8.
    const RECT two[] = {{0, 0, 1000, 800}, {1000, 8, 2000, 808}};
    SetMonitorTable(2, two, 2);
    EXPECT_EQ(MonitorIndexFromWindow(top), 0);
    EXPECT_EQ(MonitorIndexFromWindow(nullptr), -1);
    // A child moves in its parent's client coordinates: shifted by the
    // monitors' offset on the screen.
    const RECT before = ScreenRect(child);
    EXPECT_EQ(MoveWindowToMonitor(child, 1, kMonitorKeepOffset), 1);
    const RECT after = ScreenRect(child);
    EXPECT_EQ(after.left - before.left, 1000);
    EXPECT_EQ(after.top - before.top, 8);
    // A top-level window without owner moves too, in screen coordinates.
    EXPECT_EQ(MoveWindowToMonitor(top, 1, kMonitorKeepOffset), 1);
    EXPECT_EQ(ScreenRect(top).left, 1100);
    EXPECT_EQ(MoveWindowToMonitor(top, 1, kMonitorKeepOffset), 0);  // already there
    EXPECT_EQ(MoveWindowToMonitor(top, 0, kMonitorCentre), 1);
    EXPECT_EQ(ScreenRect(top).left, 500 - 200);
    EXPECT_EQ(ScreenRect(top).top, 400 - 150);

    CREATESTRUCTA cs = {};
    cs.x = kCreateUseDefault;
    cs.y = 50;
    cs.cx = 200;
    cs.cy = 100;
    EXPECT_EQ(MonitorIndexFromCreateStruct(&cs), -1);  // a default x lies on no monitor
    EXPECT_EQ(PlaceCreateStructOnMonitor(&cs, 1, kMonitorKeepOffset), 1);
    EXPECT_EQ(cs.x, 1020);
    EXPECT_EQ(cs.y, 58);
    DestroyWindow(top);
    SetMonitorTable(0, nullptr, 0);
}

}  // namespace
