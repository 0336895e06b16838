#include "platform/framework/dock_context.h"

#include <algorithm>
#include <optional>

#include "platform/framework/control_bar.h"
#include "platform/framework/dock_geometry.h"
#include "platform/framework/float_frame.h"
#include "platform/framework/frame.h"

namespace {

// A docked shape's outline, in pixels; a floating one's is the system's
// sizing border less that.
constexpr int kThinFrame = 1;

// Every other pixel, for the floating shape's 50 % grey.
HBRUSH CreateDitherBrush()
{
    static const WORD kRows[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, kRows);
    HBRUSH brush = pattern ? CreatePatternBrush(pattern) : nullptr;
    if (pattern)
        DeleteObject(pattern);
    return brush;
}

// The drag's outline on the screen, drawn by inverting what is there: drawn
// a second time it is gone. Windows do not paint while it is up, so nothing
// paints over half of it.
class DragFrame {
public:
    DragFrame()
    {
        const HWND desktop = GetDesktopWindow();
        m_locked = LockWindowUpdate(desktop) != FALSE;
        m_dc = GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE | (m_locked ? DCX_LOCKWINDOWUPDATE : 0));
        m_dither = CreateDitherBrush();
        m_thick = std::max(GetSystemMetrics(SM_CXFRAME) - kThinFrame, 2);
    }
    DragFrame(const DragFrame&) = delete;
    DragFrame& operator=(const DragFrame&) = delete;
    ~DragFrame()
    {
        Hide();
        if (m_dc)
            ReleaseDC(GetDesktopWindow(), m_dc);
        if (m_dither)
            DeleteObject(m_dither);
        if (m_locked)
            LockWindowUpdate(nullptr);
    }

    void Show(const RECT& rect, bool floating)
    {
        if (m_shown && EqualRect(&rect, &m_rect) && floating == m_floating)
            return;
        Hide();
        m_rect = rect;
        m_floating = floating;
        Invert();
        m_shown = true;
    }
    // Where the outline is drawn now, if it is.
    std::optional<RECT> Shown() const { return m_shown ? std::optional<RECT>(m_rect) : std::nullopt; }
    void Hide()
    {
        if (m_shown)
            Invert();
        m_shown = false;
    }

private:
    void Invert()
    {
        if (!m_dc)
            return;
        const int t = m_floating ? m_thick : kThinFrame;
        const RECT& r = m_rect;
        const int width = r.right - r.left, height = r.bottom - r.top;
        HGDIOBJ old = SelectObject(m_dc, m_floating && m_dither ? m_dither : GetStockObject(WHITE_BRUSH));
        // Four strips that never overlap: the corners belong to the rows.
        PatBlt(m_dc, r.left, r.top, width, std::min(t, height), PATINVERT);
        if (height > t)
            PatBlt(m_dc, r.left, std::max(r.bottom - t, r.top + t), width, std::min(t, height - t), PATINVERT);
        if (height > 2 * t) {
            PatBlt(m_dc, r.left, r.top + t, std::min(t, width), height - 2 * t, PATINVERT);
            if (width > t)
                PatBlt(m_dc, std::max(r.right - t, r.left + t), r.top + t, std::min(t, width - t), height - 2 * t,
                       PATINVERT);
        }
        SelectObject(m_dc, old);
    }

    HDC m_dc = nullptr;
    HBRUSH m_dither = nullptr;
    bool m_locked = false;
    bool m_shown = false;
    bool m_floating = false;
    int m_thick = 3;
    RECT m_rect = {};
};

dock::BarShape ShapeOf(CControlBar& bar)
{
    dock::BarShape shape = {};
    bar.GetWindowRect(&shape.window);
    shape.horz = bar.CalcDynamicLayout(-1, LM_HORZ | LM_HORZDOCK);
    shape.vert = bar.CalcDynamicLayout(-1, LM_VERTDOCK);
    shape.floating = bar.CalcDynamicLayout(-1, LM_HORZ | LM_MRUWIDTH);
    // The sizes count the bar's borders as they are now; each shape takes
    // the borders it will have: docked at a side, or none floating.
    const bool floating = bar.IsFloating() != FALSE;
    const auto rebord = [&](SIZE& size, BOOL horz, DWORD style, bool floats) {
        const RECT now = bar.BorderInsets(bar.m_dwStyle, horz, floating), then = bar.BorderInsets(style, horz, floats);
        size.cx += (then.left + then.right) - (now.left + now.right);
        size.cy += (then.top + then.bottom) - (now.top + now.bottom);
    };
    rebord(shape.horz, TRUE, dock::StyleDockedAt(bar.m_dwStyle, CBRS_ALIGN_TOP), false);
    rebord(shape.vert, FALSE, dock::StyleDockedAt(bar.m_dwStyle, CBRS_ALIGN_LEFT), false);
    rebord(shape.floating, TRUE, bar.m_dwStyle, true);
    shape.frameInsets = CFloatingFrame::Insets();
    shape.isFloating = bar.IsFloating() != FALSE;
    if (CFloatingFrame* floating = bar.GetFloatingFrame())
        floating->GetWindowRect(&shape.floatingWindow);
    return shape;
}

