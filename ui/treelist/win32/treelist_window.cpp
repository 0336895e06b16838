// The class "TreeList": registration, the window procedure with its locking
// rule, the control's creation and destruction, and the window as the
// portable core's host.
#include "ui/treelist/win32/treelist_window.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>

namespace {

const char kClassName[] = "TreeList";
constexpr DWORD kHeaderStyle = WS_CHILD | WS_VISIBLE | HDS_BUTTONS | HDS_DRAGDROP;  // 0x50000042

std::mutex g_registerLock;
bool g_registered = false;

LRESULT Create(HWND hwnd)
{
    TreeListAcquireShared();
    TreeListWindow* w = new (std::nothrow) TreeListWindow(hwnd);
    if (!w || !w->measureDc) {
        delete w;
        TreeListReleaseShared();
        return -1;
    }
    RECT client = {};
    GetClientRect(hwnd, &client);
    const DWORD style = DWORD(GetWindowLongA(hwnd, GWL_STYLE));
    TreeListData* d = TreeListCreate(w, style, client.right, client.bottom);
    if (!d) {
        delete w;
        TreeListReleaseShared();
        return -1;
    }
    w->d = d;
    d->windowProcedure = reinterpret_cast<LPARAM>(&TreeListProc);
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(d));
    TreeListCall call(*d);
    // The scroll bars set during creation may have changed the client area
    // before the window could hear of it.
    GetClientRect(hwnd, &client);
    if (client.right != d->clientWidth || client.bottom != d->clientHeight)
        TreeListResize(*d, client.right, client.bottom);
    TreeListOpenThemes(*d);
    if (!(style & TVS_NOTOOLTIPS))
        TreeListCreateTooltip(*d);
    if (style & TVS_CHECKBOXES)
        TreeListCreateCheckBoxes(*d, 0);
    return 0;
}

void Destroy(TreeListData& d)
{
    TreeListCall call(d);
    TreeListWindow& w = TreeListWindowOf(d);
    // From here on the control makes no window: until WM_NCDESTROY its
    // children's end may still reach it (an editor's lost focus, the
    // header's notifications) and the parent may act on those.
    d.destroying = true;
    if (d.editWindow) {
        // The window goes: the edit goes without a word to the parent.
        const HWND editor = d.editWindow;
        d.editWindow = nullptr;
        DestroyWindow(editor);
    }
    if (d.dragItem)
        w.EndDragVisuals();
    for (UINT_PTR timer : {kTreeListDropTimer, kTreeListTooltipTimer, kTreeListAutoScrollTimer, kTreeListBarTimer})
        KillTimer(w.hwnd, timer);
    TreeListDestroy(d);
    TreeListDestroyImageLists(d);
    TreeListDestroyTooltip(d);
    TreeListCloseThemes(d);
}

void NcDestroy(HWND hwnd, TreeListData* d)
{
    SetWindowLongPtrA(hwnd, 0, 0);
    // Frees the records when no message is in progress any more; the host
    // and the shared drawing objects go with them (Released).
    TreeListRelease(d);
}

// Keeps the records for the message and what follows it.
class Reference {
public:
    explicit Reference(TreeListData& d) : m_d(d) { TreeListAddRef(d); }
    ~Reference() { TreeListReleaseRef(&m_d); }
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;

private:
    TreeListData& m_d;
};

// The window's rows first: a few of them wrap the core's (the buttons). No
// exception may cross into the system's message code: one answers 0. When
// the outermost message ends, an open editor follows its cell (not after
// the editor's own commands: it is inside a message of its own then).
bool Routed(TreeListData& d, TreeListMessage& m)
{
    TreeListLayer layer = TreeListLayer::kWindow;
    const TreeListRoute* route = FindRoute(TreeListWindowRoutes(), m.message);
    if (!route) {
        layer = TreeListLayer::kCore;
        route = FindRoute(TreeListCoreRoutes(), m.message);
    }
    if (!route)
        return false;
    const Reference held(d);
    bool handled = true;
    try {
        handled = TreeListDispatch(d, layer, *route, m);
        const bool fromEditor = m.message == WM_COMMAND && LOWORD(m.wParam) == kTreeListEditorId;
        if (d.editWindow && d.messageDepth == 0 && !d.destroyed && !fromEditor) {
            TreeListCall call(d);
            TreeListFollowEditor(d);
        }
    } catch (...) {
        m.result = 0;
    }
    return handled;
}

}  // namespace

