#include "examples/viewer/viewer_frame.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "platform/framework/wnd_class.h"

namespace {

constexpr UINT kDefaultWheelLines = 3;
// More lines a notch than any picture has: so many pixels still fit an int.
constexpr UINT kMostWheelLines = canvas::kMaxBufferSide / canvas::kLineStep;

// A key's scroll: along which axis, by what and which way.
enum class Step { kLine, kPage, kEnd };
struct KeyScroll {
    WPARAM key;
    bool sideways;
    Step step;
    int direction;
};
constexpr KeyScroll kKeyScrolls[] = {
    {VK_UP, false, Step::kLine, -1},    {VK_DOWN, false, Step::kLine, 1},  {VK_LEFT, true, Step::kLine, -1},
    {VK_RIGHT, true, Step::kLine, 1},   {VK_PRIOR, false, Step::kPage, -1}, {VK_NEXT, false, Step::kPage, 1},
    {VK_HOME, false, Step::kEnd, -1},   {VK_END, false, Step::kEnd, 1},
};

}  // namespace

BEGIN_MESSAGE_MAP(CViewerCanvas, CBitmapWnd)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
END_MESSAGE_MAP()

void CViewerCanvas::TakeWheel() { SetMessageProc(&OnCanvasMessage, reinterpret_cast<uintptr_t>(this)); }

void CViewerCanvas::OnCanvasMessage(uintptr_t self, UINT message, UINT keyFlags, int, int)
{
    if (message == WM_MOUSEWHEEL)
        reinterpret_cast<CViewerCanvas*>(self)->OnWheel(int16_t(HIWORD(keyFlags)), (keyFlags & MK_SHIFT) != 0);
}

void CViewerCanvas::OnWheel(int delta, bool sideways)
{
    UINT lines = kDefaultWheelLines;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int page = sideways ? m_sizeClient.cx : m_sizeClient.cy;
    const int64_t notch =
        lines == WHEEL_PAGESCROLL ? page : int64_t(std::min(lines, kMostWheelLines)) * canvas::kLineStep;
    // Kept in pixels times WHEEL_DELTA, so the small steps of a fine wheel add up.
    int& rest = m_wheelRest[sideways ? 0 : 1];
    const int64_t turned = rest + int64_t(delta) * notch;
    rest = int(turned % WHEEL_DELTA);
    const int pixels = -int(turned / WHEEL_DELTA);  // turned away from the user: up, or left
    ScrollBy(sideways ? pixels : 0, sideways ? 0 : pixels);
}

LRESULT CViewerCanvas::OnKeyDown(WPARAM key, LPARAM)
{
    const auto* row = std::find_if(std::begin(kKeyScrolls), std::end(kKeyScrolls),
                                   [key](const KeyScroll& k) { return k.key == key; });
    if (row == std::end(kKeyScrolls))
        return Default();
    const int page = row->sideways ? m_sizeClient.cx : m_sizeClient.cy;
    // An end lies no further than the largest picture.
    const int distance = row->step == Step::kLine ? canvas::kLineStep
                         : row->step == Step::kPage ? page
                                                    : canvas::kMaxBufferSide;
    ScrollBy(row->sideways ? row->direction * distance : 0, row->sideways ? 0 : row->direction * distance);
    return 0;
}

void CViewerCanvas::ScrollBy(int dx, int dy)
{
    if (dx || dy)
        ScrollTo(m_ptScroll.x + dx, m_ptScroll.y + dy, true);
}

BEGIN_MESSAGE_MAP(CViewerFrame, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_SETFOCUS, OnSetFocus)
END_MESSAGE_MAP()

BOOL CViewerFrame::CreateFrame(const char* title, int width, int height, bool quitOnDestroy)
{
    m_quitOnDestroy = quitOnDestroy;
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame = {0, 0, std::max(width, 1), std::max(height, 1)};
    AdjustWindowRect(&frame, style, FALSE);
    RECT work = {0, 0, 1024, 768};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int frameWidth = std::min(int(frame.right - frame.left), int(work.right - work.left));
    const int frameHeight = std::min(int(frame.bottom - frame.top), int(work.bottom - work.top));
    const char* className = AfxRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW), nullptr, LoadIcon(nullptr, IDI_APPLICATION));
    return CreateEx(0, className, title, style, work.left, work.top, frameWidth, frameHeight, nullptr, nullptr);
}

int CViewerFrame::OnCreate(CREATESTRUCTA*)
{
    m_canvas.m_rgbBackground = kBackground;
    RECT client;
    GetClientRect(&client);
    const DWORD options = BWS_HSCROLL | BWS_VSCROLL | BWS_CENTER | BWS_FIXEDSIZE;
    if (!m_canvas.Create(0, WS_CHILD | WS_VISIBLE | options, client, this, kCanvasId))
        return -1;
    m_canvas.TakeWheel();
    return 0;
}

LRESULT CViewerFrame::OnSetFocus(WPARAM, LPARAM)
{
    if (m_canvas.m_hWnd)
        ::SetFocus(m_canvas.m_hWnd);
    return 0;
}

void CViewerFrame::OnSize(UINT, int cx, int cy)
{
    if (m_canvas.m_hWnd)
        m_canvas.MoveWindow(0, 0, cx, cy);
}

void CViewerFrame::OnDestroy()
{
    if (m_quitOnDestroy)
        PostQuitMessage(0);
    Default();
}

bool CViewerFrame::ShowImage(const CGraphicsImage& image)
{
    if (!image.m_pBits)
        return false;
    const int width = int(std::min<uint32_t>(image.m_nWidth, canvas::kMaxBufferSide));
    const int height = int(std::min<uint32_t>(image.m_nHeight, canvas::kMaxBufferSide));
    if (!m_canvas.SetBufferSize(width, height))
        return false;
    m_canvas.m_pImage->DrawImage(image, 0, 0);
    m_canvas.ScrollTo(0, 0, false);
    m_canvas.UpdateScrollBars();
    m_canvas.Invalidate(FALSE);
    return true;
}
