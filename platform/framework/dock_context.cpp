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

}  // namespace

void CDockContext::StartDrag(POINT press)
{
    CFrameWnd* site = m_bar->GetDockingFrame();
    const HWND bar = m_bar->m_hWnd;
    if (!site || !site->m_hWnd || !bar)
        return;
    ::SetCapture(bar);
    if (::GetCapture() != bar)
        return;
    const dock::DockSite docks = site->DockSiteFor(m_bar);
    dock::DragShapes shapes = dock::StartShapes(ShapeOf(*m_bar), press);
    const SIZE threshold = {GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)};
    std::optional<DragFrame> frame;  // made once the press has become a drag
    POINT at = press;
    DWORD side = 0;
    bool released = false, cancelled = false;
    // Where the drag would put the bar now: Ctrl held floats it.
    const auto follow = [&] {
        if (!frame)
            return;
        side = GetKeyState(VK_CONTROL) < 0 ? 0 : dock::DockSideAt(shapes, docks);
        frame->Show(dock::ShapeFor(shapes, side), side == 0);
    };
    while (!released && !cancelled && ::GetCapture() == bar) {
        MSG msg;
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(int(msg.wParam));  // for the loop that runs the program
            cancelled = true;
            break;
        }
        switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            shapes = dock::MoveShapes(shapes, at, msg.pt);
            at = msg.pt;
            if (!frame && dock::PastDragThreshold(press, at, threshold))
                frame.emplace();
            follow();
            released = msg.message == WM_LBUTTONUP;
            break;
        case WM_RBUTTONDOWN:
            cancelled = true;
            break;
        case WM_KEYDOWN:
            cancelled = msg.wParam == VK_ESCAPE;
            if (msg.wParam == VK_CONTROL)
                follow();
            break;
        case WM_KEYUP:
            if (msg.wParam == VK_CONTROL)
                follow();
            break;
        default:
            // Keys belong to the drag; everything else (paints, timers,
            // sent messages) goes on as usual.
            if (IsKeyMessage(msg.message))
                break;
            DispatchMessageA(&msg);
            if (!IsWindow(bar))
                return;  // gone with its frame: nothing left to move
        }
    }
    const bool dropped = released && frame.has_value();
    frame.reset();
    if (::GetCapture() == bar)
        ReleaseCapture();
    if (!dropped)
        return;
    if (side)
        site->DockControlBar(m_bar, side, dock::ShapeFor(shapes, side));
    else
        site->FloatControlBar(m_bar, POINT{shapes.floating.left, shapes.floating.top});
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
