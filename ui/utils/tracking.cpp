#include "ui/utils/tracking.h"

#include "platform/framework/worker.h"
#include "ui/utils/sizing_border.h"

#include <atomic>
#include <cstring>
#include <functional>

namespace {

constexpr COLORREF kDragBackground = 0xFFFFC0;
constexpr int kDragFrame = 4;
constexpr DWORD kAutoScrollTickMs = 200;
constexpr int kCursorSize = 32;
constexpr int kIconSize = 32;

// The rubber band: a halftone frame inverted on the desktop's window DC,
// drawn twice to erase. The desktop is locked while it shows.
class RubberBand {
public:
    RubberBand()
    {
        m_desktop = GetDesktopWindow();
        m_locked = LockWindowUpdate(m_desktop) != FALSE;
        m_dc = GetDCEx(m_desktop, nullptr, DCX_WINDOW | DCX_CACHE | (m_locked ? DCX_LOCKWINDOWUPDATE : 0));
        static const WORD pattern[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
        HBITMAP bits = CreateBitmap(8, 8, 1, 1, pattern);
        m_brush = CreatePatternBrush(bits);
        DeleteObject(bits);
        if (m_dc != nullptr)
            SetBkColor(m_dc, kDragBackground);
    }
    ~RubberBand()
    {
        Hide();
        if (m_dc != nullptr)
            ReleaseDC(m_desktop, m_dc);
        if (m_locked)
            LockWindowUpdate(nullptr);
        DeleteObject(m_brush);
    }
    RubberBand(const RubberBand&) = delete;
    RubberBand& operator=(const RubberBand&) = delete;

    void Show(const RECT* rects, int count)
    {
        Hide();
        for (int i = 0; i < count && i < 2; ++i)
            m_rects[i] = rects[i];
        m_count = count;
        Invert();
    }
    void Hide()
    {
        if (m_count > 0)
            Invert();
        m_count = 0;
    }

private:
    void Invert() const
    {
        if (m_dc == nullptr)
            return;
        HGDIOBJ old = SelectObject(m_dc, m_brush);
        for (int i = 0; i < m_count; ++i) {
            const RECT& r = m_rects[i];
            const int w = r.right - r.left, h = r.bottom - r.top;
            PatBlt(m_dc, r.left, r.top, w, kDragFrame, PATINVERT);
            PatBlt(m_dc, r.left, r.bottom - kDragFrame, w, kDragFrame, PATINVERT);
            PatBlt(m_dc, r.left, r.top + kDragFrame, kDragFrame, h - 2 * kDragFrame, PATINVERT);
            PatBlt(m_dc, r.right - kDragFrame, r.top + kDragFrame, kDragFrame, h - 2 * kDragFrame, PATINVERT);
        }
        SelectObject(m_dc, old);
    }

    HWND m_desktop;
    bool m_locked;
    HDC m_dc;
    HBRUSH m_brush;
    RECT m_rects[2] = {};
    int m_count = 0;
};

enum class LoopEnd { Accepted, Cancelled };

// The loop common to the tracking functions, entered with the capture not
// held: pending paints first (a WM_QUIT among them cancels), then the
// capture, then messages until a button release, Esc, a right click, a
// WM_QUIT (posted again) or the loss of the capture. onMove gets client
// points of the window.
LoopEnd RunCaptureLoop(HWND window, const std::function<void(POINT)>& onMove)
{
    MSG msg;
    if (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
        return LoopEnd::Cancelled;
    while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageA(&msg);
    SetCapture(window);
    LoopEnd end = LoopEnd::Cancelled;
    while (GetCapture() == window) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
        if (msg.message == WM_LBUTTONUP) {
            end = LoopEnd::Accepted;
            break;
        }
        if ((msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) || msg.message == WM_RBUTTONDOWN)
            break;
        if (msg.message == WM_MOUSEMOVE && msg.hwnd == window) {
            onMove(POINT{short(LOWORD(msg.lParam)), short(HIWORD(msg.lParam))});
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (GetCapture() == window)
        ReleaseCapture();
    return end;
}

// One auto-scroll at a time in the process.
std::atomic<bool> g_autoScrolling{false};

// What the mouse loop tells the auto-scroll worker.
struct Pan {
    std::atomic<int> direction{kScrollNone};
    std::atomic<int> step{0};
};

// One tick of the worker: a thumb-track message per axis that moves.
void PostScrollSteps(HWND window, const Pan& pan)
{
    const int direction = pan.direction.load();
    const int step = pan.step.load();
    const int h = direction / 3, v = direction % 3;
    const struct {
        int part;
        int bar;
        UINT message;
    } axes[] = {{h, SB_HORZ, WM_HSCROLL}, {v, SB_VERT, WM_VSCROLL}};
    for (const auto& axis : axes) {
        if (axis.part == kScrollNone)
            continue;
        const long long target =
            (long long)GetScrollPos(window, axis.bar) + (axis.part == kScrollTowardsLarger ? step : -step);
        const int clamped = target > INT32_MAX ? INT32_MAX : target < INT32_MIN ? INT32_MIN : int(target);
        PostMessageA(window, axis.message, MAKEWPARAM(SB_THUMBTRACK, LOWORD(clamped)), 0);
    }
}

// A 32 x 32 monochrome cursor of a direction: a ring at the hot spot and,
// for a direction, a wedge pointing that way.
HCURSOR MakeDirectionCursor(int direction)
{
    BYTE andMask[kCursorSize * kCursorSize / 8];
    BYTE xorMask[kCursorSize * kCursorSize / 8] = {};
    std::memset(andMask, 0xFF, sizeof andMask);
    const int h = direction / 3, v = direction % 3;
    const int ux = h == kScrollTowardsLarger ? 1 : h == kScrollTowardsSmaller ? -1 : 0;
    const int uy = v == kScrollTowardsLarger ? 1 : v == kScrollTowardsSmaller ? -1 : 0;
    auto plot = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= kCursorSize || y >= kCursorSize)
            return;
        const int bit = y * kCursorSize + x;
        andMask[bit / 8] &= BYTE(~(0x80 >> (bit % 8)));
    };
    const int c = kCursorSize / 2;
    for (int y = -3; y <= 3; ++y)
        for (int x = -3; x <= 3; ++x)
            if (x * x + y * y <= 9 && x * x + y * y >= 4)
                plot(c + x, c + y);
    if (ux != 0 || uy != 0)
        for (int t = 5; t <= 14; ++t)
            for (int w = -(14 - t) / 3; w <= (14 - t) / 3; ++w)
                plot(c + ux * t - uy * w, c + uy * t + ux * w);
    return CreateCursor(GetModuleHandleA(nullptr), c, c, kCursorSize, kCursorSize, andMask, xorMask);
}

HICON MakeStartIcon()
{
    BYTE andMask[kIconSize * kIconSize / 8];
    BYTE xorMask[kIconSize * kIconSize / 8] = {};
    std::memset(andMask, 0xFF, sizeof andMask);
    const int c = kIconSize / 2;
    for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x) {
            const int d = (x - c) * (x - c) + (y - c) * (y - c);
            if (d <= 14 * 14 && d >= 12 * 12) {
                const int bit = y * kIconSize + x;
                andMask[bit / 8] &= BYTE(~(0x80 >> (bit % 8)));
            }
        }
    return CreateIcon(GetModuleHandleA(nullptr), kIconSize, kIconSize, 1, 1, andMask, xorMask);
}

}  // namespace

