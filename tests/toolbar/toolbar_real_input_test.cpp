// The toolbar bars driven by a real mouse and keyboard, one table of
// (action, expected result) each: button clicks, the combo box in a button,
// the context menu and its icon sizes, the floating bar and its frame; on
// the gallery's toolbar page, the bars dragged off and onto the frame's
// edges, docked and floated by double clicks, hidden and shown again, and
// a bar's flat look from its menu.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "examples/gallery/gallery_toolbar.h"
#include "tests/support/test_support.h"
#include "tests/toolbar/toolbar_test_support.h"
#include "tests/winharness/message_pump.h"
#include "tests/winharness/modal_driver.h"
#include "tests/winharness/popup_menu_reader.h"
#include "tests/winharness/real_input.h"
#include "tests/winharness/screenshot.h"

namespace {

using namespace toolbar_test;
using winharness::RealInput;

constexpr uint32_t kWhite = 0xFFFFFF;
// Button indexes of the first bar (separators count).
constexpr int kFirstOpen = 0, kFirstSave = 1, kFirstPrint = 3, kFirstCombo = 6;

// The rows reach into the fixture: everything is public. The parameter puts
// the view above the bars (made first), else below them.
class ToolbarRealInput : public testing::TestWithParam<bool> {
public:
    void SetUp() override
    {
        ASSERT_TRUE(frame.Build(RECT{60, 60, 700, 380}, GetParam()));
        app.m_pMainWnd = &frame;
        winharness::PumpUntilIdle();
    }
    void TearDown() override
    {
        app.m_pMainWnd = nullptr;
        frame.DestroyWindow();
    }
    CToolBarNew& Bar(int n) { return frame.bars[n]; }
    HWND Floating() { return Bar(2).GetFloatingFrame() ? Bar(2).GetFloatingFrame()->m_hWnd : nullptr; }
    // A right click on the bar, answered by a click on the entry.
    void Choose(int bar, const char* entry)
    {
        // A click, not keys: the menu opens under the pointer, and the
        // pointer's move onto the menu's edge may clear a selection the keys
        // have made.
        winharness::PopupMenuReader clicker(entry, 3000, winharness::PopupMenuReader::Answer::kClick);
        input.RightClick(Bar(bar).m_hWnd, {Right(bar) - 4, 4});
        ASSERT_TRUE(clicker.Picked()) << "no menu with the entry opened";
        // The test program's string 0x4001 names the first two entries.
        const std::vector<std::string> texts = {"Klein", "Mittel", "Große Icons", "", "Flache Symbolleiste", "",
                                                "ausblenden"};
        EXPECT_EQ(clicker.Texts(), texts);
    }
    int Right(int bar)
    {
        RECT client;
        Bar(bar).GetClientRect(&client);
        return client.right;
    }

