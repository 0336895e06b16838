#include "ui/filedlg/popup_list.h"

#include "system/shell_icons.h"
#include "platform/framework/message_routes.h"
#include "ui/filedlg/ofn_logic.h"

#include <cstdlib>

const char kPopupListClass[] = "OfnPopupList";

namespace {

struct PopupState {
    HWND list = nullptr;
    HWND bar = nullptr;
    WNDPROC listProc = nullptr;
    WORD id = 0;
    int top = 0;
    int width = 0, height = 0;
    int barWidth = 0;
    int linesPerPage = 1;
    int startWidth = 0, startHeight = 0, startX = 0, startY = 0;
    bool sizing = false;
};

PopupState* State(HWND frame)
{
    return reinterpret_cast<PopupState*>(GetWindowLongPtrA(frame, GWLP_USERDATA));
}

bool OwnsText(UINT message, WPARAM wParam, LPARAM lParam)
{
    return (message == kPopupAddString || message == kPopupInsertString) && lParam &&
           (wParam & 0x7FFF0000) == kPopupOwnedText;
}

void Layout(HWND frame, PopupState* s)
{
    PopupRects r = PopupLayout(s->width, s->height, s->barWidth);
    MoveWindow(s->list, 0, 0, r.listWidth, r.listHeight, TRUE);
    MoveWindow(s->bar, r.barX, 0, s->barWidth, r.barHeight, TRUE);
    PopupListUpdateScroll(frame);
}

void ScrollTo(HWND frame, PopupState* s, int top)
{
    if (top < 0)
        top = 0;
    SetScrollPos(s->bar, SB_CTL, top, TRUE);
    SendMessageA(s->list, LB_SETTOPINDEX, top, 0);
    s->top = int(SendMessageA(s->list, LB_GETTOPINDEX, 0, 0));
    (void)frame;
}

LRESULT CALLBACK PopupListBoxProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC next = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (message == WM_MOUSEWHEEL)
        return SendMessageA(GetParent(wnd), message, wParam, lParam);
    if (message == WM_MOUSEMOVE) {
        LRESULT hit = SendMessageA(wnd, LB_ITEMFROMPOINT, 0, lParam);
        if (!HIWORD(hit) && SendMessageA(wnd, LB_GETCURSEL, 0, 0) != LOWORD(hit))
            SendMessageA(wnd, LB_SETCURSEL, LOWORD(hit), 0);
    }
    return CallWindowProcA(next, wnd, message, wParam, lParam);
}

// One message to the frame on its way through the table.
struct PopupMessage {
    HWND frame;
    PopupState& s;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};
// False: the message goes on to the default procedure.
typedef bool (*PopupHandler)(PopupMessage& m);

POINT PointOf(LPARAM lParam)
{
    return POINT{short(LOWORD(lParam)), short(HIWORD(lParam))};
}

void Destroy(HWND frame, PopupState* s)
{
    if (s->sizing)
        ReleaseCapture();
    DiscardPopupMessages(frame);
    SetWindowLongPtrA(frame, GWLP_USERDATA, 0);
    delete s;
}

void PaintGrip(HWND frame, const PopupState& s, HDC given)
{
    PAINTSTRUCT ps;
    HDC dc = given ? given : BeginPaint(frame, &ps);
    RECT grip{s.width - s.barWidth, s.height - s.barWidth, s.width, s.height};
    DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP | DFCS_MONO);
    if (!given)
        EndPaint(frame, &ps);
}

// The list's notifications go to the parent as the frame's; a new
// selection may have scrolled the list.
void ListCommand(HWND frame, PopupState& s, WORD code)
{
    if (code == LBN_SELCHANGE) {
        int top = int(SendMessageA(s.list, LB_GETTOPINDEX, 0, 0));
        if (top != s.top) {
            s.top = top;
            SetScrollPos(s.bar, SB_CTL, top, TRUE);
        }
    }
    SendMessageA(GetParent(frame), WM_COMMAND, MAKEWPARAM(s.id, code), reinterpret_cast<LPARAM>(frame));
}

