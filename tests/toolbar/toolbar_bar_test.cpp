// CToolBarNew docked in a frame and floating beside it: resources, the idle
// command update, the routing of clicks and of the child controls'
// messages, the context menu, hostile counts and widths.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/framework/float_frame.h"
#include "platform/framework/frame.h"
#include "tests/winharness/message_pump.h"
#include "tests/winharness/popup_menu_reader.h"
#include "tests/winharness/real_input.h"
#include "ui/toolbar/toolbar_bar_logic.h"
#include "ui/toolbar/toolbar_control_logic.h"
#include "ui/toolbar/toolbar_bar.h"

namespace {

constexpr UINT kCombo = 300, kEdit = 310;
constexpr int kNotifyCode = -777;

std::map<UINT, int> g_commands;  // command id -> deliveries (frame and view)

class View : public CWnd {
public:
    int notifications = 0;
    void OnOpen() { ++g_commands[102]; }
    void OnEditNotify(NMHDR*, LRESULT* result)
    {
        ++notifications;
        *result = 5;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(View, CWnd)
    ON_COMMAND(102, OnOpen)
    ON_NOTIFY(kNotifyCode, kEdit, OnEditNotify)
END_MESSAGE_MAP()

class Frame : public CFrameWnd {
public:
    bool enable101 = true;
    int check101 = 1;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (HIWORD(wParam) != CN_UPDATE_COMMAND_UI && !CFrameWnd::HasCommandHandler(LOWORD(wParam)) &&
            LOWORD(wParam) != 102)
            ++g_commands[LOWORD(wParam)];  // everything else is logged here
        return CFrameWnd::OnCommand(wParam, lParam);
    }
    void On101() { ++g_commands[101]; }
    void OnUpdate101(CCmdUI* ui)
    {
        ui->Enable(enable101);
        ui->SetCheck(check101);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Frame, CFrameWnd)
    ON_COMMAND(101, On101)
    ON_UPDATE_COMMAND_UI(101, OnUpdate101)
END_MESSAGE_MAP()

// Runs inside the menu's loop: the up key wraps to the last entry. The keys
// are posted to this thread's menu window, not injected as system input,
// which would reach whatever window of another test has the foreground.
void CALLBACK ChooseLastEntry(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    const HWND menu = winharness::ThreadMenu(GetCurrentThreadId());
    if (!menu) {
        EndMenu();  // no menu to drive: end the loop, and the test fails on its checks
        return;
    }
    PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageA(menu, WM_KEYUP, VK_UP, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(menu, WM_KEYUP, VK_RETURN, 0);
}

// Counts the WM_PAINT messages one window answers through a subclass of
// its own, so the control carries no counter for tests.
class PaintCounter {
public:
    explicit PaintCounter(HWND wnd) : m_wnd(wnd)
    {
        SetPropA(wnd, kProperty, this);
        m_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(wnd, GWLP_WNDPROC, LONG_PTR(&Counting)));
    }
    PaintCounter(const PaintCounter&) = delete;
    PaintCounter& operator=(const PaintCounter&) = delete;
    ~PaintCounter()
    {
        if (IsWindow(m_wnd) && GetWindowLongPtrA(m_wnd, GWLP_WNDPROC) == LONG_PTR(&Counting))
            SetWindowLongPtrA(m_wnd, GWLP_WNDPROC, LONG_PTR(m_previous));
        RemovePropA(m_wnd, kProperty);
    }
    int Count() const { return m_count; }

private:
    static constexpr const char* kProperty = "PaintCounter";
    static LRESULT CALLBACK Counting(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = static_cast<PaintCounter*>(GetPropA(wnd, kProperty));
        self->m_count += message == WM_PAINT;
        return CallWindowProcA(self->m_previous, wnd, message, wParam, lParam);
    }

    HWND m_wnd;
    WNDPROC m_previous = nullptr;
    int m_count = 0;
};

class ToolbarBar : public testing::Test {
protected:
    void SetUp() override
    {
        g_commands.clear();
        const RECT place = {0, 0, 500, 300};
        ASSERT_TRUE(frame.Create("Rahmen", WS_OVERLAPPEDWINDOW | WS_VISIBLE, &place));
        app.m_pMainWnd = &frame;
        ASSERT_TRUE(view.CreateEx(0, "STATIC", "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, &frame, 0xE900));
        frame.SetActiveView(&view);
        ASSERT_TRUE(bar.CreateEx(&frame, 0x1F0000 | TBSTYLE_FLAT));
        const char* entries[] = {MAKEINTRESOURCEA(300), MAKEINTRESOURCEA(301), nullptr};
        const uint16_t ids[] = {101, 0, 102, 104, 103};
        ASSERT_TRUE(bar.LoadToolBar(entries, ids, 5));
        frame.RecalcLayout();
    }
    void TearDown() override
    {
        app.m_pMainWnd = nullptr;
        frame.DestroyWindow();
    }
    LRESULT State(UINT id) { return bar.SendMessage(TBX_GETSTATE, id); }
    // A press and release inside the button of the first row.
    void Click(UINT id)
    {
        ToolbarExButtonInfo info = ButtonInfoRequest(TBIF_SIZE);
        const int index = int(bar.SendMessage(TB_COMMANDTOINDEX, id));
        bar.SendMessage(TB_GETBUTTONINFOA, WPARAM(index), LPARAM(&info));
        int x = 0;  // the button's left edge: the widths of those before it
        for (int n = 0; n < index; ++n) {
            ToolbarExButtonInfo before = ButtonInfoRequest(TBIF_SIZE | kButtonInfoByIndex);
            bar.SendMessage(TB_GETBUTTONINFOA, WPARAM(n), LPARAM(&before));
            x += before.cx;
        }
        bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x + 3, 3));
        bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x + 3, 3));
    }
    // A button's width in the committed one-row layout.
    int Width(UINT id)
    {
        bar.SendMessage(TBX_NEEDEDSIZE, toolbar::kOneRow, toolbar::kLayoutCommit);
        ToolbarExButtonInfo info = ButtonInfoRequest(TBIF_SIZE);
        return bar.SendMessage(TB_GETBUTTONINFOA, id, LPARAM(&info)) < 0 ? -1 : info.cx;
    }