    CWinApp app;
    IconFrame frame;
    RealInput input;
};

// Every picture of the bar's enabled buttons shows whole at the bar's icon
// size (Drucken is drawn greyed).
testing::AssertionResult ShowsPictures(CToolBarNew& bar)
{
    const winharness::Screenshot shot = Shot(bar.m_hWnd);
    const int side = kIconSizes[bar.iconMode] - 2;
    for (int n : {0, 1, 3}) {
        const int count = CountPixels(shot, Pixel(kImageColours[n]));
        if (count != side * side)
            return testing::AssertionFailure() << "bar " << bar.GetDlgCtrlID() - AFX_IDW_TOOLBAR << " picture " << n
                                               << ": " << count << " pixels, not " << side * side;
    }
    return testing::AssertionSuccess();
}

// The view shows white only: nothing of a bar was left in it.
testing::AssertionResult ViewIsWhite(IconFrame& frame)
{
    const winharness::Screenshot shot = Shot(frame.view.m_hWnd);
    const int other = shot.width * shot.height - CountPixels(shot, kWhite);
    if (other)
        return testing::AssertionFailure() << other << " pixels of the view are not white";
    return testing::AssertionSuccess();
}

// The docked bars sit one below the other from the top, the view below
// them, every visible one showing what it should.
testing::AssertionResult DockedAsShown(IconFrame& frame)
{
    int top = 0;
    for (CToolBarNew& bar : frame.bars) {
        if (bar.IsFloating() || !(bar.GetStyle() & WS_VISIBLE))
            continue;
        RECT rect;
        bar.GetWindowRect(&rect);
        frame.ScreenToClient(&rect);
        if (rect.top != top)
            return testing::AssertionFailure() << "a bar at " << rect.top << ", not " << top;
        if (testing::AssertionResult shows = ShowsPictures(bar); !shows)
            return shows;
        top = rect.bottom;
    }
    RECT view;
    frame.view.GetWindowRect(&view);
    frame.ScreenToClient(&view);
    if (view.top != top)
        return testing::AssertionFailure() << "the view at " << view.top << ", not " << top;
    return ViewIsWhite(frame);
}

struct ToolbarRow {
    const char* action;
    std::function<void(ToolbarRealInput&)> act;
    std::vector<UINT> commands;  // the plain commands the frame gets, in order
    std::function<testing::AssertionResult(ToolbarRealInput&)> check;  // what else holds after it
};

TEST_P(ToolbarRealInput, ButtonsComboMenuAndFloatingBar)
{
    const auto docked = [](ToolbarRealInput& t) { return DockedAsShown(t.frame); };
    const ToolbarRow rows[] = {
        {"click Öffnen", [](ToolbarRealInput& t) { t.input.Click(t.Bar(0).m_hWnd, ButtonCentre(t.Bar(0), kFirstOpen)); },
         {kOpen}, docked},
        {"click the disabled Drucken",
         [](ToolbarRealInput& t) { t.input.Click(t.Bar(0).m_hWnd, ButtonCentre(t.Bar(0), kFirstPrint)); }, {},
         docked},
        {"press Speichern, release over the view",
         [](ToolbarRealInput& t) {
             t.input.Drag(t.Bar(0).m_hWnd, ButtonCentre(t.Bar(0), kFirstSave), {ButtonCentre(t.Bar(0), kFirstSave).x, 90});
         },
         {}, docked},
        {"click Raster on the floating bar",
         [](ToolbarRealInput& t) { t.input.Click(t.Bar(2).m_hWnd, ButtonCentre(t.Bar(2), 3)); }, {kGrid},
         [](ToolbarRealInput& t) {
             return IsWindowVisible(t.Floating()) ? ShowsPictures(t.Bar(2))
                                                  : testing::AssertionFailure() << "the floating bar went";
         }},
        {"combo in a button: open its list, click the last entry",
         [](ToolbarRealInput& t) {
             t.input.Click(t.frame.combo.m_hWnd, {20, 8});
             COMBOBOXINFO info = {};
             info.cbSize = sizeof info;
             ASSERT_TRUE(GetComboBoxInfo(t.frame.combo.m_hWnd, &info));
             ASSERT_TRUE(IsWindowVisible(info.hwndList));
             const int height = int(t.frame.combo.SendMessage(CB_GETITEMHEIGHT, 0));
             t.input.Click(info.hwndList, {20, height * (kScaleCount - 1) + height / 2});
         },
         {kScales + kScaleCount - 1}, docked},
        {"combo by keyboard: Up",
         [](ToolbarRealInput& t) {
             t.input.Focus(t.frame.combo.m_hWnd);
             t.input.Key(VK_UP);
         },
         {kScales + 1}, docked},
        // (Shift+F10 sends no WM_CONTEXTMENU under Wine 8.)
        {"combo focused: the menu key opens the bar's menu below it",
         [](ToolbarRealInput& t) {
             t.input.Focus(t.frame.combo.m_hWnd);
             winharness::PopupMenuReader reader;  // closes the menu
             t.input.Key(VK_APPS);
             RECT menu, combo;
             ASSERT_TRUE(reader.Place(&menu)) << "no menu opened";
             t.frame.combo.GetWindowRect(&combo);
             EXPECT_EQ(menu.left, combo.left);
             EXPECT_EQ(menu.top, combo.bottom);
         },
         {}, docked},
        {"menu of the small bar: Mittel", [](ToolbarRealInput& t) { t.Choose(0, "Mittel"); }, {0xD001}, docked},
        // Both docked bars were once left blank until the pointer passed
        // over them; the view kept pieces of a bar.
        {"menu of the medium bar: Große Icons", [](ToolbarRealInput& t) { t.Choose(1, "Große Icons"); }, {0xD002},
         docked},
        {"menu: Flache Symbolleiste is the application's", [](ToolbarRealInput& t) { t.Choose(0, "Flache Symbolleiste"); },
         {0xD003}, docked},
        {"floating bar: Alt+F4 on its frame hides it",
         [](ToolbarRealInput& t) {
             t.input.Activate(t.Floating());
             t.input.Key(VK_F4, winharness::kAlt);
         },
         {},
         [](ToolbarRealInput& t) {
             return !IsWindowVisible(t.Floating()) && t.Bar(2).IsFloating()
                        ? DockedAsShown(t.frame)
                        : testing::AssertionFailure() << "the floating frame is still shown";
         }},
        {"menu of the first bar: ausblenden", [](ToolbarRealInput& t) { t.Choose(0, "ausblenden"); }, {},
         [](ToolbarRealInput& t) {
             return !(t.Bar(0).GetStyle() & WS_VISIBLE) ? DockedAsShown(t.frame)
                                                        : testing::AssertionFailure() << "the bar is still shown";
         }},
    };
    for (const ToolbarRow& row : rows) {
        SCOPED_TRACE(row.action);
        frame.commands.clear();
        row.act(*this);
        winharness::PumpUntilIdle();  // the bar posts its controls' commands
        EXPECT_EQ(frame.commands, row.commands);
        EXPECT_TRUE(row.check(*this));
    }
}

// The window lies wholly on the work area of its monitor.
testing::AssertionResult OnItsWorkArea(HWND wnd)
{
    RECT place = {};
    GetWindowRect(wnd, &place);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &monitor))
        return testing::AssertionFailure() << "no monitor";
    const RECT& work = monitor.rcWork;
    if (place.left < work.left || place.top < work.top || place.right > work.right || place.bottom > work.bottom)
        return testing::AssertionFailure() << "at " << place.left << ", " << place.top << " - " << place.right << ", "
                                           << place.bottom << ", past the work area's " << work.right << ", "
                                           << work.bottom;
    return testing::AssertionSuccess();
}

