// Docking drags that end under their bar, started and moved by real input:
// the bar or its frame destroyed by a message another thread sends while the
// drag's loop waits with the release already queued, and a release the
// system lost. Each drag must end at once, unlock the screen, take its
// outline away and leave a deleted bar untouched.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <new>
#include <thread>

#include "platform/framework/control_bar.h"
#include "platform/framework/float_frame.h"
#include "platform/framework/frame.h"
#include "platform/framework/wnd_class.h"
#include "tests/winharness/message_hook.h"
#include "tests/winharness/message_pump.h"
#include "tests/winharness/real_input.h"
#include "tests/winharness/screenshot.h"

namespace {

using winharness::RealInput;

constexpr uint32_t kWhite = 0xFFFFFF;
// Low on the right of the screen, where other test programs that run at the
// same time seldom put their windows.
constexpr RECT kFramePlace = {560, 600, 900, 860};
constexpr RECT kBackdropPlace = {960, 600, 1260, 860};
constexpr POINT kFloatAt = {570, 890};
// A drag that should have ended is given this long before the test ends it.
constexpr DWORD kEndMs = 4000;
constexpr DWORD kStartMs = 5000;
constexpr size_t kPage = 4096;
constexpr int kLength = 160;  // the bar's contents, along it

// The one bar a test may delete lies alone in pages of its own that allow
// no access once it is deleted: a stale pointer to it cannot read memory
// that still looks like a bar. A touch is counted and the pages open again,
// zeroed, so the code that touched them reads a bar without a window, goes
// on, and the test fails.
struct GuardedPages {
    std::atomic<char*> base{nullptr};
    std::atomic<int> touches{0};
};
GuardedPages g_guarded;

LONG CALLBACK CountTouch(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    char* const base = g_guarded.base;
    if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || !base || record.NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const auto at = reinterpret_cast<char*>(record.ExceptionInformation[1]);
    if (at < base || at >= base + kPage)
        return EXCEPTION_CONTINUE_SEARCH;
    ++g_guarded.touches;
    DWORD old = 0;
    VirtualProtect(base, kPage, PAGE_READWRITE, &old);
    std::memset(base, 0, kPage);
    return EXCEPTION_CONTINUE_EXECUTION;
}

class DragBar : public CToolBar {
public:
    static void* operator new(size_t size)
    {
        static_assert(sizeof(DragBar) <= kPage);
        if (size > kPage || g_guarded.base)
            throw std::bad_alloc();
        void* pages = VirtualAlloc(nullptr, kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (!pages)
            throw std::bad_alloc();
        g_guarded.base = static_cast<char*>(pages);
        return pages;
    }
    // The pages stay reserved until the test ends: no other object lands
    // where a stale pointer still points.
    static void operator delete(void* pages)
    {
        DWORD old = 0;
        VirtualProtect(pages, kPage, PAGE_NOACCESS, &old);
    }

    // Room for a few buttons along the bar: a floating frame wide enough
    // for its caption.
    SIZE CalcFixedLayout(BOOL stretch, BOOL horz) override
    {
        SIZE size = CToolBar::CalcFixedLayout(stretch, horz);
        (horz ? size.cx : size.cy) += stretch ? 0 : kLength;
        return size;
    }

    bool Create(CFrameWnd& frame)
    {
        const char* className = AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                                    reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        m_dwStyle = CBRS_TOP | CBRS_GRIPPER;
        if (!CreateEx(0, className, "Leiste", WS_CHILD | WS_VISIBLE, RECT{0, 0, 200, 30}, &frame, AFX_IDW_TOOLBAR))
            return false;
        AttachToFrame(&frame);
        EnableDocking(CBRS_ALIGN_ANY);
        return true;
    }
};

// What the other thread's message does in the frame's thread.
UINT EndMessage()
{
    static const UINT message = RegisterWindowMessageA("LindarDockDragTestEnd");
    return message;
}

class Frame : public CFrameWnd {
public:
    std::function<void()> onEnd;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == EndMessage() && onEnd) {
            onEnd();
            return 0;
        }
        return CFrameWnd::WindowProc(message, wParam, lParam);
    }
};

