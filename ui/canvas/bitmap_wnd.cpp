// CBitmapWnd: construction, creation and the back buffer.
#include "ui/canvas/bitmap_wnd.h"

#include <cstring>
#include <memory>

#include "platform/framework/wnd_class.h"

namespace {

constexpr int kMaxPaletteEntries = 256;

// Registered once, by the first constructor; every canvas shares it.
const char* CanvasClassName()
{
    static const char* name = AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                                  static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    return name;
}

// BITMAPINFO with room for a full colour table or the three bit-field masks.
struct BufferInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[kMaxPaletteEntries];
};

}  // namespace

CBitmapWnd::CBitmapWnd()
{
    m_dcMemory.CreateCompatibleDC(nullptr);
    m_screenWnd = GetDesktopWindow();
    m_screenDc = m_screenWnd->GetDC();
    m_nScreenBits = m_screenDc ? uint32_t(m_screenDc->GetDeviceCaps(BITSPIXEL)) : 32;
    m_pImage = new CGraphicsImage;
    m_cursor = LoadCursor(nullptr, IDC_ARROW);
    CanvasClassName();
}

CBitmapWnd::~CBitmapWnd()
{
    // The window goes first, while its handlers still belong to this class.
    if (m_hWnd)
        DestroyWindow();
    if (m_dibSection) {
        // A bitmap still selected into a DC is not freed by DeleteObject.
        m_dcMemory.SelectObject(m_originalBitmap);
        DeleteObject(m_dibSection);
    }
    if (m_screenDc) {
        if (IsWindow(m_screenWnd->m_hWnd)) {
            m_screenWnd->ReleaseDC(m_screenDc);
        } else {
            m_screenDc->Detach();
            delete m_screenDc;
        }
    }
    m_dcMemory.DeleteDC();
    delete m_pImage;
}

void CBitmapWnd::GrowBufferToMinSize()
{
    if (m_sizeMin.cx > 0 && m_sizeMin.cy > 0 &&
        (uint32_t(m_sizeMin.cx) > m_pImage->m_nWidth || uint32_t(m_sizeMin.cy) > m_pImage->m_nHeight)) {
        CLockGuard hold(m_lock);
        if (m_nLockCount == 0)
            RecreateBuffer(m_sizeMin.cx, m_sizeMin.cy);
    }
}

void CBitmapWnd::TakeScrollStyles(DWORD style)
{
    m_cursor = LoadCursor(nullptr, IDC_ARROW);
    m_horzScrollAlways = (style & BWS_HSCROLLALWAYS) != 0;
    m_vertScrollAlways = (style & BWS_VSCROLLALWAYS) != 0;
    m_horzScroll = (style & BWS_HSCROLL) != 0;
    m_vertScroll = (style & BWS_VSCROLL) != 0;
}

BOOL CBitmapWnd::Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    m_center = (style & BWS_CENTER) != 0;
    m_fixedSize = (style & BWS_FIXEDSIZE) != 0;
    const BOOL created = CreateEx(exStyle, CanvasClassName(), "", style, rect, parent, id);
    if (created) {
        m_postTarget = m_hWnd;
        GrowBufferToMinSize();
    }
    TakeScrollStyles(style);
    m_pinSmall = (style & BWS_PINSMALL) != 0;
    if (created && (m_horzScroll || m_vertScroll) && m_sizeClient.cx > 0)
        ShowScrollBars(m_horzScroll && m_vertScroll ? SB_BOTH : m_horzScroll ? SB_HORZ : SB_VERT);
    return created;
}

