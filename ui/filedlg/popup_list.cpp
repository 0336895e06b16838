#include "ui/filedlg/popup_list.h"

#include "system/shell_icons.h"
#include "platform/framework/message_routes.h"
#include "platform/framework/routed_message.h"
#include "ui/filedlg/ofn_logic.h"

#include <cstdlib>

const char kPopupListClass[] = "OfnPopupList";

namespace {

struct PopupState {
    HWND frame = nullptr;
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

void ScrollTo(PopupState& s, int top)
{
    if (top < 0)
        top = 0;
    SetScrollPos(s.bar, SB_CTL, top, TRUE);
    SendMessageA(s.list, LB_SETTOPINDEX, top, 0);
    s.top = int(SendMessageA(s.list, LB_GETTOPINDEX, 0, 0));
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

// ---- the frame's messages ----

void Resized(PopupState& s, uint16_t width, uint16_t height)
{
    s.width = width;
    s.height = height;
    PopupRects r = PopupLayout(s.width, s.height, s.barWidth);
    MoveWindow(s.list, 0, 0, r.listWidth, r.listHeight, TRUE);
    MoveWindow(s.bar, r.barX, 0, s.barWidth, r.barHeight, TRUE);
    PopupListUpdateScroll(s.frame);
}

BOOL ShowSizingCursor(PopupState&)
{
    SetCursor(LoadCursor(nullptr, IDC_SIZENWSE));
    return TRUE;
}

// The state goes with the frame.
void Destroy(PopupState& s)
{
    HWND frame = s.frame;
    if (s.sizing)
        ReleaseCapture();
    DiscardPopupMessages(frame);
    SetWindowLongPtrA(frame, GWLP_USERDATA, 0);
    delete &s;
}

void PaintGrip(PopupState& s, HDC given)
{
    PAINTSTRUCT ps;
    HDC dc = given ? given : BeginPaint(s.frame, &ps);
    RECT grip{s.width - s.barWidth, s.height - s.barWidth, s.width, s.height};
    DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP | DFCS_MONO);
    if (!given)
        EndPaint(s.frame, &ps);
}

// The list's notifications go to the parent as the frame's; a new
// selection may have scrolled the list.
bool ListCommand(PopupState& s, uint16_t id, uint16_t code)
{
    if (id != kPopupListId)
        return false;
    if (code == LBN_SELCHANGE) {
        int top = int(SendMessageA(s.list, LB_GETTOPINDEX, 0, 0));
        if (top != s.top) {
            s.top = top;
            SetScrollPos(s.bar, SB_CTL, top, TRUE);
        }
    }
    SendMessageA(GetParent(s.frame), WM_COMMAND, MAKEWPARAM(s.id, code), reinterpret_cast<LPARAM>(s.frame));
    return true;
}

void Scroll(PopupState& s, uint16_t request, uint16_t thumb)
{
    static const int kCodes[] = {kLineUp, kLineDown, kPageUp, kPageDown, kThumbPosition, kThumbTrack, kTop,
                                 kBottom, kEnd};
    int code = request < 9 ? kCodes[request] : kEnd;
    int top = PopupScrollTarget(code, s.top, s.linesPerPage, thumb);
    if (top >= 0)
        ScrollTo(s, top);
}

// A press in the grip square starts sizing with the mouse captured.
void StartDrag(PopupState& s, int x, int y)
{
    RECT r;
    GetWindowRect(s.frame, &r);
    s.startWidth = r.right - r.left;
    s.startHeight = r.bottom - r.top;
    POINT p{x, y};
    ClientToScreen(s.frame, &p);
    s.startX = p.x;
    s.startY = p.y;
    if (x >= s.width - s.barWidth && y >= s.height - s.barWidth) {
        s.sizing = true;
        SetCapture(s.frame);
    }
}

void Drag(PopupState& s, WPARAM keys, int x, int y)
{
    if (!s.sizing)
        return;
    if (!(keys & MK_LBUTTON)) {
        s.sizing = false;
        ReleaseCapture();
        return;
    }
    POINT at{x, y};
    ClientToScreen(s.frame, &at);
    int w = 0, h = 0;
    PopupDragSize(s.startWidth, s.startHeight, at.x - s.startX, at.y - s.startY, s.barWidth, &w, &h);
    SetWindowPos(s.frame, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(s.frame, nullptr, TRUE);
}

void EndDrag(PopupState& s)
{
    if (!s.sizing)
        return;
    s.sizing = false;
    ReleaseCapture();
    RedrawWindow(s.frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Wheel(PopupState& s, int delta)
{
    if (int lines = PopupWheelLines(delta))
        ScrollTo(s, s.top - lines);
}

// The list box's messages pass through, 0x017E and 0x017F as its add and
// insert; a text the popup owns is freed once the list box has copied it.
LRESULT ForwardToList(PopupState& s, UINT message, WPARAM wParam, LPARAM lParam)
{
    UINT forwarded = message == kPopupAddString ? LB_ADDSTRING : message == kPopupInsertString ? LB_INSERTSTRING
                                                                                               : message;
    LRESULT answer = SendMessageA(s.list, forwarded, wParam & 0x8000FFFF, lParam);
    if (OwnsText(message, wParam, lParam))
        free(reinterpret_cast<void*>(lParam));
    if (forwarded == LB_ADDSTRING || forwarded == LB_INSERTSTRING || forwarded == LB_DELETESTRING ||
        forwarded == LB_RESETCONTENT || forwarded == LB_SETCURSEL)
        PopupListUpdateScroll(s.frame);
    return answer;
}

// One message to the frame on its way through the table.
using PopupMessage = RoutedMessage;

using Rows = RouteRows<PopupState, PopupMessage>;
constexpr Rows::Row kPopupRows[] = {
    Rows::On(WM_ACTIVATE).Constant<0>(),
    Rows::On(WM_MOUSEACTIVATE).Constant<MA_NOACTIVATE>(),
    Rows::On(WM_SIZE).ActThenPass<Resized, LParamLow, LParamHigh>(),
    Rows::On(WM_ERASEBKGND).Constant<1>(),  // the children cover all but the grip, which WM_PAINT draws
    Rows::On(WM_SETCURSOR).Answer<ShowSizingCursor>(),
    Rows::On(WM_DESTROY).Act<Destroy>(),
    Rows::On(WM_PAINT).Act<PaintGrip, WParamAs<HDC>>(),
    Rows::On(WM_COMMAND).May<ListCommand, WParamLow, WParamHigh>(),
    Rows::On(WM_VSCROLL).Act<Scroll, WParamLow, WParamHigh>(),
    Rows::On(WM_LBUTTONDOWN).Act<StartDrag, LParamX, LParamY>(),
    Rows::On(WM_MOUSEMOVE).Act<Drag, WParamAs<WPARAM>, LParamX, LParamY>(),
    Rows::On(WM_LBUTTONUP).Act<EndDrag>(),
    Rows::On(WM_MOUSEWHEEL).Act<Wheel, WheelDelta>(),
    Rows::On(kPopupAddString, LB_GETLISTBOXINFO).Answer<ForwardToList, MessageId, WParamAs<WPARAM>, LParamAs<LPARAM>>(),
};
constexpr auto kPopupRoutes = SortRoutes(kPopupRows);
static_assert(RoutesDisjoint(kPopupRoutes), "a message has two rows");

LRESULT CALLBACK PopupListFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    PopupState* s = State(frame);
    const Rows::Row* route = s ? FindRoute(kPopupRoutes, message) : nullptr;
    PopupMessage m{message, wParam, lParam, 0};
    // WM_DESTROY's row frees the state: after a row only m is read.
    if (!route || !route->handler(*s, m))
        return DefWindowProcA(frame, message, wParam, lParam);
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
    s->frame = frame;
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