// A white window of another thread, beside the frame: a release over it
// after the frame went never comes back to the drag's thread.
class Backdrop {
public:
    Backdrop() : m_thread([this] { Run(); })
    {
        winharness::PumpUntil([this] { return m_wnd.load() != nullptr; }, kStartMs);
    }
    ~Backdrop()
    {
        if (const HWND wnd = m_wnd)
            PostMessageA(wnd, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;
    HWND Wnd() const { return m_wnd; }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_DESTROY)
            PostQuitMessage(0);
        return DefWindowProcA(wnd, message, wParam, lParam);
    }
    void Run()
    {
        WNDCLASSA type = {};
        type.lpfnWndProc = &Proc;
        type.hInstance = GetModuleHandleA(nullptr);
        type.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        type.lpszClassName = "LindarDragBackdrop";
        RegisterClassA(&type);  // fails harmlessly the second time
        const RECT& r = kBackdropPlace;
        const HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, type.lpszClassName, "",
                                         WS_POPUP | WS_VISIBLE, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                         nullptr, nullptr, type.hInstance, nullptr);
        m_wnd = wnd;
        MSG msg;
        while (wnd && GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
        m_wnd = nullptr;
    }

    std::atomic<HWND> m_wnd{nullptr};
    std::thread m_thread;
};

HWND CaptureOf(DWORD thread)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndCapture : nullptr;
}

bool WaitFor(const std::function<bool()>& condition, DWORD ms)
{
    for (const DWORD start = GetTickCount(); !condition(); Sleep(5))
        if (GetTickCount() - start >= ms)
            return false;
    return true;
}

// How many pixels of a screen rectangle are not white.
int NotWhite(const RECT& screen)
{
    winharness::Screenshot shot;
    HDC dc = GetDC(nullptr);
    const bool taken = winharness::CaptureDC(dc, screen.left, screen.top, screen.right - screen.left,
                                             screen.bottom - screen.top, &shot);
    ReleaseDC(nullptr, dc);
    if (!taken)
        return -1;
    int count = 0;
    for (uint32_t pixel : shot.pixels)
        count += pixel != kWhite;
    return count;
}

RECT ScreenRectOf(HWND wnd)
{
    RECT rect = {};
    GetWindowRect(wnd, &rect);
    return rect;
}

