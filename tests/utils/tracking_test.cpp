// The tracking loops driven by messages posted before each loop starts,
// the auto-scroll's worker and the window geometry helpers, under Wine.
#include "ui/utils/tracking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/winharness/thread_count.h"

namespace {

struct Logged {
    UINT message;
    WPARAM wParam;
    int position;  // widened from the message
};
std::vector<Logged> g_scrolls;

LRESULT CALLBACK ScrollLogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HSCROLL || message == WM_VSCROLL)
        g_scrolls.push_back({message, wParam,
                             ScrollPositionFromMessage(window, message == WM_HSCROLL ? SB_HORZ : SB_VERT, wParam)});
    return DefWindowProcA(window, message, wParam, lParam);
}

bool Same(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

class Tracking : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ScrollLogProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LindarTrackTest";
        RegisterClassA(&wc);
        m_window = CreateWindowExA(0, "LindarTrackTest", "", WS_POPUP | WS_VISIBLE | WS_HSCROLL, 100, 100, 300, 200,
                                   nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
        DrainQueue();
    }
    void TearDown() override
    {
        DestroyWindow(m_window);
        DrainQueue();
    }
    static void DrainQueue()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    // Posts a mouse message at a screen point, in the window's client
    // coordinates as the system would.
    void PostMouse(UINT message, int screenX, int screenY) const
    {
        POINT p = {screenX, screenY};
        ScreenToClient(m_window, &p);
        PostMessageA(m_window, message, 0, MAKELPARAM(p.x, p.y));
    }

    HWND m_window = nullptr;
};

struct SizeCase {
    int startX, startY, minW, minH;
    int toX, toY;
    UINT end;  // WM_LBUTTONUP accepts, others cancel
    int result;
    RECT after;
};

TEST_F(Tracking, TrackSizeRectEndsAndEdges)
{
    const RECT start = {200, 200, 400, 300};
    const SizeCase cases[] = {
        {399, 250, 20, 20, 439, 250, WM_LBUTTONUP, 1, {200, 200, 440, 300}},
        {399, 250, 150, 20, 200, 250, WM_LBUTTONUP, 1, {200, 200, 350, 300}},  // stops at the minimum
        {300, 250, -1, -1, 330, 270, WM_LBUTTONUP, 1, {230, 220, 430, 320}},   // a free move
        {399, 250, 20, 20, 439, 250, WM_RBUTTONDOWN, 0, start},
        {399, 250, 20, 20, 439, 250, WM_KEYDOWN, 0, start},                    // Esc
        {300, 250, 20, 20, 330, 250, WM_LBUTTONUP, 0, start},                  // inside: nothing to size
    };
    for (const SizeCase& c : cases) {
        RECT rect = start;
        PostMouse(WM_MOUSEMOVE, c.toX, c.toY);
        if (c.end == WM_KEYDOWN)
            PostMessageA(m_window, WM_KEYDOWN, VK_ESCAPE, 0);
        else
            PostMouse(c.end, c.toX, c.toY);
        EXPECT_EQ(TrackSizeRect(m_window, &rect, c.startX, c.startY, c.minW, c.minH), c.result) << c.toX;
        EXPECT_TRUE(EqualRect(&rect, &c.after)) << rect.left << "," << rect.top << "," << rect.right << ","
                                                << rect.bottom;
        EXPECT_EQ(GetCapture(), nullptr);
        DrainQueue();
    }
    // The desktop is unlocked after every loop, also after a refusal.
    ASSERT_TRUE(LockWindowUpdate(GetDesktopWindow()));
    LockWindowUpdate(nullptr);
}