struct GrowthRow {
    const char* action;
    int bar;
    POINT floatAt;  // on the screen: past the work area's edge lands at it
    std::function<void(ToolbarRealInput&)> grow;
};

// A floating frame at the work area's edge that grows with its bar stays on
// the work area.
TEST_P(ToolbarRealInput, FloatingFrameGrowsOnTheWorkArea)
{
    const GrowthRow rows[] = {
        {"Große Icons from its menu", 0, {5000, 5000}, [](ToolbarRealInput& t) { t.Choose(0, "Große Icons"); }},
        {"hidden, its icons made large, shown again", 1, {100, 5000},
         [](ToolbarRealInput& t) {
             t.frame.ShowControlBar(&t.Bar(1), FALSE, FALSE);
             ASSERT_TRUE(t.frame.SetIconSize(t.Bar(1), 2));
             t.frame.ShowControlBar(&t.Bar(1), TRUE, FALSE);
         }},
        {"more buttons at the right edge", 1, {5000, 100},
         [](ToolbarRealInput& t) {
             const uint16_t more[] = {kOpen, kSave, 0, kPrint, kGrid, 0, kOpen, kSave, kPrint, kGrid};
             ASSERT_TRUE(t.Bar(1).SetButtons(more, int(std::size(more))));
             t.Bar(1).RecalcBar();
         }},
    };
    for (const GrowthRow& row : rows) {
        SCOPED_TRACE(row.action);
        frame.FloatControlBar(&Bar(row.bar), row.floatAt);
        winharness::PumpUntilIdle();
        const HWND floating = Bar(row.bar).GetFloatingFrame()->m_hWnd;
        ASSERT_TRUE(OnItsWorkArea(floating));
        RECT before, after;
        GetWindowRect(floating, &before);
        row.grow(*this);
        winharness::PumpUntilIdle();
        ASSERT_EQ(Bar(row.bar).GetFloatingFrame()->m_hWnd, floating);
        GetWindowRect(floating, &after);
        EXPECT_GT((after.right - after.left) * (after.bottom - after.top),
                  (before.right - before.left) * (before.bottom - before.top));
        EXPECT_TRUE(IsWindowVisible(floating));
        EXPECT_TRUE(OnItsWorkArea(floating));
        frame.DockControlBar(&Bar(row.bar));
    }
}

INSTANTIATE_TEST_SUITE_P(ViewOrder, ToolbarRealInput, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "ViewAbove" : "ViewBelow"; });

// ================= The gallery's toolbar page =================

RECT ScreenRectOf(HWND wnd)
{
    RECT rect = {};
    GetWindowRect(wnd, &rect);
    return rect;
}

RECT InClient(HWND frame, RECT rect)
{
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT ToClient(HWND wnd, POINT screen)
{
    ScreenToClient(wnd, &screen);
    return screen;
}

// A point of the bar's gripper (its frame, outside the client), in client
// coordinates: a few pixels in from its leading edge, halfway across.
POINT GripperPoint(CControlBar& bar)
{
    RECT window = ScreenRectOf(bar.m_hWnd), client;
    bar.GetClientRect(&client);
    bar.ClientToScreen(&client);
    const POINT screen = bar.IsHorizontalNow() ? POINT{window.left + 3, (client.top + client.bottom) / 2}
                                               : POINT{(client.left + client.right) / 2, window.top + 3};
    return ToClient(bar.m_hWnd, screen);
}

// The middle of the run of a window's caption row where the frame answers
// `part` (the caption, the close button), on the screen; {-1, -1} for none.
POINT FramePart(HWND frame, LRESULT part)
{
    const RECT window = ScreenRectOf(frame);
    const LONG y = window.top + CFloatingFrame::Insets().top / 2;
    LONG first = -1, last = -1;
    for (LONG x = window.left; x < window.right; ++x) {
        if (SendMessageA(frame, WM_NCHITTEST, 0, MAKELPARAM(x, y)) != part)
            continue;
        first = first < 0 ? x : first;
        last = x;
    }
    return first < 0 ? POINT{-1, -1} : POINT{(first + last) / 2, y};
}

// A point of a floating frame's caption, in the frame's client coordinates.
POINT CaptionPoint(HWND frame)
{
    return ToClient(frame, FramePart(frame, HTCAPTION));
}

// Where the differences of two shots of the same place lie, in the shots'
// coordinates; empty when they are alike.
RECT Differences(const winharness::Screenshot& before, const winharness::Screenshot& after)
{
    RECT box = {after.width, after.height, 0, 0};
    for (int y = 0; y < after.height; ++y)
        for (int x = 0; x < after.width; ++x)
            if (before.At(x, y) != after.At(x, y))
                box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                           std::max<LONG>(box.bottom, y + 1)};
    return box.right > box.left ? box : RECT{0, 0, 0, 0};
}

