// A storm on the docking frame: the gallery's toolbar page with its three
// bars, seeded random steps (docks at every side, floats anywhere, real
// drags dropped, cancelled by Escape or a right click, with Ctrl, with
// their release lost, or met by a message from another thread that
// destroys, hides, docks or floats their bar or destroys the frame; double
// clicks, the floating frames' ×, showing and hiding, icon sizes, the frame
// resized, minimised and restored, bars and the frame destroyed), each
// followed by an idle queue and the checks: no window left behind or
// missing, every shown floating frame on the work area of its monitor,
// every bar where its records say, the keyboard in no hidden window, no
// menu, no capture kept and the desktop not locked.
//
// In the test run it is short; a long run under Wine (each of two seeds
// from LINDAR_STORM_SEED on for LINDAR_STORM_SECONDS):
//   LINDAR_STORM_SECONDS=300 LINDAR_STORM_SEED=7 xvfb-run -a tools/wine-run.sh
//       build-win/tests/toolbar/toolbar_dock_storm_tests.exe
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "examples/gallery/gallery_toolbar.h"
#include "platform/framework/float_frame.h"
#include "tests/winharness/message_pump.h"
#include "tests/winharness/real_input.h"
#include "tests/winharness/storm.h"

#include <commctrl.h>

namespace {

using winharness::RealInput;

constexpr int kBars = ToolbarPage::kBars;
constexpr UINT kSmallIcons = 0xD000;
// What another thread asks of the storm during a drag: wParam names it,
// lParam the bar (kBars: the frame).
constexpr UINT kOutsideMessage = WM_APP + 1;
enum Outside : WPARAM { kDestroy, kHide, kDock, kFloat };

class DockStorm;
DockStorm* g_dockStorm = nullptr;
// The next release of the left button is lost on its way, as a command that
// hides, moves or docks the dragged bar can lose it under Wine: the button
// is up, but no WM_LBUTTONUP comes.
std::atomic<bool> g_loseRelease{false};

LRESULT CALLBACK LoseRelease(int code, WPARAM removed, LPARAM lParam)
{
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removed == PM_REMOVE && msg->message == WM_LBUTTONUP && g_loseRelease.exchange(false))
        msg->message = WM_NULL;
    return CallNextHookEx(nullptr, code, removed, lParam);
}

RECT ScreenRectOf(HWND wnd)
{
    RECT rect = {};
    GetWindowRect(wnd, &rect);
    return rect;
}

POINT ToClient(HWND wnd, POINT screen)
{
    ScreenToClient(wnd, &screen);
    return screen;
}

RECT WorkAreaOf(HWND wnd)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

// Windows the system makes for a thread on its own.
bool SystemWindow(HWND wnd)
{
    char name[32] = {};
    GetClassNameA(wnd, name, sizeof name);
    return !std::strcmp(name, "IME") || !std::strcmp(name, "MSCTFIME UI") || !std::strcmp(name, "ComboLBox") ||
           !std::strcmp(name, TOOLTIPS_CLASSA);
}