TEST_F(Tracking, RefusesCaptureAndKeepsQuit)
{
    RECT rect = {200, 200, 400, 300};
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetCapture(other);
    EXPECT_EQ(TrackSizeRect(m_window, &rect, 399, 250, 10, 10), 0);
    int position = 10;
    EXPECT_EQ(TrackSplitter(m_window, kSplitterHorizontalBar, {0, 0, 300, 200}, 7, &position), 0);
    EXPECT_EQ(AutoScrollTrack(m_window, 50, 50, 3), 0);
    ReleaseCapture();
    DestroyWindow(other);
    EXPECT_TRUE(LockWindowUpdate(GetDesktopWindow()));
    LockWindowUpdate(nullptr);

    PostQuitMessage(7);
    EXPECT_EQ(TrackSizeRect(m_window, &rect, 399, 250, 10, 10), 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // still there for the caller
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(Tracking, SplitterModes)
{
    const RECT bounds = {0, 0, 280, 180};
    POINT origin = {0, 0};
    ClientToScreen(m_window, &origin);
    int y = kSplitterCentre, x = 40;
    PostMouse(WM_MOUSEMOVE, origin.x + 63, origin.y + 73);
    PostMouse(WM_LBUTTONUP, origin.x + 63, origin.y + 73);
    EXPECT_EQ(TrackSplitter(m_window, kSplitterCross, bounds, 7, &y, &x), 1);
    EXPECT_EQ(y, 70);  // the bar's middle follows the mouse
    EXPECT_EQ(x, 60);
    PostMouse(WM_MOUSEMOVE, origin.x + 500, origin.y + 500);
    PostMouse(WM_LBUTTONUP, origin.x + 500, origin.y + 500);
    int only = 5;
    EXPECT_EQ(TrackSplitter(m_window, kSplitterVerticalBar, bounds, 7, &only), 1);
    EXPECT_EQ(only, 273);  // kept inside the bounds
    PostMessageA(m_window, WM_KEYDOWN, VK_ESCAPE, 0);
    only = kSplitterCentre;
    EXPECT_EQ(TrackSplitter(m_window, kSplitterHorizontalBar, bounds, 7, &only), 0);
    EXPECT_EQ(only, kSplitterCentre);
    EXPECT_EQ(TrackSplitter(m_window, kSplitterCross, bounds, 7, &only), 0);  // no second position
}

void CALLBACK EndAutoScroll(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    PostThreadMessageA(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
}

int ThumbTracks()
{
    return int(std::count_if(g_scrolls.begin(), g_scrolls.end(), [](const Logged& l) {
        return l.message == WM_HSCROLL && LOWORD(l.wParam) == SB_THUMBTRACK;
    }));
}

// Ends the auto-scroll once it has tracked twice (a tick is 200 ms), or
// after a bound far above the slowest run.
DWORD g_autoScrollStart = 0;
void CALLBACK EndAfterTwoTracks(HWND, UINT, UINT_PTR id, DWORD)
{
    if (ThumbTracks() >= 2 || GetTickCount() - g_autoScrollStart >= 10000)
        EndAutoScroll(nullptr, 0, id, 0);
}

TEST_F(Tracking, AutoScrollPostsWholePositions)
{
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_POS | SIF_PAGE, 0, 200000, 100, 70000, 0};
    SetScrollInfo(m_window, SB_HORZ, &info, TRUE);
    g_scrolls.clear();
    // Right by 100 (step 6 per tick); then axes 1 drops a straight-down move.
    PostMessageA(m_window, WM_MOUSEMOVE, 0, MAKELPARAM(150, 50));
    g_autoScrollStart = GetTickCount();
    SetTimer(nullptr, 0, 20, EndAfterTwoTracks);
    EXPECT_EQ(AutoScrollTrack(m_window, 50, 50, kAxisHorizontal), 1);
    DrainQueue();
    int tracks = 0;
    for (const Logged& l : g_scrolls) {
        if (l.message == WM_HSCROLL && LOWORD(l.wParam) == SB_THUMBTRACK) {
            ++tracks;
            EXPECT_EQ(l.position, 70006);  // above 65535, widened from the message
        }
    }
    EXPECT_GE(tracks, 2);
    ASSERT_GE(g_scrolls.size(), 2u);
    EXPECT_EQ(LOWORD(g_scrolls[g_scrolls.size() - 2].wParam), SB_THUMBPOSITION);
    EXPECT_EQ(g_scrolls[g_scrolls.size() - 2].position, 70000);
    EXPECT_EQ(g_scrolls.back().message, UINT(WM_VSCROLL));

    g_scrolls.clear();
    PostMessageA(m_window, WM_MOUSEMOVE, 0, MAKELPARAM(50, 150));
    SetTimer(nullptr, 0, 600, EndAutoScroll);
    EXPECT_EQ(AutoScrollTrack(m_window, 50, 50, kAxisHorizontal), 1);
    DrainQueue();
    for (const Logged& l : g_scrolls)
        EXPECT_NE(LOWORD(l.wParam), SB_THUMBTRACK);
}

using winharness::ThreadCount;

// Each auto-scroll, however it ends, has joined its worker and freed its
// handles, cursors and icon when it returns.
TEST_F(Tracking, AutoScrollLeavesNoThreadOrObjectBehind)
{
    const UINT ends[] = {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    const int threads = ThreadCount();
    ASSERT_GT(threads, 0);
    DWORD handles = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int round = 0; round < 3; ++round)
        for (const UINT end : ends) {
            PostMessageA(m_window, WM_MOUSEMOVE, 0, MAKELPARAM(150, 50));
            PostMessageA(m_window, end, end == WM_KEYDOWN ? VK_ESCAPE : 0, 0);
            EXPECT_EQ(AutoScrollTrack(m_window, 50, 50, kAxisHorizontal), 1) << end;
            EXPECT_EQ(ThreadCount(), threads) << end;
            EXPECT_EQ(GetCapture(), nullptr);
            DrainQueue();
        }
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_LE(handlesAfter, handles + 2);
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user + 2);
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi + 2);
}