// The screen around the page and its floating bar, as the screen shows it
// (drawn on the screen itself, the drag's outline is in no window).
constexpr RECT kWatched = {0, 0, 1100, 700};
winharness::Screenshot ScreenShot()
{
    winharness::Screenshot shot;
    HDC screen = GetDC(nullptr);
    EXPECT_TRUE(winharness::CaptureDC(screen, kWatched.left, kWatched.top, kWatched.right - kWatched.left,
                                      kWatched.bottom - kWatched.top, &shot));
    ReleaseDC(nullptr, screen);
    return shot;
}

std::vector<LONG> Fields(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

// The page as the gallery opens it, a little larger: room in its view to
// drop a bar away from every edge.
class ToolbarPageInput : public testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(page.Open(RECT{60, 60, 760, 520}));
        app.m_pMainWnd = &page;
        ASSERT_TRUE(page.Build());
        page.ShowWindow(SW_SHOW);
        winharness::PumpUntilIdle();
    }
    void TearDown() override
    {
        app.m_pMainWnd = nullptr;
        page.DestroyWindow();
    }
    CToolBarNew& Bar(int n) { return page.bars[n]; }
    HWND FloatingOf(int n) { return Bar(n).GetFloatingFrame() ? Bar(n).GetFloatingFrame()->m_hWnd : nullptr; }
    POINT ClientPoint(LONG x, LONG y) { return RealInput::ScreenPoint(page.m_hWnd, {x, y}); }

    // How a drag ends besides its release: Escape, or a right click, before it.
    enum class Cancel { kNone, kEscape, kRightClick };
    // A drag sent whole before the bar's loop takes any of it: the loop
    // runs inside the press's handling, where no later input would come.
    void Drag(HWND wnd, POINT from, POINT to, unsigned modifiers = winharness::kNoModifier,
              Cancel cancel = Cancel::kNone)
    {
        input.Activate(wnd);
        RealInput queued(RealInput::Pump::kNo);
        if (cancel == Cancel::kNone) {
            queued.Drag(wnd, from, to, modifiers);
        } else {
            queued.Press(wnd, from);
            queued.MoveAlong(wnd, from, to);
            if (cancel == Cancel::kEscape) {
                queued.Key(VK_ESCAPE);
            } else {
                queued.Press(wnd, to, winharness::Button::kRight);
                queued.Release(wnd, to, winharness::Button::kRight);
            }
            queued.Release(wnd, to);
        }
        input.Drain();
    }
    // A drag looked at in its middle, inside the bar's loop once the moves
    // are handled: the screen then is saved as a picture of the name, and
    // where it differs from the screen before the press is the answer (the
    // outline the drag shows). Then the release.
    RECT DragLooking(HWND wnd, POINT from, POINT to, const char* picture)
    {
        // What the pointer's arrival changes (a hot button, the window made
        // active) comes before the screen is taken.
        input.MoveTo(wnd, from);
        winharness::PumpUntilIdle();
        const winharness::Screenshot still = ScreenShot();
        RECT outline = {};
        RealInput queued(RealInput::Pump::kNo);
        bool released = false;
        winharness::ModalDriver driver(10000);
        driver
            .Then([&](winharness::ModalDriver&) {
                if (!GetCapture())
                    return false;  // the loop has not begun
                queued.MoveAlong(wnd, from, to);
                return true;
            })
            .Then([&](winharness::ModalDriver&) {
                if (winharness::InputPending())
                    return false;
                const winharness::Screenshot moving = ScreenShot();
                winharness::SavePicture(moving, picture);
                outline = Differences(still, moving);
                queued.Release(wnd, to);
                released = true;
                return true;
            });
        driver.Run([&] {
            queued.Press(wnd, from);
            winharness::PumpUntil([&] { return released && !GetCapture(); }, 9000);
        });
        winharness::PumpUntilIdle();
        return outline;
    }
    // A bar's menu opened by a right click on its empty end and answered by
    // a click on the entry given (none closes it): the entries it showed
    // checked.
    std::vector<std::string> BarMenu(int bar, const char* entry)
    {
        RECT client;
        Bar(bar).GetClientRect(&client);
        winharness::PopupMenuReader reader(entry, 3000, winharness::PopupMenuReader::Answer::kClick);
        input.RightClick(Bar(bar).m_hWnd, {client.right - 4, 4});
        if (*entry) {
            EXPECT_TRUE(reader.Picked()) << "no menu with " << entry;
        }
        return reader.Checked();
    }
    // The entries of the "Ansicht" menu as opened by a click, answered by a
    // click on the entry given.
    std::vector<std::string> ViewMenu(const char* entry)
    {
        RECT item;
        EXPECT_TRUE(GetMenuItemRect(page.m_hWnd, GetMenu(page.m_hWnd), 0, &item));
        winharness::PopupMenuReader reader(entry, 3000, winharness::PopupMenuReader::Answer::kClick);
        input.Click(page.m_hWnd, ToClient(page.m_hWnd, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2}));
        EXPECT_TRUE(reader.Picked()) << "no Ansicht menu with " << entry;
        return reader.Checked();
    }

    CWinApp app;
    ToolbarPage page;
    RealInput input;
};