    CWinApp app;
    Frame frame;
    View view;
    CToolBarNew bar;
};

TEST_F(ToolbarBar, CreatesDocksAndLoads)
{
    EXPECT_EQ(bar.buttonSize, toolbar::ButtonSizeFromIcon(GetSystemMetrics(SM_CYICON)));
    EXPECT_EQ(bar.barStyle, 0x1F0000u);
    EXPECT_EQ(bar.imageWidth, 8u);
    EXPECT_EQ(bar.m_dwStyle & CBRS_HIDE_INPLACE, CBRS_HIDE_INPLACE);
    EXPECT_EQ(bar.GetStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
    EXPECT_EQ(bar.SendMessage(TB_BUTTONCOUNT), 5);
    int image = 0;
    UINT id = 0, styleState = 0;
    ASSERT_TRUE(bar.GetButtonInfoByIndex(3, &id, &styleState, &image));
    EXPECT_EQ(id, 104u);
    EXPECT_EQ(image, 3);  // after 101 and 102 of the first entry and 103
    EXPECT_EQ(styleState & 0xFF, UINT(TBSTATE_ENABLED));
    // Docked at the top over the whole width; the view fills the rest.
    RECT barRect, viewRect, client;
    frame.GetClientRect(&client);
    bar.GetWindowRect(&barRect);
    view.GetWindowRect(&viewRect);
    frame.ScreenToClient(&barRect);
    frame.ScreenToClient(&viewRect);
    EXPECT_EQ(barRect.top, 0);
    EXPECT_EQ(barRect.right, client.right);
    EXPECT_EQ(viewRect.top, barRect.bottom);
    EXPECT_GT(barRect.bottom, 8);
    // A missing resource leaves the bar as it was.
    const char* missing[] = {MAKEINTRESOURCEA(300), MAKEINTRESOURCEA(302), nullptr};
    EXPECT_FALSE(bar.LoadToolBar(missing, nullptr, 0));
    EXPECT_EQ(bar.SendMessage(TB_BUTTONCOUNT), 5);
    const char* keep[] = {MAKEINTRESOURCEA(301), nullptr};
    EXPECT_TRUE(bar.LoadToolBar(keep, nullptr, kKeepButtons));
    ASSERT_TRUE(bar.GetButtonInfo(103, &id, &styleState, &image));
    EXPECT_EQ(image, 0);
}

TEST_F(ToolbarBar, IdleUpdateEnablesChecksAndDisables)
{
    frame.OnIdleUpdateCmdUI();
    EXPECT_EQ(State(101), 0x050000);  // enabled and checked by its handler
    EXPECT_EQ(State(102), 0x040000);  // the view handles the command
    EXPECT_EQ(State(103), 0);         // nobody does
    frame.enable101 = false;
    frame.check101 = 2;
    frame.OnIdleUpdateCmdUI();
    EXPECT_EQ(State(101), 0x100000);
}

// With nothing changed, the idle update repaints nothing.
TEST_F(ToolbarBar, IdleUpdateWithoutChangesPaintsNothing)
{
    std::vector<uint16_t> ids(60);
    for (size_t n = 0; n < ids.size(); ++n)
        ids[n] = uint16_t(n % 2 ? 101 : 102);
    ASSERT_TRUE(bar.SetButtons(ids.data(), int(ids.size())));
    frame.RecalcLayout();
    frame.OnIdleUpdateCmdUI();
    winharness::PumpUntilIdle();
    const PaintCounter counter(bar.m_hWnd);
    const int paints = counter.Count();
    for (int round = 0; round < 10; ++round) {
        frame.OnIdleUpdateCmdUI();
        winharness::PumpUntilIdle();
    }
    EXPECT_EQ(counter.Count(), paints);
    frame.check101 = 0;
    frame.OnIdleUpdateCmdUI();
    winharness::PumpUntilIdle();
    EXPECT_GT(counter.Count(), paints);
}

TEST_F(ToolbarBar, ClicksArriveOnceThroughTheRouting)
{
    Click(101);
    Click(102);
    EXPECT_EQ(g_commands[101], 1);
    EXPECT_EQ(g_commands[102], 1);  // by the view, through the frame
}

TEST_F(ToolbarBar, ChildControlsForwardOnce)
{
    CWnd combo, edit;
    ASSERT_TRUE(combo.CreateEx(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, RECT{0, 0, 80, 120},
                               &frame, kCombo));
    ASSERT_TRUE(edit.CreateEx(0, "EDIT", "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 60, 20}, &frame, kEdit));
    EXPECT_EQ(bar.AddControl(&combo, 103), 1);
    EXPECT_EQ(bar.AddControl(&edit, 104), 1);
    EXPECT_EQ(bar.AddControl(&edit, 999), -1);
    EXPECT_EQ(bar.FindControl(kEdit), CWnd::FromHandle(edit));
    EXPECT_EQ(bar.GetControl(0)->m_hWnd, combo.m_hWnd);
    EXPECT_EQ(HFONT(combo.SendMessage(WM_GETFONT)), HFONT(GetStockObject(ANSI_VAR_FONT)));
    combo.SendMessage(CB_ADDSTRING, 0, LPARAM("eins"));
    combo.SendMessage(CB_ADDSTRING, 0, LPARAM("zwei"));
    combo.SendMessage(CB_SETITEMDATA, 1, 0x8105);
    const auto selChange = [&](int index) {
        combo.SendMessage(CB_SETCURSEL, WPARAM(index));
        bar.SendMessage(WM_COMMAND, MAKEWPARAM(kCombo, CBN_SELCHANGE), LPARAM(combo.m_hWnd));
        winharness::PumpUntilIdle();
    };
    selChange(0);
    selChange(1);
    selChange(-1);
    EXPECT_EQ(g_commands[kCombo], 3 + 1);  // index 0 without item data derives the combo's id + 0
    EXPECT_EQ(g_commands[0x8105], 1);
    EXPECT_EQ(g_commands[kCombo - 1], 0);  // no selection: no derived command
    NMHDR header = {edit.m_hWnd, kEdit, UINT(kNotifyCode)};
    EXPECT_EQ(bar.SendMessage(WM_NOTIFY, kEdit, LPARAM(&header)), 5);
    EXPECT_EQ(view.notifications, 1);
}

TEST_F(ToolbarBar, ContextMenuEntriesAndHiding)
{
    CMenu menu;
    ASSERT_TRUE(bar.BuildContextMenu(menu));
    const char* expected[] = {"Klein", "Mittel", "Große Icons", "", "Flache Symbolleiste", "", "ausblenden"};
    ASSERT_EQ(menu.GetMenuItemCount(), 7);
    for (int n = 0; n < 7; ++n) {
        char text[64] = "";
        GetMenuStringA(menu, UINT(n), text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, expected[n]);
    }
    EXPECT_TRUE(GetMenuState(menu, 0xD000, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(menu, 0xD003, MF_BYCOMMAND) & MF_CHECKED);  // flat
    // The real menu, driven by keys: up wraps to "ausblenden". The pointer
    // goes out of the menu's way first: a menu that opens under it selects
    // the entry there, and up would go from that one.
    winharness::RealInput().Park();
    SetTimer(nullptr, 0, 300, &ChooseLastEntry);
    bar.SendMessage(WM_CONTEXTMENU, WPARAM(bar.m_hWnd), MAKELPARAM(20, 20));
    EXPECT_FALSE(bar.GetStyle() & WS_VISIBLE);
    RECT viewRect;
    view.GetWindowRect(&viewRect);
    frame.ScreenToClient(&viewRect);
    EXPECT_EQ(viewRect.top, 0);
    bar.OnMenuCommand(0xD002);
    EXPECT_EQ(bar.iconMode, 2u);
    EXPECT_EQ(g_commands[0xD002], 1);
    // Without the menu bits the bar leaves the menu to default handling.
    CToolBarNew plain;
    ASSERT_TRUE(plain.CreateEx(&frame, 0, WS_CHILD, RECT{0, 0, 0, 0}, 0xE801));
    EXPECT_FALSE(plain.BuildContextMenu(menu));
}

// A caller gives a menu slot a text of its own by writing the slot: it
// stands in the menu in place of the built-in text and the resource's line.
TEST_F(ToolbarBar, ASlotsOwnTextShowsInTheMenu)
{
    bar.menuSlots[1].text = "Mittelgroße Symbole";
    bar.menuSlots[4].text = "Leiste schließen";
    winharness::RealInput().Park();
    winharness::PopupMenuReader reader;  // reads the menu, then closes it
    bar.SendMessage(WM_CONTEXTMENU, WPARAM(bar.m_hWnd), MAKELPARAM(20, 20));
    const std::vector<std::string> expected = {"Klein", "Mittelgroße Symbole", "Große Icons", "",
                                               "Flache Symbolleiste", "", "Leiste schließen"};
    EXPECT_EQ(reader.Texts(), expected);
    EXPECT_TRUE(bar.GetStyle() & WS_VISIBLE);  // closed without a choice
}

TEST_F(ToolbarBar, ColoursWidthsGroupsAndBitmaps)
{
    EXPECT_EQ(bar.SetButtonColor(103, 0xFFFFFF, -1), 1);
    ToolbarExButtonInfo info = ButtonInfoRequest(0);
    bar.SendMessage(TB_GETBUTTONINFOA, 103, LPARAM(&info));
    EXPECT_EQ(info.color, 0xFFFFFFu);
    const COLORREF colours[] = {0x0000FF, 0x00FF00};
    bar.SetButtonColors(2, 103, colours, 0xFF00FF);
    bar.SendMessage(TB_GETBUTTONINFOA, 104, LPARAM(&info));
    EXPECT_EQ(info.color, 0x00FF00u);
    EXPECT_EQ(bar.SetExtraColors(COLORREF(-1), 0), -1);
    EXPECT_EQ(bar.SetAllButtonWidths(0), 256);
    EXPECT_EQ(bar.SetButtonWidth(101, 40), 40);
    EXPECT_TRUE(bar.SetGroup(102, 3));
    EXPECT_FALSE(bar.SetGroup(102, 1));
    EXPECT_EQ(bar.SetButtonInfo(101, 2, 0x050000, -2), 1);
    EXPECT_EQ(State(101), 0x050000);
    EXPECT_EQ(bar.SendItemRecord(3, 1, 2, 3, 4, 5), 0);
    // Width 0 before any toolbar resource set one: the control decides.
    CToolBarNew fresh;
    ASSERT_TRUE(fresh.CreateEx(&frame, 0, WS_CHILD, RECT{0, 0, 0, 0}, 0xE802));
    HBITMAP strip = CreateBitmap(48, 16, 1, 32, nullptr);
    EXPECT_TRUE(fresh.SetBitmap(strip, 0, FALSE, nullptr, 0, 500));
    EXPECT_EQ(fresh.SendMessage(TB_BUTTONCOUNT), 3);
    EXPECT_TRUE(fresh.SetBitmap(strip, 0, FALSE, nullptr, 0, 500));  // the same ids: replaced
    EXPECT_EQ(fresh.SendMessage(TB_BUTTONCOUNT), 3);
    DeleteObject(strip);
}

// Creating and destroying bars with images leaves no GDI object behind.
TEST(ToolbarBarCycles, NoGdiLeak)
{
    const auto objects = [] {
        DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        if (count)
            return count;
        // Wine answers 0 there, but finds an object by its table index alone.
        for (uintptr_t index = 1; index < 0x10000; ++index)
            count += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) ? 1 : 0;
        return count;
    };
    const DWORD before = objects();
    if (before == 0)
        GTEST_SKIP() << "no GDI object count here";
    for (int cycle = 0; cycle < 50; ++cycle) {
        Frame frame;
        const RECT place = {0, 0, 300, 200};
        ASSERT_TRUE(frame.Create("Rahmen", WS_OVERLAPPEDWINDOW, &place));
        CToolBarNew bar;
        ASSERT_TRUE(bar.CreateEx(&frame));
        const char* entries[] = {MAKEINTRESOURCEA(300), nullptr};
        ASSERT_TRUE(bar.LoadToolBar(entries));
        frame.RecalcLayout();
        frame.UpdateWindow();
        frame.DestroyWindow();
    }
    EXPECT_LE(objects(), before + 2);
}

// Counts and widths a caller may get wrong: no allocation from the count,
// the first refusal of a full bar ends the loop.
struct CountCase {
    const char* what;
    std::function<BOOL(CToolBarNew&)> call;
    BOOL result;
    int buttons;  // what the bar holds afterwards
};

TEST_F(ToolbarBar, HostileCountsStopAtTheFirstRefusal)
{
    static const std::vector<uint16_t> many(5000, 101);
    const int full = toolbar::kMaxButtons;
    const CountCase cases[] = {
        {"no ids, 0x7FFFFFFF", [](CToolBarNew& b) { return b.SetButtons(nullptr, 0x7FFFFFFF); }, FALSE, full},
        {"no ids, 20000000", [](CToolBarNew& b) { return b.SetButtons(nullptr, 20000000); }, FALSE, full},
        {"no ids, the limit", [=](CToolBarNew& b) { return b.SetButtons(nullptr, full); }, TRUE, full},
        {"no ids, one past", [=](CToolBarNew& b) { return b.SetButtons(nullptr, full + 1); }, FALSE, full},
        {"ids, a negative count", [](CToolBarNew& b) { return b.SetButtons(many.data(), -3); }, TRUE, 0},
        {"resource ids, a count past the list",
         [](CToolBarNew& b) {
             const char* entries[] = {MAKEINTRESOURCEA(300), nullptr};
             return b.LoadToolBar(entries, many.data(), 0x7FFFFFFF);
         },
         FALSE, full},
        {"bitmap ids, a count past the list",
         [](CToolBarNew& b) {
             HBITMAP strip = CreateBitmap(48, 16, 1, 32, nullptr);
             return b.SetBitmap(strip, 16, TRUE, many.data(), 0x7FFFFFFF, 0);
         },
         FALSE, 5},
    };
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.what);
        const char* entries[] = {MAKEINTRESOURCEA(300), MAKEINTRESOURCEA(301), nullptr};
        const uint16_t ids[] = {101, 0, 102, 104, 103};
        ASSERT_TRUE(bar.LoadToolBar(entries, ids, 5));
        EXPECT_EQ(c.call(bar), c.result);
        EXPECT_EQ(bar.SendMessage(TB_BUTTONCOUNT), c.buttons);
    }
}

// A width below 1 is the button's automatic width, not one pixel;
// SetButtonInfo still keeps the width below -1.
struct WidthCase {
    const char* what;
    std::function<void(CToolBarNew&)> call;
    int width;  // 0: the automatic width
};

TEST_F(ToolbarBar, WidthsBelowOneAreAutomatic)
{
    const WidthCase cases[] = {
        {"TBX_SETBUTTONWIDTH with 0", [](CToolBarNew& b) { b.SendMessage(TBX_SETBUTTONWIDTH, 101, 0); }, 0},
        {"TBX_SETBUTTONWIDTH with -7", [](CToolBarNew& b) { b.SendMessage(TBX_SETBUTTONWIDTH, 101, -7); }, 0},
        {"TBX_SETBUTTONWIDTH past the limit", [](CToolBarNew& b) { b.SendMessage(TBX_SETBUTTONWIDTH, 101, 5000); },
         toolbar::kMaxButtonWidth},
        {"SetButtonInfo with -1", [](CToolBarNew& b) { b.SetButtonInfo(101, -1, -1, -1); }, 0},
        {"SetButtonInfo with -2 keeps", [](CToolBarNew& b) { b.SetButtonInfo(101, -1, -1, -2); }, 40},
        {"SetButtonInfo with 1", [](CToolBarNew& b) { b.SetButtonInfo(101, -1, -1, 1); }, 1},
    };
    const int automatic = Width(102);
    ASSERT_GT(automatic, 1);
    for (const WidthCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(bar.SendMessage(TBX_SETBUTTONWIDTH, 101, 40), 1);
        c.call(bar);
        EXPECT_EQ(Width(101), c.width ? c.width : automatic);
    }
}

// A second docked bar below the first; the first floats, comes back, hides.
class ToolbarFloat : public ToolbarBar {
protected:
    void SetUp() override
    {
        ToolbarBar::SetUp();
        ASSERT_TRUE(second.CreateEx(&frame, 0, WS_CHILD | WS_VISIBLE | CBRS_TOP, RECT{0, 0, 0, 0}, 0xE801));
        const char* entries[] = {MAKEINTRESOURCEA(301), nullptr};
        ASSERT_TRUE(second.LoadToolBar(entries));
        bar.SetWindowText("Werkzeuge");
        frame.RecalcLayout();
    }
    RECT InFrame(const CWnd& wnd)
    {
        RECT rect;
        wnd.GetWindowRect(&rect);
        frame.ScreenToClient(&rect);
        return rect;
    }
    POINT BesideFrame()
    {
        RECT place;
        frame.GetWindowRect(&place);
        return POINT{place.right + 10, place.top};
    }
    int FloatingClientWidth()
    {
        RECT client;
        bar.GetFloatingFrame()->GetClientRect(&client);
        return client.right;
    }
    void Load(std::initializer_list<uint16_t> ids)
    {
        const char* entries[] = {MAKEINTRESOURCEA(300), MAKEINTRESOURCEA(301), nullptr};
        ASSERT_TRUE(bar.LoadToolBar(entries, ids.begin(), int(ids.size())));
    }
    // Where the bar is and what the docked bars and the view make of it.
    void Check(bool floating, bool shown)
    {
        EXPECT_EQ(bar.IsFloating() != FALSE, floating);
        EXPECT_EQ((bar.GetStyle() & WS_VISIBLE) != 0, shown);
        const bool docked = shown && !floating;
        EXPECT_EQ(InFrame(second).top, docked ? InFrame(bar).bottom : 0);
        EXPECT_EQ(InFrame(view).top, InFrame(second).bottom);
        CFloatingFrame* floater = bar.GetFloatingFrame();
        EXPECT_EQ(::GetParent(bar.m_hWnd), floater ? floater->m_hWnd : frame.m_hWnd);
        if (!floater)
            return;
        EXPECT_EQ(floater->IsWindowVisible() != FALSE, shown);
        RECT client, own;
        floater->GetClientRect(&client);
        bar.GetWindowRect(&own);
        EXPECT_EQ(client.right, own.right - own.left);
        EXPECT_EQ(client.bottom, own.bottom - own.top);
    }

    CToolBarNew second;
};

struct FloatStep {
    const char* what;
    std::function<void()> act;
    bool floating, shown;
};

TEST_F(ToolbarFloat, FloatsDocksBackAndCloses)
{
    const FloatStep steps[] = {
        {"float beside the frame",
         [this] {
             const POINT at = BesideFrame();
             frame.FloatControlBar(&bar, at);
             RECT place;
             ASSERT_TRUE(bar.GetFloatingFrame());
             bar.GetFloatingFrame()->GetWindowRect(&place);
             EXPECT_EQ(place.left, at.x);
             EXPECT_EQ(place.top, at.y);
             char title[32] = "";
             bar.GetFloatingFrame()->GetWindowText(title, sizeof title);
             EXPECT_STREQ(title, "Werkzeuge");
         },
         true, true},
        {"fewer buttons take the floating frame's width",
         [this] {
             // The frame made wider than its bar: the bar fills it.
             CFloatingFrame* floater = bar.GetFloatingFrame();
             RECT place;
             floater->GetWindowRect(&place);
             floater->SetWindowPos(nullptr, 0, 0, place.right - place.left + 40, place.bottom - place.top,
                                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
             const int width = FloatingClientWidth();
             Load({103, 104});
             RECT own;
             bar.GetWindowRect(&own);
             EXPECT_EQ(own.right - own.left, width);
             EXPECT_LT(bar.CalcSize(nullptr, FALSE, 0).cx, width);  // one row would be narrower
         },
         true, true},
        {"more buttons widen the floating frame",
         [this] {
             const int width = FloatingClientWidth();
             Load({101, 0, 102, 104, 103, 0, 101, 102, 103});
             EXPECT_GT(FloatingClientWidth(), width);
             EXPECT_EQ(FloatingClientWidth(), bar.CalcSize(nullptr, FALSE, 0).cx);
         },
         true, true},
        {"clicks and the idle update reach the floating bar",
         [this] {
             frame.OnIdleUpdateCmdUI();
             EXPECT_EQ(State(101), 0x050000);
             Click(101);
             EXPECT_EQ(g_commands[101], 1);
         },
         true, true},
        {"closing the floating frame hides the bar",
         [this] { bar.GetFloatingFrame()->SendMessage(WM_CLOSE); }, true, false},
        {"shown again in its floating frame",
         [this] { frame.ShowControlBar(&bar, TRUE, FALSE); }, true, true},
        {"hidden from its own menu", [this] { bar.OnMenuCommand(0xD004); }, true, false},
        {"docked back hidden", [this] { frame.DockControlBar(&bar); }, false, false},
        {"shown at its edge above the second bar",
         [this] { frame.ShowControlBar(&bar, TRUE, FALSE); }, false, true},
        {"floated and docked back shown",
         [this] {
             frame.FloatControlBar(&bar, BesideFrame());
             frame.DockControlBar(&bar);
         },
         false, true},
    };
    for (const FloatStep& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        Check(step.floating, step.shown);
    }
    EXPECT_EQ(InFrame(bar).top, 0);
}

// A bar floated where its frame would reach past the work area opens wholly
// on it, as near to the point asked for as it can.
TEST_F(ToolbarFloat, OpensOnTheWorkArea)
{
    RECT work;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    frame.FloatControlBar(&bar, POINT{work.left + 50, work.top + 50});
    ASSERT_TRUE(bar.GetFloatingFrame());
    RECT place;
    bar.GetFloatingFrame()->GetWindowRect(&place);
    const LONG cx = place.right - place.left, cy = place.bottom - place.top;
    ASSERT_LT(cx, work.right - work.left);
    const struct {
        const char* what;
        POINT at;
        POINT expected;
    } cases[] = {
        {"inside", {work.left + 60, work.top + 70}, {work.left + 60, work.top + 70}},
        {"past the right and the bottom", {work.right - 10, work.bottom - 10}, {work.right - cx, work.bottom - cy}},
        {"left of and above the area", {work.left - 400, work.top - 300}, {work.left, work.top}},
        {"far past the right", {work.right + 3000, work.top + 40}, {work.right - cx, work.top + 40}},
        {"half below the bottom", {work.left + 90, work.bottom - cy / 2}, {work.left + 90, work.bottom - cy}},
    };
    for (const auto& c : cases) {
        frame.FloatControlBar(&bar, c.at);
        bar.GetFloatingFrame()->GetWindowRect(&place);
        EXPECT_EQ(place.left, c.expected.x) << c.what;
        EXPECT_EQ(place.top, c.expected.y) << c.what;
        EXPECT_EQ(place.right - place.left, cx) << c.what;
    }
}

// The floating frame goes with the bar, and with the frame it belongs to.
TEST_F(ToolbarFloat, FloatingFrameLeavesWithItsBarOrFrame)
{
    HWND floating = nullptr;
    {
        CToolBarNew local;
        ASSERT_TRUE(local.CreateEx(&frame, 0, WS_CHILD | WS_VISIBLE | CBRS_TOP, RECT{0, 0, 0, 0}, 0xE803));
        frame.FloatControlBar(&local, BesideFrame());
        ASSERT_TRUE(local.GetFloatingFrame());
        floating = local.GetFloatingFrame()->m_hWnd;
    }
    EXPECT_FALSE(IsWindow(floating));
    EXPECT_EQ(frame.ControlBars().size(), 2u);
    frame.FloatControlBar(&bar, BesideFrame());
    ASSERT_TRUE(bar.GetFloatingFrame());
    floating = bar.GetFloatingFrame()->m_hWnd;
    frame.DestroyWindow();
    EXPECT_FALSE(IsWindow(floating));
    EXPECT_FALSE(bar.IsFloating());
}

}  // namespace