BOOL CBitmapWnd::CreateOverControl(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* parentDialog, UINT newId)
{
    if (!parentDialog || !parentDialog->m_hWnd)
        return FALSE;
    CWnd* placeholder = parentDialog->GetDlgItem(int(placeholderId));
    if (!placeholder)
        return FALSE;
    RECT rect;
    placeholder->GetWindowRect(&rect);
    parentDialog->ScreenToClient(&rect);
    m_center = (style & BWS_CENTER) != 0;
    m_fixedSize = (style & BWS_FIXEDSIZE) != 0;
    m_pinSmall = (style & BWS_PINSMALL) != 0;
    if (!CreateEx(exStyle, CanvasClassName(), "", style, rect, parentDialog, newId))
        return FALSE;
    m_postTarget = m_hWnd;
    SetWindowPos(placeholder, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
    GrowBufferToMinSize();
    TakeScrollStyles(style);
    if ((m_horzScroll || m_vertScroll) && m_sizeClient.cx > 0) {
        if (m_horzScroll)
            CWnd::ShowScrollBar(SB_HORZ);
        if (m_vertScroll)
            CWnd::ShowScrollBar(SB_VERT);
        SetScrollPosition(m_ptScroll.x, m_ptScroll.y);
        UpdateScrollBars();
    }
    return TRUE;
}

void CBitmapWnd::ShowScrollBars(UINT bars)
{
    CWnd::ShowScrollBar(bars);
    SetScrollPosition(m_ptScroll.x, m_ptScroll.y);
    UpdateScrollBars();
}

void CBitmapWnd::SetPaintProc(BitmapWndPaintProc proc, uintptr_t context)
{
    m_paintProc = proc;
    m_paintContext = context;
}

void CBitmapWnd::SetMessageProc(BitmapWndMessageProc proc, uintptr_t context)
{
    m_messageProc = proc;
    m_messageContext = context;
    if (m_hWnd)
        ModifyStyle(0, kMessageProcStyle);
}

bool CBitmapWnd::SetBufferSize(int width, int height)
{
    if (!canvas::ValidBufferSide(width) || !canvas::ValidBufferSide(height))
        return false;
    SIZE size;
    if (m_fixedSize) {
        m_sizeMin = SIZE{width, height};
        size = m_sizeMin;
    } else {
        size = canvas::BufferSizeForClient(width, height, m_sizeMin, m_sizeMax, false);
    }
    if (m_pImage->m_nWidth == uint32_t(size.cx) && m_pImage->m_nHeight == uint32_t(size.cy))
        return true;
    bool recreated = false;
    {
        CLockGuard hold(m_lock);
        if (size.cx > 0 && size.cy > 0 && m_nLockCount == 0)
            recreated = RecreateBuffer(size.cx, size.cy);
    }
    if (recreated && m_hWnd && m_sizeClient.cx > 0 && m_sizeClient.cy > 0) {
        UpdateScrollBars();
        SetScrollPosition(m_ptScroll.x, m_ptScroll.y);
    }
    return recreated;
}

int CBitmapWnd::LockBuffer()
{
    CLockGuard hold(m_lock);
    return ++m_nLockCount;
}

int CBitmapWnd::UnlockBuffer()
{
    bool released = false;
    int count;
    {
        CLockGuard hold(m_lock);
        if (m_nLockCount > 0) {
            --m_nLockCount;
            released = m_nLockCount == 0;
        }
        count = m_nLockCount;
    }
    // Posted, never sent: the resize must not run on the unlocking thread.
    if (released) {
        if (const HWND target = m_postTarget.load())
            ::PostMessageA(target, WM_COMMAND, BWM_DEFERREDRESIZE, 0);
    }
    return count;
}

bool CBitmapWnd::RecreateBuffer(int width, int height)
{
    if (!canvas::ValidBufferSide(width) || !canvas::ValidBufferSide(height) || !m_screenDc)
        return false;
    const uint32_t depth = canvas::BufferDepthForScreen(int(m_nScreenBits));
    BufferInfo info = {};
    uint32_t masks[3];
    canvas::MakeBufferHeader(depth, width, height, &info.header, masks);
    PALETTEENTRY system[kMaxPaletteEntries] = {};
    if (depth <= 8) {
        const UINT count = 1u << depth;
        const UINT got = GetSystemPaletteEntries(m_screenDc->m_hDC, 0, count, system);
        if (got < count) {
            // Not a palette device after all: the image's default palette
            // serves both the DIB section and the image.
            CGraphicsImage defaults;
            defaults.Create(depth, 1, 1);
            for (UINT i = got; i < count; ++i)
                system[i] = PALETTEENTRY{defaults.m_pPalette[i].rgbRed, defaults.m_pPalette[i].rgbGreen,
                                         defaults.m_pPalette[i].rgbBlue, 0};
        }
        for (UINT i = 0; i < count; ++i)
            info.colours[i] = RGBQUAD{system[i].peBlue, system[i].peGreen, system[i].peRed, 0};
    } else if (info.header.biCompression == BI_BITFIELDS) {
        std::memcpy(info.colours, masks, sizeof masks);
    }
    void* bits = nullptr;
    const HBITMAP dib = CreateDIBSection(m_screenDc->m_hDC, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                         &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib)
            DeleteObject(dib);
        return false;
    }
    auto image = std::make_unique<CGraphicsImage>();
    if (!image->Create(depth, uint32_t(width), uint32_t(height), canvas::BufferFillValue(depth, m_rgbBackground),
                       reinterpret_cast<uintptr_t>(bits))) {
        DeleteObject(dib);
        return false;
    }
    if (depth <= 8) {
        for (UINT i = 0; i < (1u << depth); ++i)
            image->SetPaletteRGB(i, system[i].peRed, system[i].peGreen, system[i].peBlue);
    }
    if (m_pImage->m_pBits)
        image->DrawImage(*m_pImage, 0, 0, 0);
    const HBITMAP previous = m_dcMemory.SelectObject(dib);
    if (!m_originalBitmap)
        m_originalBitmap = previous;
    if (m_dibSection)
        DeleteObject(m_dibSection);
    m_dibSection = dib;
    delete m_pImage;
    m_pImage = image.release();
    return true;
}