// Where a bar lies in the page: docked at a side, or floating with its frame
// at a place; and whether it shows.
testing::AssertionResult DockedAt(CToolBarNew& bar, DWORD side)
{
    if (bar.IsFloating())
        return testing::AssertionFailure() << "the bar floats";
    if (CFrameWnd::SideOf(&bar) != side)
        return testing::AssertionFailure() << "docked at " << std::hex << CFrameWnd::SideOf(&bar) << ", not " << side;
    if (::GetParent(bar.m_hWnd) != bar.GetDockingFrame()->m_hWnd)
        return testing::AssertionFailure() << "not a child of its frame";
    if (!bar.IsWindowVisible())
        return testing::AssertionFailure() << "hidden";
    return testing::AssertionSuccess();
}

testing::AssertionResult FloatsAt(CToolBarNew& bar, POINT frameTopLeft)
{
    CFloatingFrame* floating = bar.GetFloatingFrame();
    if (!floating)
        return testing::AssertionFailure() << "the bar is docked";
    const RECT place = ScreenRectOf(floating->m_hWnd);
    if (place.left != frameTopLeft.x || place.top != frameTopLeft.y)
        return testing::AssertionFailure() << "its frame at " << place.left << ", " << place.top << ", not "
                                           << frameTopLeft.x << ", " << frameTopLeft.y;
    if (!floating->IsWindowVisible() || !bar.IsWindowVisible())
        return testing::AssertionFailure() << "hidden";
    return testing::AssertionSuccess();
}

// The docked bars shown and the view tile the frame's client area: none
// overlaps another, and together they cover it.
testing::AssertionResult Tiled(ToolbarPage& page)
{
    RECT client;
    page.GetClientRect(&client);
    std::vector<RECT> tiles = {InClient(page.m_hWnd, ScreenRectOf(page.view.m_hWnd))};
    for (CControlBar* bar : page.ControlBars())
        if (!bar->IsFloating() && (bar->GetStyle() & WS_VISIBLE))
            tiles.push_back(InClient(page.m_hWnd, ScreenRectOf(bar->m_hWnd)));
    int64_t area = 0;
    for (size_t n = 0; n < tiles.size(); ++n) {
        const RECT& tile = tiles[n];
        RECT common;
        if (IntersectRect(&common, &tile, &client) && !EqualRect(&common, &tile))
            return testing::AssertionFailure() << "a window reaches out of the client area";
        for (size_t other = n + 1; other < tiles.size(); ++other)
            if (IntersectRect(&common, &tile, &tiles[other]))
                return testing::AssertionFailure() << "windows overlap at " << common.left << ", " << common.top;
        area += int64_t(tile.right - tile.left) * (tile.bottom - tile.top);
    }
    if (area != int64_t(client.right) * client.bottom)
        return testing::AssertionFailure() << "the windows leave part of the client area bare";
    return testing::AssertionSuccess();
}

struct PageRow {
    const char* action;
    std::function<void(ToolbarPageInput&)> act;
    std::function<testing::AssertionResult(ToolbarPageInput&)> check;
};