BOOL TreeListRegister(HINSTANCE instance)
{
    std::lock_guard<std::mutex> hold(g_registerLock);
    if (g_registered)
        return TRUE;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &TreeListProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = sizeof(TreeListData*);
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszClassName = kClassName;
    g_registered = RegisterClassExA(&wc) != 0;
    return g_registered ? TRUE : FALSE;
}

LRESULT CALLBACK TreeListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    TreeListData* d = reinterpret_cast<TreeListData*>(GetWindowLongPtrA(hwnd, 0));
    if (!d)
        return message == WM_CREATE ? Create(hwnd) : DefWindowProcA(hwnd, message, wParam, lParam);
    // The records' end: outside the routed messages' lock and reference.
    if (message == WM_DESTROY) {
        Destroy(*d);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        if (!d->destroying) {
            // No WM_DESTROY came first (a control made while its parent was
            // already going): the same end, without a word to the parent.
            d->destroyed = true;
            Destroy(*d);
        }
        NcDestroy(hwnd, d);
    } else {
        TreeListMessage m{message, wParam, lParam, 0};
        if (Routed(*d, m))
            return m.result;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// ---------------- The window as the core's host ----------------

TreeListWindow::TreeListWindow(HWND window) : hwnd(window)
{
    measureDc = CreateCompatibleDC(nullptr);
    FontChanged();
}

TreeListWindow::~TreeListWindow()
{
    if (bufferDc) {
        SelectObject(bufferDc, bufferOld);
        DeleteDC(bufferDc);
    }
    if (bufferBitmap)
        DeleteObject(bufferBitmap);
    if (measureDc)
        DeleteDC(measureDc);
    if (boldFont)
        DeleteObject(boldFont);
}

HDC TreeListWindow::PaintBuffer(int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    if (bufferDc && width <= bufferWidth && height <= bufferHeight)
        return bufferDc;
    if (!bufferDc && !(bufferDc = CreateCompatibleDC(nullptr)))
        return nullptr;
    // A DIB section: drawing into it needs no round trip to the display.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = std::max(width, bufferWidth);
    info.bmiHeader.biHeight = -std::max(height, bufferHeight);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(bufferDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;
    const HGDIOBJ previous = SelectObject(bufferDc, bitmap);
    if (!bufferOld)
        bufferOld = previous;
    if (bufferBitmap)
        DeleteObject(bufferBitmap);
    bufferBitmap = bitmap;
    bufferWidth = info.bmiHeader.biWidth;
    bufferHeight = -info.bmiHeader.biHeight;
    return bufferDc;
}

HFONT TreeListWindow::DrawFont() const
{
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HFONT TreeListWindow::BoldFont()
{
    if (!boldFont) {
        LOGFONTA lf = {};
        if (GetObjectA(DrawFont(), sizeof(lf), &lf)) {
            lf.lfWeight = FW_BOLD;
            boldFont = CreateFontIndirectA(&lf);
        }
    }
    return boldFont ? boldFont : DrawFont();
}

void TreeListWindow::FontChanged()
{
    if (boldFont)
        DeleteObject(boldFont);
    boldFont = nullptr;
    if (!measureDc)
        return;
    SelectObject(measureDc, DrawFont());
    TEXTMETRICA tm = {};
    if (GetTextMetricsA(measureDc, &tm))
        textHeight = tm.tmHeight;
}

LRESULT TreeListWindow::Notify(NMHDR& header)
{
    header.hwndFrom = hwnd;
    header.idFrom = UINT_PTR(GetDlgCtrlID(hwnd));
    const HWND parent = GetParent(hwnd);
    if (!parent)
        return 0;
    return SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void TreeListWindow::Invalidate(const RECT* rect, bool erase)
{
    if (d && d->redrawOff)
        return;  // WM_SETREDRAW TRUE repaints everything
    InvalidateRect(hwnd, rect, erase);
}

void TreeListWindow::SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw)
{
    SCROLLINFO copy = info;
    if (!redraw || (d && d->redrawOff)) {
        ::SetScrollInfo(hwnd, bar, &copy, FALSE);
        return;
    }
    // Each update may come as its own message (a worker inserting item by
    // item): the bars are drawn at most once per interval, the last update
    // by a timer.
    const DWORD now = GetTickCount();
    const size_t slot = bar == SB_VERT ? 1 : 0;
    const DWORD elapsed = now - lastBarRedraw[slot];
    if (elapsed >= kTreeListBarRedrawMs) {
        lastBarRedraw[slot] = now;
        ::SetScrollInfo(hwnd, bar, &copy, TRUE);
        return;
    }
    ::SetScrollInfo(hwnd, bar, &copy, FALSE);
    if (!barTimer) {
        barTimer = true;
        ::SetTimer(hwnd, kTreeListBarTimer, kTreeListBarRedrawMs - elapsed, nullptr);
    }
}

void TreeListWindow::RedrawBars()
{
    ::KillTimer(hwnd, kTreeListBarTimer);
    barTimer = false;
    lastBarRedraw[0] = lastBarRedraw[1] = GetTickCount();
    // The frame alone: the rows are repainted where they changed, not all
    // of them with every burst.
    SendMessageA(hwnd, WM_NCPAINT, 1, 0);
}

bool TreeListWindow::GetScrollInfo(int bar, SCROLLINFO& info)
{
    return ::GetScrollInfo(hwnd, bar, &info) != 0;
}

void TreeListWindow::SetScrollPos(int bar, int pos, bool redraw)
{
    ::SetScrollPos(hwnd, bar, pos, (redraw && !(d && d->redrawOff)) ? TRUE : FALSE);
}

void TreeListWindow::PostDeferredUpdate()
{
    PostMessageA(hwnd, TLM_DEFERREDUPDATE, 0, 0);
}

int TreeListWindow::MeasureText(const char* text, int length, bool bold)
{
    if (!measureDc || length <= 0)
        return 0;
    SelectObject(measureDc, bold ? BoldFont() : DrawFont());
    SIZE size = {};
    GetTextExtentPoint32A(measureDc, text, length, &size);
    return size.cx;
}

namespace {

// The header notifies the control from inside its own messages, and the
// parent may destroy the control (or its columns) right then; the header's
// own code goes on with its records when the notification returns. So a
// header busy with a message of its own is not destroyed at once: it leaves
// the control and goes when that message returns. Its count of messages in
// progress lives with the header, which may outlive the control.
const char kHeaderGuard[] = "TreeListHeaderGuard";

struct HeaderGuard {
    WNDPROC previous;
    int depth = 0;          // the header's messages in progress
    bool orphaned = false;  // destroy it when the last one returns
    bool ending = false;    // WM_DESTROY came: its records are gone, it only ends now
    bool gone = false;      // destroyed meanwhile: free this when the last one returns
};

HeaderGuard* GuardOf(HWND header) { return static_cast<HeaderGuard*>(GetPropA(header, kHeaderGuard)); }

LRESULT CALLBACK GuardedHeaderProc(HWND header, UINT message, WPARAM wParam, LPARAM lParam)
{
    HeaderGuard* guard = GuardOf(header);
    if (!guard)
        return DefWindowProcA(header, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        RemovePropA(header, kHeaderGuard);
        SetWindowLongPtrA(header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(guard->previous));
        const LRESULT result = CallWindowProcA(guard->previous, header, message, wParam, lParam);
        if (guard->depth == 0)
            delete guard;
        else
            guard->gone = true;
        return result;
    }
    // After its WM_DESTROY the header has freed its items: a paint or a
    // click that still comes (a modal loop of the parent's) is not its.
    if (guard->ending)
        return DefWindowProcA(header, message, wParam, lParam);
    guard->ending = message == WM_DESTROY;
    ++guard->depth;
    const LRESULT result = CallWindowProcA(guard->previous, header, message, wParam, lParam);
    if (--guard->depth == 0) {
        if (guard->gone)
            delete guard;
        else if (guard->orphaned)
            DestroyWindow(header);
    }
    return result;
}

}  // namespace

HWND TreeListWindow::CreateHeader(int height)
{
    ++headerCalls;
    const int width = d ? d->clientWidth : 0;
    const HWND header = CreateWindowExA(0, WC_HEADERA, "", kHeaderStyle, 0, 0, width, height, hwnd,
                                       reinterpret_cast<HMENU>(INT_PTR(kTreeListHeaderId)),
                                       reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE)), nullptr);
    if (header) {
        HeaderGuard* guard = new (std::nothrow) HeaderGuard{};
        if (guard && SetPropA(header, kHeaderGuard, guard)) {
            guard->previous = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GuardedHeaderProc)));
        } else {
            delete guard;
        }
        SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(DrawFont()), 0);
    }
    --headerCalls;
    return header;
}