bool IsKeyMessage(UINT message)
{
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

bool IsMouseMessage(UINT message)
{
    return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
}

// The buttons a mouse message says are held (the low word of wParam for
// every client mouse message, the wheel's included).
UINT HeldButtons(const MSG& msg)
{
    return LOWORD(msg.wParam);
}

// The windows a drag works on, by handle and by object: asking whether one
// is gone touches neither, so a bar deleted under the drag is never used.
class DragWatch {
public:
    DragWatch(const CControlBar& bar, const CFrameWnd& site)
        : m_bar(bar.m_hWnd), m_site(site.m_hWnd), m_barObject(&bar), m_siteObject(&site),
          m_floating(bar.GetFloatingFrame() ? bar.GetFloatingFrame()->m_hWnd : nullptr)
    {
    }
    // The bar, its frame or the floating frame it was dragged from has been
    // destroyed, or its window is no longer its object's.
    bool Gone() const
    {
        return !Alive(m_bar, m_barObject) || !Alive(m_site, m_siteObject) || (m_floating && !IsWindow(m_floating));
    }

private:
    static bool Alive(HWND wnd, const CWnd* object)
    {
        return IsWindow(wnd) && CWnd::FromHandlePermanent(wnd) == object;
    }

    HWND m_bar, m_site;
    const CWnd* m_barObject;
    const CWnd* m_siteObject;
    HWND m_floating;
};

enum class Taken { kMessage, kGone, kQuit, kQuiet };

// How long the drag waits for a message before it looks at the buttons.
constexpr DWORD kQuietMs = 100;

// Whether the user holds the logical left (or right) button now: a release
// lost on its way while the pointer rests sends no message to tell.
bool ButtonHeld(bool left)
{
    const bool swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    return GetAsyncKeyState(left != swapped ? VK_LBUTTON : VK_RBUTTON) < 0;
}

// Takes the drag's next message. Messages other threads send are answered
// while it waits, and any of them may destroy what the drag moves: the watch
// is asked after each, so a drag whose bar went never waits on for a
// release that will not come. What was taken as the bar went goes on as
// usual, but input, which was the drag's. kQuiet when nothing came for a
// while.
Taken TakeMessage(MSG& msg, const DragWatch& watch)
{
    for (;;) {
        const bool got = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
        if (got && msg.message == WM_QUIT)
            return Taken::kQuit;
        if (watch.Gone()) {
            if (got && !IsKeyMessage(msg.message) && !IsMouseMessage(msg.message))
                DispatchMessageA(&msg);
            return Taken::kGone;
        }
        if (got)
            return Taken::kMessage;
        if (MsgWaitForMultipleObjectsEx(0, nullptr, kQuietMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT)
            return Taken::kQuiet;
    }
}

// One drag between its messages: where the pointer and the shapes are, the
// side the bar would dock at, and the outline once the press has become a
// drag. It touches no window but the screen.
class DragState {
public:
    enum class Next {
        kGoOn,
        kDrop,
        kCancel,
        kCancelByRightClick,  // the right button's release is the drag's too
        kDispatch,            // not the drag's: dispatched as usual
    };

    DragState(const dock::DockSite& docks, const dock::DragShapes& shapes, POINT press)
        : m_docks(docks), m_shapes(shapes), m_press(press), m_at(press)
    {
    }

    Next Take(const MSG& msg)
    {
        if (IsMouseMessage(msg.message))
            return TakeMouse(msg);
        switch (msg.message) {
        case WM_KEYDOWN:
            if (msg.wParam == VK_ESCAPE)
                return Next::kCancel;
            if (msg.wParam == VK_CONTROL)
                Follow();
            return Next::kGoOn;
        case WM_KEYUP:
            if (msg.wParam == VK_CONTROL)
                Follow();
            return Next::kGoOn;
        default:
            // Keys belong to the drag; everything else (paints, timers,
            // sent messages) goes on as usual.
            return IsKeyMessage(msg.message) ? Next::kGoOn : Next::kDispatch;
        }
    }
    // Erases the outline and lets windows paint again. Where a window went
    // under it, what was uncovered may have been drawn before the outline
    // was inverted back there: with `repaint` everything under it paints
    // again.
    void EndOutline(bool repaint = false)
    {
        const std::optional<RECT> outline = m_frame ? m_frame->Shown() : std::nullopt;
        m_frame.reset();
        if (repaint && outline)
            RedrawWindow(nullptr, &*outline, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    bool Dragging() const { return m_frame.has_value(); }
    DWORD Side() const { return m_side; }
    const dock::DragShapes& Shapes() const { return m_shapes; }

private:
    Next TakeMouse(const MSG& msg)
    {
        switch (msg.message) {
        case WM_RBUTTONDOWN:
            return Next::kCancelByRightClick;
        case WM_LBUTTONUP:
            MoveTo(msg.pt);
            return Next::kDrop;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            return Next::kCancel;  // a new press: this drag's release was lost
        default:
            // A release the system lost (under Wine a command that hides,
            // moves or docks the bar during the drag can) shows as the
            // button no longer held: the drag ends where the bar is now.
            if (!(HeldButtons(msg) & MK_LBUTTON))
                return Next::kCancel;
            if (msg.message == WM_MOUSEMOVE)
                MoveTo(msg.pt);
            return Next::kGoOn;
        }
    }
    void MoveTo(POINT pointer)
    {
        m_shapes = dock::MoveShapes(m_shapes, m_at, pointer);
        m_at = pointer;
        const SIZE threshold = {GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)};
        if (!m_frame && dock::PastDragThreshold(m_press, m_at, threshold))
            m_frame.emplace();
        Follow();
    }
    // Where the drag would put the bar now: Ctrl held floats it.
    void Follow()
    {
        if (!m_frame)
            return;
        m_side = GetKeyState(VK_CONTROL) < 0 ? 0 : dock::DockSideAt(m_shapes, m_docks);
        m_frame->Show(dock::ShapeFor(m_shapes, m_side), m_side == 0);
    }

    dock::DockSite m_docks;
    dock::DragShapes m_shapes;
    POINT m_press, m_at;
    DWORD m_side = 0;
    std::optional<DragFrame> m_frame;  // made once the press has become a drag
};

// After a right click cancelled the drag: whether the message ends the wait
// for that click's release (its release, or the button seen up), which the
// bar would otherwise answer with its menu.
bool EndsRightClick(const MSG& msg)
{
    return msg.message == WM_RBUTTONUP || (IsMouseMessage(msg.message) && !(HeldButtons(msg) & MK_RBUTTON));
}

}  // namespace

void CDockContext::StartDrag(POINT press)
{
    // Only locals from here on: this context goes with its bar, and the bar
    // may be deleted by a message handled while the drag runs.
    CControlBar* const barObject = m_bar;
    CFrameWnd* const site = barObject->GetDockingFrame();
    const HWND bar = barObject->m_hWnd;
    if (!site || !site->m_hWnd || !bar)
        return;
    const DragWatch watch(*barObject, *site);
    ::SetCapture(bar);
    if (::GetCapture() != bar)
        return;
    DragState drag(site->DockSiteFor(barObject), dock::StartShapes(ShapeOf(*barObject), press), press);
    bool dropped = false, gone = false, awaitingRightRelease = false;
    while (::GetCapture() == bar) {
        MSG msg;
        const Taken taken = TakeMessage(msg, watch);
        if (taken == Taken::kQuit)
            PostQuitMessage(int(msg.wParam));  // for the loop that runs the program
        gone = taken == Taken::kGone;
        if (taken == Taken::kQuiet) {
            // The button let go with its release lost and the pointer at
            // rest: the drag ends as when a move says so.
            if (!ButtonHeld(!awaitingRightRelease))
                break;
            continue;
        }
        if (taken != Taken::kMessage)
            break;
        if (awaitingRightRelease) {
            if (EndsRightClick(msg))
                break;
            if (!IsMouseMessage(msg.message) && !IsKeyMessage(msg.message))
                DispatchMessageA(&msg);
            continue;
        }
        const DragState::Next next = drag.Take(msg);
        if (next == DragState::Next::kDispatch) {
            DispatchMessageA(&msg);
            continue;
        }
        if (next == DragState::Next::kCancelByRightClick) {
            drag.EndOutline();
            awaitingRightRelease = true;
            continue;
        }
        dropped = next == DragState::Next::kDrop && drag.Dragging();
        if (next != DragState::Next::kGoOn)
            break;
    }
    gone = gone || watch.Gone();  // also by a message the loop dispatched
    drag.EndOutline(gone);
    if (::GetCapture() == bar)
        ReleaseCapture();
    if (!dropped || gone || watch.Gone())
        return;
    const DWORD side = drag.Side();
    if (side)
        site->DockControlBar(barObject, side, dock::ShapeFor(drag.Shapes(), side));
    else
        site->FloatControlBar(barObject, POINT{drag.Shapes().floating.left, drag.Shapes().floating.top});
}

void CDockContext::ToggleDocking()
{
    CFrameWnd* site = m_bar->GetDockingFrame();
    if (!site || !m_bar->m_hWnd)
        return;
    if (m_bar->IsFloating()) {
        site->DockControlBar(m_bar);
        return;
    }
    RECT window;
    m_bar->GetWindowRect(&window);
    const POINT at =
        m_bar->m_hasFloatPos ? m_bar->m_lastFloatPos : dock::FloatingOrigin(window, CFloatingFrame::Insets());
    site->FloatControlBar(m_bar, at);
}