void Scroll(HWND frame, PopupState& s, WORD request, WORD thumb)
{
    static const int kCodes[] = {kLineUp, kLineDown, kPageUp, kPageDown, kThumbPosition, kThumbTrack, kTop,
                                 kBottom, kEnd};
    int code = request < 9 ? kCodes[request] : kEnd;
    int top = PopupScrollTarget(code, s.top, s.linesPerPage, thumb);
    if (top >= 0)
        ScrollTo(frame, &s, top);
}

// A press in the grip square starts sizing with the mouse captured.
void StartDrag(HWND frame, PopupState& s, POINT at)
{
    RECT r;
    GetWindowRect(frame, &r);
    s.startWidth = r.right - r.left;
    s.startHeight = r.bottom - r.top;
    POINT p = at;
    ClientToScreen(frame, &p);
    s.startX = p.x;
    s.startY = p.y;
    if (at.x >= s.width - s.barWidth && at.y >= s.height - s.barWidth) {
        s.sizing = true;
        SetCapture(frame);
    }
}

void Drag(HWND frame, PopupState& s, WPARAM keys, POINT at)
{
    if (!s.sizing)
        return;
    if (!(keys & MK_LBUTTON)) {
        s.sizing = false;
        ReleaseCapture();
        return;
    }
    ClientToScreen(frame, &at);
    int w = 0, h = 0;
    PopupDragSize(s.startWidth, s.startHeight, at.x - s.startX, at.y - s.startY, s.barWidth, &w, &h);
    SetWindowPos(frame, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(frame, nullptr, TRUE);
}

void EndDrag(HWND frame, PopupState& s)
{
    if (!s.sizing)
        return;
    s.sizing = false;
    ReleaseCapture();
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The list box's messages pass through, 0x017E and 0x017F as its add and
// insert; a text the popup owns is freed once the list box has copied it.
LRESULT ForwardToList(HWND frame, PopupState& s, UINT message, WPARAM wParam, LPARAM lParam)
{
    UINT forwarded = message == kPopupAddString ? LB_ADDSTRING : message == kPopupInsertString ? LB_INSERTSTRING
                                                                                               : message;
    LRESULT answer = SendMessageA(s.list, forwarded, wParam & 0x8000FFFF, lParam);
    if (OwnsText(message, wParam, lParam))
        free(reinterpret_cast<void*>(lParam));
    if (forwarded == LB_ADDSTRING || forwarded == LB_INSERTSTRING || forwarded == LB_DELETESTRING ||
        forwarded == LB_RESETCONTENT || forwarded == LB_SETCURSEL)
        PopupListUpdateScroll(frame);
    return answer;
}

// A row that answers `value` after its statement.
#define POPUP_ROW(message, value, ...)            \
    {message, message, [](PopupMessage& m) {      \
         __VA_ARGS__;                             \
         m.result = (value);                      \
         return true;                             \
     }}

constexpr Route<PopupHandler> kPopupRows[] = {
    POPUP_ROW(WM_ACTIVATE, 0, (void)m),
    POPUP_ROW(WM_MOUSEACTIVATE, MA_NOACTIVATE, (void)m),
    {WM_SIZE, WM_SIZE, [](PopupMessage& m) {
         m.s.width = LOWORD(m.lParam);
         m.s.height = HIWORD(m.lParam);
         Layout(m.frame, &m.s);
         return false;
     }},
    POPUP_ROW(WM_ERASEBKGND, 1, (void)m),  // the children cover all but the grip, which WM_PAINT draws
    POPUP_ROW(WM_SETCURSOR, TRUE, SetCursor(LoadCursor(nullptr, IDC_SIZENWSE))),
    POPUP_ROW(WM_DESTROY, 0, Destroy(m.frame, &m.s)),
    POPUP_ROW(WM_PAINT, 0, PaintGrip(m.frame, m.s, reinterpret_cast<HDC>(m.wParam))),
    {WM_COMMAND, WM_COMMAND, [](PopupMessage& m) {
         if (LOWORD(m.wParam) != kPopupListId)
             return false;
         ListCommand(m.frame, m.s, HIWORD(m.wParam));
         m.result = 0;
         return true;
     }},
    POPUP_ROW(WM_VSCROLL, 0, Scroll(m.frame, m.s, LOWORD(m.wParam), HIWORD(m.wParam))),
    POPUP_ROW(WM_LBUTTONDOWN, 0, StartDrag(m.frame, m.s, PointOf(m.lParam))),
    POPUP_ROW(WM_MOUSEMOVE, 0, Drag(m.frame, m.s, m.wParam, PointOf(m.lParam))),
    POPUP_ROW(WM_LBUTTONUP, 0, EndDrag(m.frame, m.s)),
    POPUP_ROW(WM_MOUSEWHEEL, 0, if (int lines = PopupWheelLines(short(HIWORD(m.wParam)))) ScrollTo(m.frame, &m.s, m.s.top - lines)),
    {kPopupAddString, LB_GETLISTBOXINFO, [](PopupMessage& m) {
         m.result = ForwardToList(m.frame, m.s, m.message, m.wParam, m.lParam);
         return true;
     }},
};
#undef POPUP_ROW
constexpr auto kPopupRoutes = SortRoutes(kPopupRows);
static_assert(RoutesDisjoint(kPopupRoutes), "a message has two rows");

LRESULT CALLBACK PopupListFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    PopupState* s = State(frame);
    const Route<PopupHandler>* route = s ? FindRoute(kPopupRoutes, message) : nullptr;
    if (!route)
        return DefWindowProcA(frame, message, wParam, lParam);
    PopupMessage m{frame, *s, message, wParam, lParam, 0};
    if (!route->handler(m))
        return DefWindowProcA(frame, message, wParam, lParam);  // the state may be gone: m is not read
    return m.result;
}

void RegisterPopupClass()
{
    WNDCLASSA wc{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), kPopupListClass, &wc))
        return;
    wc.lpfnWndProc = PopupListFrameProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_SIZENWSE);
    wc.lpszClassName = kPopupListClass;
    RegisterClassA(&wc);
}

}  // namespace