void TreeListWindow::DestroyHeader()
{
    const HWND header = d ? d->header : nullptr;
    if (!header || !IsWindow(header))
        return;
    HeaderGuard* guard = GuardOf(header);
    if (guard && guard->depth > 0) {
        // Out of the control, which may be going itself; destroyed when the
        // header's own message returns.
        ShowWindow(header, SW_HIDE);
        SetParent(header, HWND_MESSAGE);
        guard->orphaned = true;
        return;
    }
    DestroyWindow(header);
}

void TreeListWindow::MoveHeader(int x, int y, int width, int height)
{
    if (d && d->header)
        SetWindowPos(d->header, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// A header message sent by the control itself.
LRESULT HeaderCall(TreeListWindow& w, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!w.d || !w.d->header)
        return 0;
    ++w.headerCalls;
    const LRESULT answer = SendMessageA(w.d->header, message, wParam, lParam);
    --w.headerCalls;
    return answer;
}

}  // namespace

int TreeListWindow::HeaderInsertItem(int index, const HDITEMA& item)
{
    HDITEMA copy = item;
    return int(HeaderCall(*this, HDM_INSERTITEMA, WPARAM(index), reinterpret_cast<LPARAM>(&copy)));
}

bool TreeListWindow::HeaderDeleteItem(int index)
{
    return HeaderCall(*this, HDM_DELETEITEM, WPARAM(index), 0) != 0;
}