TEST_F(Tracking, GeometryHelpers)
{
    HWND a = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 20, 100, 50, m_window,
                             reinterpret_cast<HMENU>(101), nullptr, nullptr);
    HWND b = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 150, 60, 30, 30, m_window,
                             reinterpret_cast<HMENU>(102), nullptr, nullptr);
    RECT rect;
    ASSERT_EQ(GetWindowRectInParent(a, &rect), 1);
    EXPECT_TRUE(Same(rect, {10, 20, 110, 70}));
    EXPECT_EQ(GetWindowRectInParent(m_window, &rect), 0);
    EXPECT_EQ(rect.left, 100);
    const POINT origin = GetWindowOrigin(m_window);
    EXPECT_EQ(origin.x, 100);
    EXPECT_EQ(origin.y, 100);
    ASSERT_EQ(GetDlgItemRect(m_window, 102, &rect), 1);
    EXPECT_TRUE(Same(rect, {150, 60, 180, 90}));
    EXPECT_EQ(GetDlgItemRect(m_window, 999, &rect), 0);
    EXPECT_EQ(MoveDlgItemToItem(m_window, 102, 101), 1);
    GetDlgItemRect(m_window, 102, &rect);
    EXPECT_TRUE(Same(rect, {10, 20, 110, 70}));
    EXPECT_EQ(MoveDlgItemToItem(m_window, 102, 999), 0);
    EXPECT_EQ(MoveWindowTo(b, 5, 6, TRUE), 1);
    EXPECT_EQ(ResizeWindow(b, 10, -20, TRUE), 1);
    GetWindowRectInParent(b, &rect);
    EXPECT_TRUE(Same(rect, {15, 26, 125, 56}));
    EXPECT_EQ(MoveWindowTo(b, 1, 2, FALSE), 1);
    EXPECT_EQ(ResizeWindow(b, 3, 4, FALSE), 1);
    GetWindowRectInParent(b, &rect);
    EXPECT_TRUE(Same(rect, {1, 2, 4, 6}));
    EXPECT_EQ(MoveWindowTo(nullptr, 1, 2, FALSE), 0);
}

}  // namespace