void PopupListUpdateScroll(HWND frame)
{
    PopupState* s = State(frame);
    if (!s)
        return;
    int itemHeight = int(SendMessageA(s->list, LB_GETITEMHEIGHT, 0, 0));
    s->linesPerPage = PopupLinesPerPage(s->height, itemHeight);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = int(SendMessageA(s->list, LB_GETCOUNT, 0, 0));
    si.nPage = UINT(s->linesPerPage);
    si.nPos = s->top = int(SendMessageA(s->list, LB_GETTOPINDEX, 0, 0));
    SetScrollInfo(s->bar, SB_CTL, &si, TRUE);
}

void DiscardPopupMessages(HWND frame)
{
    MSG msg;
    while (PeekMessageA(&msg, frame, kPopupAddString, kPopupInsertString, PM_REMOVE))
        if (OwnsText(msg.message, msg.wParam, msg.lParam))
            free(reinterpret_cast<void*>(msg.lParam));
}

HWND CreatePopupList(DWORD exStyle, DWORD style, const RECT* rect, HWND parent, int id)
{
    RegisterPopupClass();
    RECT r = rect ? *rect : RECT{0, 0, 0, 0};
    HWND frame = CreateWindowExA(exStyle, kPopupListClass, "", style | WS_POPUP | WS_CLIPCHILDREN, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!frame)
        return nullptr;
    auto* s = new PopupState;
    s->id = WORD(id);
    s->barWidth = GetSystemMetrics(SM_CXVSCROLL);
    RECT client;
    GetClientRect(frame, &client);
    s->width = client.right;
    s->height = client.bottom;
    PopupRects pr = PopupLayout(s->width, s->height, s->barWidth);
    s->list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT,
                              0, 0, pr.listWidth, pr.listHeight, frame,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPopupListId)), nullptr, nullptr);
    s->bar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_VERT, pr.barX, 0, s->barWidth,
                             pr.barHeight, frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPopupBarId)),
                             nullptr, nullptr);
    if (!s->list || !s->bar) {
        delete s;
        DestroyWindow(frame);
        return nullptr;
    }
    SendMessageA(s->list, WM_SETFONT, reinterpret_cast<WPARAM>(GetGuiFont(0)), 0);
    s->listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(s->list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PopupListBoxProc)));
    SetWindowLongPtrA(s->list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s->listProc));
    SetWindowLongPtrA(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    return frame;
}