LRESULT TreeListWindow::HeaderSetItem(int index, const HDITEMA& item)
{
    HDITEMA copy = item;
    return HeaderCall(*this, HDM_SETITEMA, WPARAM(index), reinterpret_cast<LPARAM>(&copy));
}

bool TreeListWindow::HeaderGetItem(int index, HDITEMA& item)
{
    return HeaderCall(*this, HDM_GETITEMA, WPARAM(index), reinterpret_cast<LPARAM>(&item)) != 0;
}

bool TreeListWindow::HeaderSetOrder(int count, const int* order)
{
    return HeaderCall(*this, HDM_SETORDERARRAY, WPARAM(count), reinterpret_cast<LPARAM>(order)) != 0;
}

bool TreeListWindow::HeaderGetOrder(int count, int* order)
{
    return HeaderCall(*this, HDM_GETORDERARRAY, WPARAM(count), reinterpret_cast<LPARAM>(order)) != 0;
}

void TreeListWindow::HeaderSetImageList(HIMAGELIST list)
{
    HeaderCall(*this, HDM_SETIMAGELIST, HDSIL_NORMAL, reinterpret_cast<LPARAM>(list));
}

void TreeListWindow::InvalidateHeader()
{
    if (d && d->header)
        InvalidateRect(d->header, nullptr, FALSE);
}

void TreeListWindow::HideTooltip()
{
    if (d)
        TreeListHideItemTooltip(*d);
}

void TreeListWindow::SetFocus()
{
    ::SetFocus(hwnd);
}

void TreeListWindow::FocusParent()
{
    if (const HWND parent = GetParent(hwnd))
        ::SetFocus(parent);
}

LRESULT TreeListWindow::EditKeyHook(uint32_t item, uint32_t column, uint32_t key, LPARAM keyData)
{
    return d ? TreeListEditKeyHook(*d, item, column, key, keyData) : 0;
}

LRESULT TreeListWindow::StartEdit(uint32_t column, uint32_t code, LPARAM keyData)
{
    return d ? TreeListStartEdit(*d, column, code, keyData) : 0;
}

void TreeListWindow::DragFeedback(uint32_t modeFlags, uint32_t keyState)
{
    if (d)
        TreeListDragFeedback(*d, modeFlags, keyState);
}

void TreeListWindow::EndDragVisuals()
{
    if (dragImage) {
        ImageList_DragLeave(hwnd);
        ImageList_EndDrag();
        ImageList_Destroy(dragImage);
        dragImage = nullptr;
    }
    if (GetCapture() == hwnd)
        ReleaseCapture();
    ::SetCursor(TreeListSharedObjects().arrow);
}