int TrackSizeRect(HWND window, RECT* rect, int startX, int startY, int minWidth, int minHeight)
{
    if (window == nullptr || rect == nullptr || GetCapture() != nullptr)
        return 0;
    // The edges first: refusing must not leave the desktop locked.
    const int edges = TrackSizeEdges(*rect, startX, startY, minWidth, minHeight, GetSystemMetrics(SM_CXSIZEFRAME));
    if (edges == 0)
        return 0;
    const int cursorId = (edges & kEdgesAll) == kEdgesAll ? 32646 /* IDC_SIZEALL */ : SizingCursorOf(edges);
    HCURSOR oldCursor = SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(cursorId != 0 ? cursorId : 32646)));
    const RECT start = *rect;
    RECT current = start;
    LoopEnd end;
    {
        RubberBand band;
        band.Show(&current, 1);
        end = RunCaptureLoop(window, [&](POINT client) {
            POINT screen = client;
            ClientToScreen(window, &screen);
            const RECT next = TrackSizeApply(start, edges, screen.x - startX, screen.y - startY, minWidth, minHeight);
            if (std::memcmp(&next, &current, sizeof next) != 0) {
                current = next;
                band.Show(&current, 1);
            }
        });
    }
    SetCursor(oldCursor);
    if (end != LoopEnd::Accepted)
        return 0;
    *rect = current;
    return 1;
}

int TrackSplitter(HWND window, int mode, const RECT& bounds, int barWidth, int* position, int* position2)
{
    if (window == nullptr || position == nullptr || (mode == kSplitterCross && position2 == nullptr) ||
        mode < kSplitterHorizontalBar || mode > kSplitterCross || GetCapture() != nullptr)
        return 0;
    const bool moveY = mode != kSplitterVerticalBar;
    const bool moveX = mode != kSplitterHorizontalBar;
    int y = moveY ? ClampSplitter(bounds.top, bounds.bottom, barWidth, *position) : 0;
    int x = moveX ? ClampSplitter(bounds.left, bounds.right, barWidth, mode == kSplitterCross ? *position2 : *position) : 0;
    auto bars = [&](RECT* out) {
        int n = 0;
        if (moveY)
            out[n++] = {bounds.left, y, bounds.right, y + barWidth};
        if (moveX)
            out[n++] = {x, bounds.top, x + barWidth, bounds.bottom};
        for (int i = 0; i < n; ++i)
            MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&out[i]), 2);
        return n;
    };
    const int cursorId = mode == kSplitterCross ? 32646 : moveY ? kCursorSizeNS : kCursorSizeWE;
    HCURSOR oldCursor = SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(cursorId)));
    LoopEnd end;
    {
        RubberBand band;
        RECT shown[2];
        band.Show(shown, bars(shown));
        end = RunCaptureLoop(window, [&](POINT client) {
            const int ny = moveY ? ClampSplitter(bounds.top, bounds.bottom, barWidth, client.y - barWidth / 2) : 0;
            const int nx = moveX ? ClampSplitter(bounds.left, bounds.right, barWidth, client.x - barWidth / 2) : 0;
            if (ny != y || nx != x) {
                y = ny;
                x = nx;
                band.Show(shown, bars(shown));
            }
        });
    }
    SetCursor(oldCursor);
    if (end != LoopEnd::Accepted)
        return 0;
    if (mode == kSplitterCross) {
        *position = y;
        *position2 = x;
    } else {
        *position = moveY ? y : x;
    }
    return 1;
}