POINT Centre(const RECT& r)
{
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

enum class Start { kGripper, kCaption };
enum class Ending {
    kBarDeleted,       // the bar object deleted, its window with it
    kFrameDestroyed,   // the frame's window destroyed: the bars' with it
    kReleaseLost,      // the release never reaches the drag; a move follows
    kReleaseLostAtRest,  // the same, and the pointer rests
};

struct DragCase {
    const char* name;
    Start start;
    Ending ending;
};

// Counts touches of the guarded pages while it lives, and gives them back
// at its end: made before every window and object of a test, gone after them.
class TouchGuard {
public:
    TouchGuard() : m_handler(AddVectoredExceptionHandler(1, &CountTouch)) {}
    ~TouchGuard()
    {
        if (char* pages = g_guarded.base.exchange(nullptr))
            VirtualFree(pages, 0, MEM_RELEASE);
        g_guarded.touches = 0;
        RemoveVectoredExceptionHandler(m_handler);
    }
    TouchGuard(const TouchGuard&) = delete;
    TouchGuard& operator=(const TouchGuard&) = delete;

private:
    PVOID m_handler;
};

// The frame is not the application's main window: its end would post the
// quit message, and a drag's loop would end on that.
class DockDrag : public testing::TestWithParam<DragCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.Create("Rahmen", WS_OVERLAPPEDWINDOW | WS_VISIBLE, &kFramePlace));
        frame.EnableDocking(CBRS_ALIGN_ANY);
        const char* white = AfxRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW),
                                                static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ASSERT_TRUE(view.CreateEx(0, white, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, &frame, 0xE900));
        frame.SetActiveView(&view);
        bar = new DragBar;
        ASSERT_TRUE(bar->Create(frame));
        frame.RecalcLayout();
        if (GetParam().start == Start::kCaption)
            frame.FloatControlBar(bar, kFloatAt);
        winharness::PumpUntilIdle();
    }
    void TearDown() override
    {
        delete bar;
        frame.DestroyWindow();
    }

    // The window the press goes to and the point of it, in its client
    // coordinates: the bar's gripper, or its floating frame's caption.
    HWND PressWindow() const
    {
        return GetParam().start == Start::kGripper ? bar->m_hWnd : bar->GetFloatingFrame()->m_hWnd;
    }
    POINT PressPoint() const
    {
        const HWND wnd = PressWindow();
        const RECT window = ScreenRectOf(wnd);
        POINT at = GetParam().start == Start::kGripper
                       ? POINT{window.left + 3, (window.top + window.bottom) / 2}
                       : POINT{(window.left + window.right) / 2, window.top + CFloatingFrame::Insets().top / 2};
        ScreenToClient(wnd, &at);
        return at;
    }
    // Where the drag goes: the frame's view, or beside the frame when the
    // frame goes.
    RECT Target() const
    {
        return GetParam().ending == Ending::kFrameDestroyed ? ScreenRectOf(backdrop.Wnd()) : ScreenRectOf(view.m_hWnd);
    }
    void End()
    {
        if (GetParam().ending == Ending::kBarDeleted) {
            delete bar;
            bar = nullptr;
        } else {
            frame.DestroyWindow();
        }
    }

    // Presses, moves to the target and ends the drag as the case says.
    // True when the drag ended by itself.
    bool RunDrag()
    {
        const HWND wnd = PressWindow();
        const POINT from = PressPoint();
        const RECT target = Target();
        const POINT to = Centre(target);
        const DWORD self = GetCurrentThreadId();
        const HWND barWnd = bar->m_hWnd;
        std::atomic<bool> caused{false}, ended{false}, forced{false}, done{false};
        outlined = false;
        const bool lost = GetParam().ending == Ending::kReleaseLost || GetParam().ending == Ending::kReleaseLostAtRest;
        winharness::Swallow release(lost ? std::vector<UINT>{WM_LBUTTONUP} : std::vector<UINT>{});
        // The release, queued while the drag's loop waits: the message
        // handled inside that wait queues it before it ends the bar.
        frame.onEnd = [&] {
            RealInput(RealInput::Pump::kNo).Release(GetDesktopWindow(), to);
            End();
        };
        input.Activate(wnd);
        input.MoveTo(wnd, from);
        winharness::PumpUntilIdle();
        RealInput(RealInput::Pump::kNo).Press(wnd, from);
        const POINT fromScreen = RealInput::ScreenPoint(wnd, from);
        const HWND screen = GetDesktopWindow();
        std::thread other([&] {
            // The rest of the drag once its loop has the capture: moves sent
            // before would go to the windows under the pointer.
            if (WaitFor([&] { return CaptureOf(self) == barWnd; }, kStartMs)) {
                RealInput queued(RealInput::Pump::kNo);
                queued.MoveAlong(screen, fromScreen, to);
                if (lost) {
                    queued.Release(screen, to);
                    if (GetParam().ending == Ending::kReleaseLost)
                        queued.MoveTo(screen, POINT{to.x + 6, to.y + 6});  // no button held
                } else {
                    outlined = WaitFor([&] { return NotWhite(target) > 0; }, kStartMs);
                    SendMessageA(frame.m_hWnd, EndMessage(), 0, 0);
                }
            }
            caused = true;
            if (!WaitFor([&] { return ended.load(); }, kEndMs)) {
                forced = true;
                PostThreadMessageA(self, WM_QUIT, 0, 0);  // a loop left waiting ends on it
            }
            done = true;
        });
        // Looked at only between the messages this loop dispatches: once
        // the cause is done, the drag's loop has returned.
        winharness::PumpUntil(
            [&] {
                if (!caused)
                    return false;
                ended = true;
                return true;
            },
            kStartMs + kEndMs + 2000);
        // Pumped until the other thread is through: it may still be sending.
        winharness::PumpUntil([&] { return done.load(); }, kStartMs + kEndMs);
        other.join();
        frame.onEnd = nullptr;
        winharness::PumpUntilIdle();
        return !forced;
    }

    TouchGuard guard;
    CWinApp app;
    Frame frame;
    CWnd view;
    DragBar* bar = nullptr;
    std::atomic<bool> outlined{false};  // the outline was seen before the bar or frame went
    Backdrop backdrop;
    RealInput input;
};