BOOL CALLBACK FindShownMenu(HWND wnd, LPARAM found)
{
    char name[16] = {};
    GetClassNameA(wnd, name, sizeof name);
    if (std::strcmp(name, "#32768") || !IsWindowVisible(wnd))
        return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

// A popup menu of the thread shows.
bool MenuShownBy(DWORD thread)
{
    bool found = false;
    EnumThreadWindows(thread, FindShownMenu, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK CollectWindow(HWND wnd, LPARAM windows)
{
    if (!SystemWindow(wnd))
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(wnd);
    return TRUE;
}

LRESULT CALLBACK HelperProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
class DockStorm : public winharness::StormSubject {
public:
    explicit DockStorm(uint64_t seed) : StormSubject(seed)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HelperProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "DockStormHelper";
        RegisterClassA(&wc);
        loseRelease = SetWindowsHookExA(WH_GETMESSAGE, LoseRelease, nullptr, GetCurrentThreadId());
        helper = CreateWindowExA(0, "DockStormHelper", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        g_dockStorm = this;
    }
    ~DockStorm() override
    {
        if (page && page->m_hWnd)
            page->DestroyWindow();
        DestroyWindow(helper);
        UnhookWindowsHookEx(loseRelease);
        g_dockStorm = nullptr;
    }

    void Act() override
    {
        if (!Whole()) {
            Build();
            return;
        }
        using Action = void (DockStorm::*)();
        static const struct {
            Action act;
            int weight;
        } actions[] = {
            {&DockStorm::Dock, 8},   {&DockStorm::Float, 8},      {&DockStorm::Drag, 22},
            {&DockStorm::DoubleClick, 3}, {&DockStorm::Close, 5}, {&DockStorm::Show, 8},
            {&DockStorm::IconSize, 7}, {&DockStorm::Frame, 6},    {&DockStorm::Destroy, 1},
            {&DockStorm::ClickIntoTheEdit, 3},
        };
        ActOneOf(*this, actions);
    }

    bool AfterStep() override
    {
        if (!failure.empty())
            return false;
        if (page && page->m_hWnd) {
            page->OnIdleUpdateCmdUI();
            if (!Settle())
                return false;
        }
        return Checked(NothingHeld()) && Checked(WindowsAsRecorded()) && Checked(BarsAsRecorded()) &&
               Checked(FloatingOnTheWorkArea()) && Checked(KeyboardWhereSeen());
    }

    bool Finish() override
    {
        if (page && page->m_hWnd)
            page->DestroyWindow();
        if (!Settle())
            return false;
        app.m_pMainWnd = nullptr;
        page.reset();
        return Checked(WindowsAsRecorded()) && Checked(NothingHeld());
    }

    // What another thread asks for inside a drag.
    void FromOutside(WPARAM what, LPARAM which)
    {
        if (!page || !page->m_hWnd)
            return;
        CWnd* target = which >= kBars ? static_cast<CWnd*>(page.get()) : &page->bars[which];
        if (!target->m_hWnd)
            return;
        CControlBar* bar = which >= kBars ? nullptr : &page->bars[which];
        switch (what) {
        case kDestroy: target->DestroyWindow(); break;
        case kHide:
            if (bar)
                page->ShowControlBar(bar, FALSE, FALSE);
            break;
        case kDock:
            if (bar)
                page->DockControlBar(bar);
            break;
        default:
            if (bar)
                page->FloatControlBar(bar, AnyPoint());
        }
    }

private:
    std::unique_ptr<ToolbarPage> page;
    CWinApp app;
    HWND helper = nullptr;
    HHOOK loseRelease = nullptr;
    POINT lastPress = {-1000, -1000};  // of a drag, on the screen
    DWORD lastPressTime = 0;

    bool Checked(const std::string& problem)
    {
        if (problem.empty())
            return true;
        failure = "step " + std::to_string(steps) + " after \"" + winharness::StormDoing() + "\": " + problem;
        return false;
    }

    bool Whole() const
    {
        if (!page || !page->m_hWnd)
            return false;
        for (const CToolBarNew& bar : page->bars)
            if (!bar.m_hWnd)
                return false;
        return true;
    }

    // A new page somewhere on the work area, with its bars as the gallery
    // makes them.
    void Build()
    {
        Count("build");
        if (page && page->m_hWnd)
            page->DestroyWindow();
        Settle();
        app.m_pMainWnd = nullptr;
        page = std::make_unique<ToolbarPage>();
        RECT work = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        const int cx = rng.Range(320, 760), cy = rng.Range(220, 520);
        const int x = rng.Range(int(work.left) - 40, std::max(int(work.left), int(work.right) - cx / 2));
        const int y = rng.Range(int(work.top), std::max(int(work.top), int(work.bottom) - cy / 2));
        if (!page->Open(RECT{x, y, x + cx, y + cy}) || !page->Build()) {
            failure = "step " + std::to_string(steps) + ": the page could not be built";
            return;
        }
        app.m_pMainWnd = page.get();
        page->ShowWindow(SW_SHOW);
        RealInput().Activate(page->m_hWnd);
    }

    CToolBarNew& AnyBar() { return page->bars[Pick(kBars)]; }
    static DWORD AnySide(int n)
    {
        static const DWORD sides[] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT};
        return sides[n];
    }
    // A screen point on the work area, near or past its edges, or far off.
    POINT AnyPoint()
    {
        RECT work = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        if (Chance(10))
            return Chance(50) ? POINT{5000, 5000} : POINT{-3000, rng.Range(-200, 800)};
        return POINT{rng.Range(int(work.left) - 60, int(work.right) + 20), rng.Range(int(work.top) - 40,
                                                                                    int(work.bottom) + 20)};
    }
    // A screen point near an edge of the frame's client, inside or out.
    POINT NearAnEdge()
    {
        RECT client;
        page->GetClientRect(&client);
        page->ClientToScreen(&client);
        const int along = Pick(2) ? rng.Range(int(client.left), int(client.right))
                                  : rng.Range(int(client.top), int(client.bottom));
        const int off = rng.Range(-30, 30);
        switch (Pick(4)) {
        case 0: return {along, int(client.top) + off};
        case 1: return {along, int(client.bottom) + off};
        case 2: return {int(client.left) + off, along};
        default: return {int(client.right) + off, along};
        }
    }

    void Dock()
    {
        CToolBarNew& bar = AnyBar();
        if (Chance(30)) {
            Count("dock back");
            page->DockControlBar(&bar);
            return;
        }
        Count("dock at a side");
        RECT drop = ScreenRectOf(bar.m_hWnd);
        const POINT at = NearAnEdge();
        OffsetRect(&drop, at.x - drop.left, at.y - drop.top);
        page->DockControlBar(&bar, AnySide(Pick(4)), drop);
    }

    void Float()
    {
        Count("float");
        page->FloatControlBar(&AnyBar(), AnyPoint());
    }

    // Where a press drags the bar: its floating frame's caption or its
    // gripper, in the client coordinates of the window pressed; null when
    // no hand could reach it now.
    HWND Handle(CToolBarNew& bar, POINT& client)
    {
        if (!bar.IsWindowVisible())
            return nullptr;
        POINT screen = {};
        HWND wnd = nullptr;
        if (CFloatingFrame* floating = bar.GetFloatingFrame()) {
            wnd = floating->m_hWnd;
            const RECT window = ScreenRectOf(wnd);
            const LONG y = window.top + CFloatingFrame::Insets().top / 2;
            LONG first = -1, last = -1;
            for (LONG x = window.left; x < window.right; ++x)
                if (SendMessageA(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCAPTION) {
                    first = first < 0 ? x : first;
                    last = x;
                }
            if (first < 0)
                return nullptr;
            screen = {(first + last) / 2, y};
        } else {
            wnd = bar.m_hWnd;
            const RECT window = ScreenRectOf(wnd);
            RECT inside;
            bar.GetClientRect(&inside);
            bar.ClientToScreen(&inside);
            screen = bar.IsHorizontalNow() ? POINT{window.left + 3, (inside.top + inside.bottom) / 2}
                                           : POINT{(inside.left + inside.right) / 2, window.top + 3};
        }
        const HWND under = WindowFromPoint(screen);
        if (under != wnd && !IsChild(wnd, under))
            return nullptr;
        client = ToClient(wnd, screen);
        return wnd;
    }

    // A press where the last one was, within the double-click time, would
    // make a double click of them: the hand waits that out first.
    void PressAt(POINT screen)
    {
        const DWORD since = GetTickCount() - lastPressTime;
        if (std::abs(screen.x - lastPress.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
            std::abs(screen.y - lastPress.y) <= GetSystemMetrics(SM_CYDOUBLECLK) && since <= GetDoubleClickTime() + 50)
            Sleep(GetDoubleClickTime() + 50 - since);
        lastPress = screen;
        lastPressTime = GetTickCount();
    }

    // The handle of a bar a hand can reach, from a random one on.
    HWND AnyHandle(int& n, POINT& client)
    {
        const int first = Pick(kBars);
        for (int k = 0; k < kBars; ++k) {
            n = (first + k) % kBars;
            if (const HWND wnd = Handle(page->bars[n], client))
                return wnd;
        }
        return nullptr;
    }

    // A real drag of a bar: the press from here, the rest from a hand on
    // another thread once the bar's loop holds the capture (input sent
    // before would go to the windows under the pointer then, of this
    // program or not). The hand may also have another thread send the storm
    // a message while the loop runs (destroy the bar or the frame, hide,
    // dock or float the bar), before or after its release, or lose the
    // release and move on with the button up.
    void Drag()
    {
        int n = 0;
        POINT from = {};
        const HWND wnd = AnyHandle(n, from);
        if (!wnd) {
            Count("drag: out of reach");
            return;
        }
        enum End { kDropped, kEscape, kCtrl, kNoMove, kRightClick, kFromOutside, kLost };
        const End end = End(Pick(7));
        const WPARAM what = WPARAM(Pick(4));
        const LPARAM which = what == kDestroy && Chance(30) ? kBars : n;
        static const char* const names[] = {"drag: dropped", "drag: Escape", "drag: Ctrl held", "drag: no move",
                                            "drag: right click", "", "drag: release lost"};
        static const char* const outside[] = {"drag: bar destroyed", "drag: hidden", "drag: docked", "drag: floated"};
        Count(end != kFromOutside ? names[end] : which == kBars ? "drag: frame destroyed" : outside[what]);
        const POINT start = RealInput::ScreenPoint(wnd, from);
        const POINT to = end == kNoMove ? start : Chance(60) ? NearAnEdge() : AnyPoint();
        const int moves = rng.Range(1, 8);
        const bool releaseFirst = Chance(50);
        RealInput input;
        input.Activate(wnd);
        PressAt(start);
        RealInput queued(RealInput::Pump::kNo);
        if (end == kCtrl)
            queued.KeyDown(VK_CONTROL);
        queued.Press(wnd, from);
        std::atomic<bool> done{false}, menuShown{false};
        const HWND target = helper;
        const DWORD thread = GetCurrentThreadId();
        std::thread hand([&, target, thread] {
            // The screen's own coordinates: the desktop's client.
            const HWND screen = GetDesktopWindow();
            RealInput moving(RealInput::Pump::kNo);
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            for (int wait = 0; wait < 100 && !(GetGUIThreadInfo(thread, &info) && info.hwndCapture); ++wait)
                Sleep(10);
            moving.MoveAlong(screen, start, to, moves);
            if (!info.hwndCapture) {
                // No drag took the press: the hand lets go.
                moving.Release(screen, to);
                if (end == kCtrl)
                    moving.KeyUp(VK_CONTROL);
                done = true;
                return;
            }
            const auto release = [&] {
                if (end == kLost)
                    g_loseRelease = true;
                moving.Release(screen, to);
                if (end != kLost)
                    return;
                // The pointer moves on with the button up, towards the
                // middle of the screen (past its edge it would not move).
                const POINT middle = {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
                moving.MoveAlong(screen, to, POINT{middle.x + (to.x == middle.x), middle.y}, 2);
            };
            if (end == kEscape)
                moving.Key(VK_ESCAPE);
            if (end == kRightClick) {
                // Where the pointer is, with no window brought forward.
                INPUT press = {};
                press.type = INPUT_MOUSE;
                press.mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
                SendInput(1, &press, sizeof press);
                moving.Release(screen, to, winharness::Button::kRight);
            }
            if (end == kFromOutside && releaseFirst)
                release();
            if (end == kFromOutside) {
                DWORD_PTR answer = 0;
                SendMessageTimeoutA(target, kOutsideMessage, what, which, SMTO_NORMAL, 5000, &answer);
            }
            if (end != kFromOutside || !releaseFirst)
                release();
            if (end == kCtrl)
                moving.KeyUp(VK_CONTROL);
            // The cancelling click is the drag's: no menu answers its release.
            if (end == kRightClick) {
                for (int wait = 0; wait < 30 && !menuShown; ++wait) {
                    Sleep(10);
                    menuShown = MenuShownBy(thread);
                }
                if (menuShown)
                    moving.Key(VK_ESCAPE);
            }
            done = true;
        });
        // The drag runs here, inside the press's handling.
        winharness::PumpUntil([&] { return done.load(); }, 10000);
        hand.join();
        input.Drain();
        g_loseRelease = false;
        if (menuShown)
            failure = "step " + std::to_string(steps) + ": the right click that cancelled the drag opened a menu";
        // A drag that outlived its release follows the pointer until the
        // next click.
        if (const HWND held = GetCapture()) {
            failure = "step " + std::to_string(steps) + ": the drag goes on after \"" + winharness::StormDoing() + "\"";
            RealInput().Click(held, {0, 0});
        }
    }

    void DoubleClick()
    {
        int n = 0;
        POINT at = {};
        const HWND wnd = AnyHandle(n, at);
        if (!wnd) {
            Count("double click: out of reach");
            return;
        }
        Count("double click");
        PressAt(RealInput::ScreenPoint(wnd, at));
        RealInput().DoubleClick(wnd, at);
        lastPressTime = 0;  // the pair is done: a press after it starts a new one
    }

    // The × of a floating frame, clicked where the frame answers it.
    void Close()
    {
        CToolBarNew& bar = AnyBar();
        CFloatingFrame* floating = bar.GetFloatingFrame();
        if (!floating || !floating->IsWindowVisible()) {
            Show();
            return;
        }
        const HWND wnd = floating->m_hWnd;
        const RECT window = ScreenRectOf(wnd);
        const LONG y = window.top + CFloatingFrame::Insets().top / 2;
        POINT close = {-1, -1};
        for (LONG x = window.right - 1; x >= window.left && close.x < 0; --x)
            if (SendMessageA(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE)
                close = {x - 3, y};
        ClickIfReachable(wnd, close, "close", "close: out of reach");
    }

    // A real click at the screen point when it lands on the window.
    void ClickIfReachable(HWND wnd, POINT at, const char* what, const char* outOfReach)
    {
        if (at.x < 0 || !IsWindowVisible(wnd) || WindowFromPoint(at) != wnd) {
            Count(outOfReach);
            return;
        }
        Count(what);
        PressAt(at);
        RealInput().Click(wnd, ToClient(wnd, at));
    }

    void Show()
    {
        const bool show = Chance(65);
        Count(show ? "show" : "hide");
        CToolBarNew& bar = AnyBar();
        page->ShowControlBar(&bar, show, Chance(30));
    }

    // An entry of the bar's menu as the page answers it; a floating bar's
    // frame grows or shrinks with it.
    void IconSize()
    {
        CToolBarNew& bar = AnyBar();
        Count(bar.IsFloating() ? "icon size, floating" : "icon size");
        page->menuBar = &bar;
        bar.OnMenuCommand(kSmallIcons + UINT(Pick(3)));
        page->menuBar = nullptr;
    }

    void Frame()
    {
        switch (Pick(5)) {
        case 0:
            Count("frame minimised");
            page->ShowWindow(SW_MINIMIZE);
            break;
        case 1:
            Count("frame restored");
            page->ShowWindow(SW_RESTORE);
            break;
        case 2:
            Count("frame maximised");
            page->ShowWindow(SW_MAXIMIZE);
            break;
        default: {
            Count("frame resized");
            const POINT at = AnyPoint();
            page->SetWindowPos(nullptr, at.x / 2, at.y / 2, rng.Range(80, 900), rng.Range(60, 700),
                               SWP_NOZORDER | SWP_NOACTIVATE);
        }
        }
    }

    // The keyboard into the first bar's edit, as a click puts it there.
    void ClickIntoTheEdit()
    {
        const HWND edit = page->edit.m_hWnd;
        RECT box = ScreenRectOf(edit);
        const POINT at = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
        ClickIfReachable(edit, at, "click into the edit", "click into the edit: out of reach");
    }

    void Destroy()
    {
        if (Chance(30)) {
            Count("destroy the frame");
            page->DestroyWindow();
        } else {
            Count("destroy a bar");
            AnyBar().DestroyWindow();
        }
    }

    // ---- Checks ----
    // No capture left, the desktop not locked by a drag.
    std::string NothingHeld()
    {
        if (const HWND held = GetCapture()) {
            char name[64] = {};
            GetClassNameA(held, name, sizeof name);
            return std::string("a window keeps the capture: ") + name +
                   (IsWindowVisible(held) ? "" : ", hidden");
        }
        if (!LockWindowUpdate(GetDesktopWindow()))
            return "the desktop stays locked";
        LockWindowUpdate(nullptr);
        return {};
    }

    // The thread's windows are the frame and the floating frames of its
    // bars, each once.
    std::string WindowsAsRecorded()
    {
        std::vector<HWND> expected;
        if (page && page->m_hWnd) {
            expected.push_back(page->m_hWnd);
            for (CToolBarNew& bar : page->bars)
                if (bar.m_hWnd && bar.GetFloatingFrame())
                    expected.push_back(bar.GetFloatingFrame()->m_hWnd);
        }
        std::vector<HWND> windows;
        EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
        for (HWND wnd : windows) {
            if (wnd == helper)
                continue;
            if (std::find(expected.begin(), expected.end(), wnd) == expected.end()) {
                char name[64] = {}, title[64] = {};
                GetClassNameA(wnd, name, sizeof name);
                GetWindowTextA(wnd, title, sizeof title);
                return std::string("a window left behind: ") + name + " \"" + title + "\"" +
                       (IsWindowVisible(wnd) ? ", shown" : "");
            }
        }
        for (HWND wnd : expected)
            if (!IsWindow(wnd) || std::count(windows.begin(), windows.end(), wnd) != 1)
                return "a floating frame its bar names is gone";
        return {};
    }

    // Docked bars are the frame's children, floating ones their floating
    // frame's, which holds them and shows as they do; the frame lists each
    // live bar once.
    std::string BarsAsRecorded()
    {
        if (!page || !page->m_hWnd)
            return {};
        size_t live = 0;
        for (int n = 0; n < kBars; ++n) {
            CToolBarNew& bar = page->bars[n];
            if (!bar.m_hWnd)
                continue;
            ++live;
            const std::string which = "bar " + std::to_string(n + 1) + ": ";
            const auto& listed = page->ControlBars();
            if (std::count(listed.begin(), listed.end(), &bar) != 1)
                return which + "not listed once by its frame";
            if (bar.GetDockingFrame() != page.get())
                return which + "another dock site";
            CFloatingFrame* floating = bar.GetFloatingFrame();
            const HWND parent = ::GetParent(bar.m_hWnd);
            if (!floating) {
                if (parent != page->m_hWnd)
                    return which + "docked, but not the frame's child";
                continue;
            }
            if (parent != floating->m_hWnd || floating->GetBar() != &bar)
                return which + "floating, but not in its floating frame";
            // A minimised frame hides the windows it owns.
            if (!::IsIconic(page->m_hWnd) &&
                (floating->IsWindowVisible() != FALSE) != ((bar.GetStyle() & WS_VISIBLE) != 0))
                return which + (floating->IsWindowVisible() ? "hidden in a shown floating frame"
                                                             : "shown in a hidden floating frame");
        }
        if (page->ControlBars().size() != live)
            return "the frame lists " + std::to_string(page->ControlBars().size()) + " bars, " +
                   std::to_string(live) + " live";
        return {};
    }

    // Typed keys never go to a window nobody sees (a minimised frame keeps
    // its focus for when it is restored).
    std::string KeyboardWhereSeen()
    {
        const HWND focus = GetFocus();
        if (!focus || IsWindowVisible(focus) || (page && page->m_hWnd && ::IsIconic(page->m_hWnd)))
            return {};
        char name[64] = {};
        GetClassNameA(focus, name, sizeof name);
        return std::string("the keyboard is in a hidden window: ") + name;
    }

    std::string FloatingOnTheWorkArea()
    {
        if (!page || !page->m_hWnd)
            return {};
        for (int n = 0; n < kBars; ++n) {
            CFloatingFrame* floating = page->bars[n].m_hWnd ? page->bars[n].GetFloatingFrame() : nullptr;
            if (!floating || !floating->IsWindowVisible())
                continue;
            const RECT window = ScreenRectOf(floating->m_hWnd), work = WorkAreaOf(floating->m_hWnd);
            if (window.left < work.left || window.top < work.top || window.right > work.right ||
                window.bottom > work.bottom)
                return "bar " + std::to_string(n + 1) + "'s floating frame (" + std::to_string(window.left) + ", " +
                       std::to_string(window.top) + ", " + std::to_string(window.right) + ", " +
                       std::to_string(window.bottom) + ") is off the work area";
        }
        return {};
    }
};

LRESULT CALLBACK HelperProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kOutsideMessage && g_dockStorm) {
        g_dockStorm->FromOutside(wParam, lParam);
        return 0;
    }
    return DefWindowProcA(wnd, message, wParam, lParam);
}

// The storm for the given time from each seed; the seeds and the time come
// from LINDAR_STORM_SEED (the first) and LINDAR_STORM_SECONDS (per seed).
TEST(ToolbarDockStorm, SeededRunsEndWithNothingLeftBehind)
{
    winharness::RunSeededStorms([](uint64_t seed) { return std::make_unique<DockStorm>(seed); });
}

}  // namespace