TEST_F(ToolbarPageInput, BarsDragDockFloatHideAndShow)
{
    // Filled in by the rows as they go.
    POINT floatedAt = {}, thirdFloatedAt = {};
    RECT floatedFrame = {}, leftPlace = {}, firstPlace = {};
    const PageRow rows[] = {
        // Let go below the frame: Wine, activating the frame, may stack a
        // floating frame that lies over it behind it.
        {"drag the second bar by its gripper off the frame: it floats where it is let go, its outline shown "
         "on the way",
         [&](ToolbarPageInput& t) {
             CToolBarNew& bar = t.Bar(1);
             const POINT from = GripperPoint(bar);
             const POINT to = {from.x + 230, from.y + 450};
             const RECT before = ScreenRectOf(bar.m_hWnd);
             const RECT outline = t.DragLooking(bar.m_hWnd, from, to, "toolbar_dragged_off.png");
             ASSERT_TRUE(bar.IsFloating());
             // The bar went with the pointer; its frame is the outline shown.
             RECT now = ScreenRectOf(bar.m_hWnd);
             EXPECT_EQ(now.left - before.left, 230);
             EXPECT_EQ(now.top - before.top, 450);
             const RECT frame = ScreenRectOf(t.FloatingOf(1));
             EXPECT_EQ(Fields(outline), Fields(frame));
             floatedFrame = frame;
             floatedAt = POINT{frame.left, frame.top};
         },
         [&](ToolbarPageInput& t) { return FloatsAt(t.Bar(1), floatedAt); }},
        {"drag the third bar's caption to the frame's top edge: it docks there as the first row, its outline a "
         "row",
         [&](ToolbarPageInput& t) {
             const HWND floating = t.FloatingOf(2);
             thirdFloatedAt = POINT{ScreenRectOf(floating).left, ScreenRectOf(floating).top};
             const POINT from = CaptionPoint(floating);
             const POINT to = ToClient(floating, t.ClientPoint(200, 1));
             const RECT outline = t.DragLooking(floating, from, to, "toolbar_dragged_to_top.png");
             ASSERT_TRUE(DockedAt(t.Bar(2), CBRS_ALIGN_TOP));
             // A thin row with its top edge under the pointer, as high as
             // the bar docked there.
             const RECT docked = ScreenRectOf(t.Bar(2).m_hWnd);
             EXPECT_EQ(outline.top, t.ClientPoint(0, 1).y);
             EXPECT_EQ(outline.bottom - outline.top, docked.bottom - docked.top);
         },
         [](ToolbarPageInput& t) {
             const RECT third = InClient(t.page.m_hWnd, ScreenRectOf(t.Bar(2).m_hWnd));
             const RECT first = InClient(t.page.m_hWnd, ScreenRectOf(t.Bar(0).m_hWnd));
             return third.top == 0 && first.top == third.bottom
                        ? testing::AssertionSuccess()
                        : testing::AssertionFailure() << "rows at " << third.top << " and " << first.top;
         }},
        {"drag the floating second bar's caption to the left edge: it docks there, a column",
         [&](ToolbarPageInput& t) {
             const HWND floating = t.FloatingOf(1);
             t.Drag(floating, CaptionPoint(floating), ToClient(floating, t.ClientPoint(2, 200)));
             leftPlace = ScreenRectOf(t.Bar(1).m_hWnd);
         },
         [](ToolbarPageInput& t) {
             RECT r = ScreenRectOf(t.Bar(1).m_hWnd);
             if (!(r.bottom - r.top > r.right - r.left))
                 return testing::AssertionFailure() << "not a column";
             return DockedAt(t.Bar(1), CBRS_ALIGN_LEFT);
         }},
        {"double click its gripper: it floats where it floated last, a row as wide as then",
         [](ToolbarPageInput& t) { t.input.DoubleClick(t.Bar(1).m_hWnd, GripperPoint(t.Bar(1))); },
         [&](ToolbarPageInput& t) {
             EXPECT_EQ(Fields(ScreenRectOf(t.FloatingOf(1))), Fields(floatedFrame));
             return FloatsAt(t.Bar(1), floatedAt);
         }},
        {"double click its caption: it docks back at its last place",
         [](ToolbarPageInput& t) { t.input.DoubleClick(t.FloatingOf(1), CaptionPoint(t.FloatingOf(1))); },
         [&](ToolbarPageInput& t) {
             EXPECT_EQ(Fields(ScreenRectOf(t.Bar(1).m_hWnd)), Fields(leftPlace));
             winharness::SavePicture(ScreenShot(), "toolbar_docked_back.png");
             return DockedAt(t.Bar(1), CBRS_ALIGN_LEFT);
         }},
        {"double click the third bar's gripper: it floats where it floated before it docked",
         [](ToolbarPageInput& t) { t.input.DoubleClick(t.Bar(2).m_hWnd, GripperPoint(t.Bar(2))); },
         [&](ToolbarPageInput& t) { return FloatsAt(t.Bar(2), thirdFloatedAt); }},
        {"Ctrl held, its caption dragged over the top edge: it stays floating, moved",
         [&](ToolbarPageInput& t) {
             const HWND floating = t.FloatingOf(2);
             const POINT from = CaptionPoint(floating);
             const POINT to = ToClient(floating, t.ClientPoint(300, 1));
             t.Drag(floating, from, to, winharness::kCtrl);
             // The frame went as far as the pointer did.
             thirdFloatedAt = POINT{thirdFloatedAt.x + to.x - from.x, thirdFloatedAt.y + to.y - from.y};
         },
         [&](ToolbarPageInput& t) { return FloatsAt(t.Bar(2), thirdFloatedAt); }},
        {"its × hides it",
         [](ToolbarPageInput& t) {
             const HWND floating = t.FloatingOf(2);
             const POINT close = FramePart(floating, HTCLOSE);
             ASSERT_GE(close.x, 0) << "no close button";
             t.input.Click(floating, ToClient(floating, close));
         },
         [](ToolbarPageInput& t) {
             return !(t.Bar(2).GetStyle() & WS_VISIBLE) && !IsWindowVisible(t.FloatingOf(2)) && t.Bar(2).IsFloating()
                        ? testing::AssertionSuccess()
                        : testing::AssertionFailure() << "still shown";
         }},
        {"Ansicht: its entry, unchecked, shows it again",
         [](ToolbarPageInput& t) {
             const std::vector<std::string> checked = {"Symbolleiste &1", "Symbolleiste &2"};
             EXPECT_EQ(t.ViewMenu("Symbolleiste &3"), checked);
         },
         [&](ToolbarPageInput& t) { return FloatsAt(t.Bar(2), thirdFloatedAt); }},
        {"the first bar's menu: ausblenden hides it",
         [&](ToolbarPageInput& t) {
             firstPlace = ScreenRectOf(t.Bar(0).m_hWnd);
             t.BarMenu(0, "ausblenden");
         },
         [](ToolbarPageInput& t) {
             return !(t.Bar(0).GetStyle() & WS_VISIBLE) ? testing::AssertionSuccess()
                                                        : testing::AssertionFailure() << "still shown";
         }},
        {"Ansicht: its entry, unchecked, shows it again, docked where it was",
         [](ToolbarPageInput& t) {
             const std::vector<std::string> checked = {"Symbolleiste &2", "Symbolleiste &3"};
             EXPECT_EQ(t.ViewMenu("Symbolleiste &1"), checked);
         },
         [&](ToolbarPageInput& t) {
             EXPECT_EQ(Fields(ScreenRectOf(t.Bar(0).m_hWnd)), Fields(firstPlace));
             return DockedAt(t.Bar(0), CBRS_ALIGN_TOP);
         }},
        {"Ansicht: the second bar's entry, checked, hides it",
         [](ToolbarPageInput& t) {
             const std::vector<std::string> checked = {"Symbolleiste &1", "Symbolleiste &2", "Symbolleiste &3"};
             EXPECT_EQ(t.ViewMenu("Symbolleiste &2"), checked);
         },
         [](ToolbarPageInput& t) {
             return !(t.Bar(1).GetStyle() & WS_VISIBLE) ? testing::AssertionSuccess()
                                                        : testing::AssertionFailure() << "still shown";
         }},
        {"Escape while its gripper is dragged leaves the first bar where it was",
         [](ToolbarPageInput& t) {
             CToolBarNew& bar = t.Bar(0);
             const RECT before = ScreenRectOf(bar.m_hWnd);
             const POINT from = GripperPoint(bar);
             t.Drag(bar.m_hWnd, from, POINT{from.x + 200, from.y + 180}, winharness::kNoModifier,
                    ToolbarPageInput::Cancel::kEscape);
             EXPECT_EQ(Fields(ScreenRectOf(bar.m_hWnd)), Fields(before));
         },
         [](ToolbarPageInput& t) { return DockedAt(t.Bar(0), CBRS_ALIGN_TOP); }},
        // The click is the drag's, its release too: the bar under the
        // pointer would answer that with its menu.
        {"a right click while its gripper is dragged along the bar cancels the drag and opens no menu",
         [](ToolbarPageInput& t) {
             CToolBarNew& bar = t.Bar(0);
             const RECT before = ScreenRectOf(bar.m_hWnd);
             // Off the last row's press, which a press there would double.
             const POINT from = {GripperPoint(bar).x, GripperPoint(bar).y - 2 * GetSystemMetrics(SM_CYDOUBLECLK)};
             winharness::PopupMenuReader reader("", 1500);  // closes a menu that opens
             t.Drag(bar.m_hWnd, from, POINT{from.x + 60, from.y}, winharness::kNoModifier,
                    ToolbarPageInput::Cancel::kRightClick);
             RECT menu;
             EXPECT_FALSE(reader.Place(&menu)) << "the bar's menu opened";
             EXPECT_EQ(Fields(ScreenRectOf(bar.m_hWnd)), Fields(before));
         },
         [](ToolbarPageInput& t) { return DockedAt(t.Bar(0), CBRS_ALIGN_TOP); }},
    };
    for (const PageRow& row : rows) {
        SCOPED_TRACE(row.action);
        row.act(*this);
        winharness::PumpUntilIdle();
        EXPECT_TRUE(row.check(*this));
        EXPECT_TRUE(Tiled(page));
    }
}

