#include "ui/filedlg/popup_list.h"

#include "system/shell_icons.h"
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

LRESULT CALLBACK PopupListFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    PopupState* s = State(frame);
    if (!s)
        return DefWindowProcA(frame, message, wParam, lParam);
    switch (message) {
    case WM_ACTIVATE:
    case WM_MOUSEACTIVATE:
        return message == WM_MOUSEACTIVATE ? MA_NOACTIVATE : 0;
    case WM_SIZE:
        s->width = LOWORD(lParam);
        s->height = HIWORD(lParam);
        Layout(frame, s);
        break;
    case WM_ERASEBKGND:
        return 1;  // the children cover all but the grip, which WM_PAINT draws
    case WM_SETCURSOR:
        SetCursor(LoadCursor(nullptr, IDC_SIZENWSE));
        return TRUE;
    case WM_DESTROY:
        if (s->sizing)
            ReleaseCapture();
        DiscardPopupMessages(frame);
        SetWindowLongPtrA(frame, GWLP_USERDATA, 0);
        delete s;
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = wParam ? reinterpret_cast<HDC>(wParam) : BeginPaint(frame, &ps);
        RECT grip{s->width - s->barWidth, s->height - s->barWidth, s->width, s->height};
        DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP | DFCS_MONO);
        if (!wParam)
            EndPaint(frame, &ps);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kPopupListId) {
            if (HIWORD(wParam) == LBN_SELCHANGE) {
                int top = int(SendMessageA(s->list, LB_GETTOPINDEX, 0, 0));
                if (top != s->top) {
                    s->top = top;
                    SetScrollPos(s->bar, SB_CTL, top, TRUE);
                }
            }
            SendMessageA(GetParent(frame), WM_COMMAND, MAKEWPARAM(s->id, HIWORD(wParam)),
                         reinterpret_cast<LPARAM>(frame));
            return 0;
        }
        break;
    case WM_VSCROLL: {
        static const int kCodes[] = {kLineUp, kLineDown, kPageUp, kPageDown, kThumbPosition, kThumbTrack, kTop,
                                     kBottom, kEnd};
        int code = LOWORD(wParam) < 9 ? kCodes[LOWORD(wParam)] : kEnd;
        int top = PopupScrollTarget(code, s->top, s->linesPerPage, HIWORD(wParam));
        if (top >= 0)
            ScrollTo(frame, s, top);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        RECT r;
        GetWindowRect(frame, &r);
        POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
        s->startWidth = r.right - r.left;
        s->startHeight = r.bottom - r.top;
        ClientToScreen(frame, &p);
        s->startX = p.x;
        s->startY = p.y;
        if (short(LOWORD(lParam)) >= s->width - s->barWidth && short(HIWORD(lParam)) >= s->height - s->barWidth) {
            s->sizing = true;
            SetCapture(frame);
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (s->sizing) {
            if (!(wParam & MK_LBUTTON)) {
                s->sizing = false;
                ReleaseCapture();
                return 0;
            }
            POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
            ClientToScreen(frame, &p);
            int w = 0, h = 0;
            PopupDragSize(s->startWidth, s->startHeight, p.x - s->startX, p.y - s->startY, s->barWidth, &w, &h);
            SetWindowPos(frame, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            InvalidateRect(frame, nullptr, TRUE);
        }
        return 0;
    case WM_LBUTTONUP:
        if (s->sizing) {
            s->sizing = false;
            ReleaseCapture();
            RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        }
        return 0;
    case WM_MOUSEWHEEL: {
        int lines = PopupWheelLines(short(HIWORD(wParam)));
        if (lines)
            ScrollTo(frame, s, s->top - lines);
        return 0;
    }
    default:
        if (message >= kPopupAddString && message <= LB_GETLISTBOXINFO) {
            UINT forwarded = message == kPopupAddString      ? LB_ADDSTRING
                             : message == kPopupInsertString ? LB_INSERTSTRING
                                                             : message;
            LRESULT answer = SendMessageA(s->list, forwarded, wParam & 0x8000FFFF, lParam);
            if (OwnsText(message, wParam, lParam))
                free(reinterpret_cast<void*>(lParam));
            if (forwarded == LB_ADDSTRING || forwarded == LB_INSERTSTRING || forwarded == LB_DELETESTRING ||
                forwarded == LB_RESETCONTENT || forwarded == LB_SETCURSEL)
                PopupListUpdateScroll(frame);
            return answer;
        }
        break;
    }
    return DefWindowProcA(frame, message, wParam, lParam);
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
