#include "examples/viewer/viewer_frame.h"

#include <algorithm>

#include "platform/framework/wnd_class.h"

BEGIN_MESSAGE_MAP(CViewerFrame, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_DESTROY()
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
    return m_canvas.Create(0, WS_CHILD | WS_VISIBLE | options, client, this, kCanvasId) ? 0 : -1;
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