// Where the keyboard is after the first bar's edit had it and the bar was
// hidden (or laid out anew), and what typing did to the edit.
enum class Keys { kEdit, kView, kFrame };

struct FocusRow {
    const char* action;
    std::function<void(ToolbarPageInput&)> setUp, act;
    bool shown;  // the bar afterwards
    Keys keys;   // the window that has the keyboard; the edit only takes what is typed
};

std::string TextOf(HWND wnd)
{
    char text[64] = "";
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

void HideByTheViewMenuKeys(ToolbarPageInput& t)
{
    // Queued whole: the menu's loop takes the second key.
    RealInput queued(RealInput::Pump::kNo);
    queued.Key('A', winharness::kAlt);
    queued.Key('1');
    t.input.Drain();
}

TEST_F(ToolbarPageInput, HiddenBarGivesUpTheKeyboard)
{
    const auto docked = [](ToolbarPageInput& t) {
        t.page.SetActiveView(&t.page.view);
        t.page.DockControlBar(&t.Bar(0));
        t.page.ShowControlBar(&t.Bar(0), TRUE, FALSE);
    };
    // In the view, away from the frame's edges.
    const auto floated = [](ToolbarPageInput& t) {
        t.page.SetActiveView(&t.page.view);
        t.page.ShowControlBar(&t.Bar(0), TRUE, FALSE);
        t.page.FloatControlBar(&t.Bar(0), t.ClientPoint(150, 200));
    };
    const FocusRow rows[] = {
        {"Ansicht, Symbolleiste &1 by the keyboard (Alt+A, 1)", docked, HideByTheViewMenuKeys, false, Keys::kView},
        {"its menu: ausblenden", docked, [](ToolbarPageInput& t) { t.BarMenu(0, "ausblenden"); }, false, Keys::kView},
        {"no active view: Alt+A, 1 leaves the keyboard to the frame",
         [&](ToolbarPageInput& t) {
             docked(t);
             t.page.SetActiveView(nullptr);
         },
         HideByTheViewMenuKeys, false, Keys::kFrame},
        {"its menu: Große Icons lays it out anew, the edit keeps the keyboard", docked,
         [](ToolbarPageInput& t) { t.BarMenu(0, "Große Icons"); }, true, Keys::kEdit},
        {"ausblenden, then shown by Ansicht once the application was idle: the view keeps the keyboard", docked,
         [](ToolbarPageInput& t) {
             t.BarMenu(0, "ausblenden");
             t.page.OnIdleUpdateCmdUI();
             t.ViewMenu("Symbolleiste &1");
         },
         true, Keys::kView},
        {"floating: the × of its frame", floated,
         [](ToolbarPageInput& t) {
             const HWND floating = t.FloatingOf(0);
             const POINT close = FramePart(floating, HTCLOSE);
             ASSERT_GE(close.x, 0) << "no close button";
             t.input.Click(floating, ToClient(floating, close));
         },
         false, Keys::kView},
    };
    const HWND edit = page.edit.m_hWnd;
    for (const FocusRow& row : rows) {
        SCOPED_TRACE(row.action);
        row.setUp(*this);
        page.edit.SetWindowText("Zugspitze");
        winharness::PumpUntilIdle();
        input.Click(edit, {8, 8});
        input.Key(VK_END);
        ASSERT_EQ(GetFocus(), edit);
        row.act(*this);
        winharness::PumpUntilIdle();
        EXPECT_EQ((Bar(0).GetStyle() & WS_VISIBLE) != 0, row.shown);
        input.Type("abc");
        winharness::PumpUntilIdle();
        EXPECT_EQ(TextOf(edit), row.keys == Keys::kEdit ? "Zugspitzeabc" : "Zugspitze");
        const HWND keys[] = {edit, page.view.m_hWnd, page.m_hWnd};
        EXPECT_EQ(GetFocus(), keys[int(row.keys)]);
    }
}

// The bar's first button drawn raised, its darkest edge at its bottom right
// corner: a bar that is not flat draws every button so, a flat one only the
// button under the pointer.
bool DrawnRaised(CToolBarNew& bar)
{
    const winharness::Screenshot shot = Shot(bar.m_hWnd);
    ToolbarExButtonInfo info = ButtonInfoRequest(TBIF_SIZE | kButtonInfoByIndex);
    bar.SendMessage(TB_GETBUTTONINFOA, 0, LPARAM(&info));
    return shot.height > 0 && shot.At(info.cx - 1, shot.height - 1) == Pixel(GetSysColor(COLOR_3DDKSHADOW));
}

TEST_F(ToolbarPageInput, FlatLookFromTheBarsMenu)
{
    const auto choose = [this](const char* entry) { return BarMenu(0, entry); };
    const auto flat = [this] { return (Bar(0).GetStyle() & TBSTYLE_FLAT) != 0; };
    ASSERT_TRUE(flat());
    EXPECT_FALSE(DrawnRaised(Bar(0)));
    const std::vector<std::string> flatChecked = {"Klein", "Flache Symbolleiste"}, plainChecked = {"Klein"};
    EXPECT_EQ(choose("Flache Symbolleiste"), flatChecked);
    winharness::PumpUntilIdle();
    EXPECT_FALSE(flat());
    EXPECT_TRUE(DrawnRaised(Bar(0)));
    EXPECT_TRUE(Bar(1).GetStyle() & TBSTYLE_FLAT);  // the other bars keep theirs
    EXPECT_EQ(choose("Flache Symbolleiste"), plainChecked);
    winharness::PumpUntilIdle();
    EXPECT_TRUE(flat());
    EXPECT_FALSE(DrawnRaised(Bar(0)));
    EXPECT_EQ(choose(""), flatChecked);  // shown checked again, closed
}

}  // namespace