TEST_P(DockDrag, EndsAtOnceAndLeavesNothingBehind)
{
    const RECT target = Target();
    const RECT barBefore = ScreenRectOf(bar->m_hWnd);
    const bool floating = bar->IsFloating();
    // The windows under the drag have painted: nothing paints over its outline.
    ASSERT_TRUE(winharness::PumpUntil([&] { return NotWhite(target) == 0; }, kStartMs)) << "not white before";
    EXPECT_TRUE(RunDrag()) << "the drag went on until the test ended it";
    if (GetParam().ending != Ending::kReleaseLost && GetParam().ending != Ending::kReleaseLostAtRest) {
        EXPECT_TRUE(outlined) << "no outline was drawn: the drag had not begun";
    }
    EXPECT_EQ(GetCapture(), nullptr);
    // The screen is free again, the outline gone from it.
    EXPECT_TRUE(LockWindowUpdate(GetDesktopWindow()));
    LockWindowUpdate(nullptr);
    EXPECT_TRUE(winharness::PumpUntil([&] { return NotWhite(target) == 0; }, 2000))
        << NotWhite(target) << " pixels of the outline left";
    EXPECT_EQ(g_guarded.touches, 0) << "the deleted bar was touched";
    switch (GetParam().ending) {
    case Ending::kBarDeleted:
        EXPECT_TRUE(frame.ControlBars().empty()) << "the deleted bar is among the frame's bars again";
        break;
    case Ending::kFrameDestroyed:
        EXPECT_FALSE(IsWindow(frame.m_hWnd));
        break;
    case Ending::kReleaseLost:
    case Ending::kReleaseLostAtRest:
        // Where it was: the drag ended without a drop.
        EXPECT_EQ(bar->IsFloating(), floating);
        const RECT now = ScreenRectOf(bar->m_hWnd);
        EXPECT_TRUE(EqualRect(&now, &barBefore));
        break;
    }
}

const DragCase kCases[] = {
    {"BarDeletedWhileDockedDragged", Start::kGripper, Ending::kBarDeleted},
    {"BarDeletedWhileFloatingDragged", Start::kCaption, Ending::kBarDeleted},
    {"FrameDestroyedWhileDockedDragged", Start::kGripper, Ending::kFrameDestroyed},
    {"FrameDestroyedWhileFloatingDragged", Start::kCaption, Ending::kFrameDestroyed},
    {"ReleaseLostWhileDockedDragged", Start::kGripper, Ending::kReleaseLost},
    {"ReleaseLostWhileFloatingDragged", Start::kCaption, Ending::kReleaseLost},
    {"ReleaseLostAtRestWhileDockedDragged", Start::kGripper, Ending::kReleaseLostAtRest},
    {"ReleaseLostAtRestWhileFloatingDragged", Start::kCaption, Ending::kReleaseLostAtRest},
};

INSTANTIATE_TEST_SUITE_P(Endings, DockDrag, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<DragCase>& info) { return info.param.name; });

}  // namespace