int ScrollPositionFromMessage(HWND window, int bar, WPARAM wParam)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(window, bar, &info);
    return WidenScrollPosition(info.nPos, HIWORD(wParam));
}

int AutoScrollTrack(HWND window, int x, int y, int axes)
{
    if (window == nullptr || GetCapture() != nullptr || g_autoScrolling.exchange(true))
        return 0;
    HCURSOR cursors[kAutoScrollDirections];
    for (int i = 0; i < kAutoScrollDirections; ++i)
        cursors[i] = MakeDirectionCursor(i);
    HICON icon = MakeStartIcon();
    POINT start = {x, y};
    ClientToScreen(window, &start);
    HWND iconWindow = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "STATIC", "", WS_POPUP | SS_ICON,
                                      start.x - kIconSize / 2, start.y - kIconSize / 2, kIconSize, kIconSize, window,
                                      nullptr, nullptr, nullptr);
    if (iconWindow != nullptr) {
        SendMessageA(iconWindow, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        ShowWindow(iconWindow, SW_SHOWNOACTIVATE);
    }
    Pan pan;
    CWorker worker;
    // Only the stop wakes it: every tick posts the next step.
    const bool started = worker.Start([window, &pan](CWorker& w) {
        while (w.WaitForWake(kAutoScrollTickMs))
            PostScrollSteps(window, pan);
    });
    HCURSOR oldCursor = SetCursor(cursors[kScrollNone]);
    int shown = kScrollNone;
    SetCapture(window);
    MSG msg;
    while (started && GetCapture() == window) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
        const UINT m = msg.message;
        if (m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN ||
            (m == WM_KEYDOWN && msg.wParam == VK_ESCAPE))
            break;
        if (m == WM_MOUSEMOVE && msg.hwnd == window) {
            const int dx = short(LOWORD(msg.lParam)) - x, dy = short(HIWORD(msg.lParam)) - y;
            const int direction = AutoScrollDirection(dx, dy, axes);
            pan.step.store(AutoScrollStep(dx, dy, axes));
            pan.direction.store(direction);
            if (direction != shown) {
                shown = direction;
                SetCursor(cursors[direction]);
            }
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    worker.Stop();
    SetCursor(oldCursor);
    if (GetCapture() == window)
        ReleaseCapture();
    if (iconWindow != nullptr)
        DestroyWindow(iconWindow);
    DestroyIcon(icon);
    for (HCURSOR cursor : cursors)
        DestroyCursor(cursor);
    PostMessageA(window, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, LOWORD(GetScrollPos(window, SB_HORZ))), 0);
    PostMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, LOWORD(GetScrollPos(window, SB_VERT))), 0);
    g_autoScrolling.store(false);
    return started ? 1 : 0;
}

POINT GetWindowOrigin(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return POINT{rect.left, rect.top};
}

int GetWindowRectInParent(HWND window, RECT* rect)
{
    if (window == nullptr || rect == nullptr || !GetWindowRect(window, rect))
        return 0;
    HWND parent = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
    if (parent == nullptr)
        return 0;
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(rect), 2);
    return 1;
}

int GetDlgItemRect(HWND dialog, int id, RECT* rect)
{
    HWND item = dialog != nullptr ? GetDlgItem(dialog, id) : nullptr;
    if (item == nullptr || rect == nullptr || !GetWindowRect(item, rect))
        return 0;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(rect), 2);
    return 1;
}

int MoveDlgItemToItem(HWND dialog, int id, int referenceId)
{
    RECT rect;
    HWND item = dialog != nullptr ? GetDlgItem(dialog, id) : nullptr;
    if (item == nullptr || !GetDlgItemRect(dialog, referenceId, &rect))
        return 0;
    return MoveWindow(item, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE) ? 1 : 0;
}

int MoveWindowTo(HWND window, int x, int y, BOOL relative)
{
    if (window == nullptr)
        return 0;
    if (relative) {
        RECT rect;
        GetWindowRectInParent(window, &rect);
        x += rect.left;
        y += rect.top;
    }
    return SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER) ? 1 : 0;
}

int ResizeWindow(HWND window, int cx, int cy, BOOL relative)
{
    if (window == nullptr)
        return 0;
    if (relative) {
        RECT rect;
        GetWindowRect(window, &rect);
        cx += rect.right - rect.left;
        cy += rect.bottom - rect.top;
    }
    return SetWindowPos(window, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER) ? 1 : 0;
}
