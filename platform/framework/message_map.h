// Message maps: a class lists the messages it handles in a table, each entry
// naming a member handler through a thunk that decodes wParam and lParam. A
// class's table chains to its base class's table; the first matching entry
// from the most derived class wins, so a derived handler replaces the base
// one and calls it explicitly when it wants both.
//
//   class CMyWnd : public CWnd {
//       ...
//       void OnSize(UINT type, int cx, int cy);
//       DECLARE_MESSAGE_MAP()
//   };
//   BEGIN_MESSAGE_MAP(CMyWnd, CWnd)
//       ON_WM_SIZE()
//       ON_COMMAND(ID_OPEN, OnOpen)
//   END_MESSAGE_MAP()
#pragma once

#include "platform/win32/win.h"

class CWnd;
class CDC;

namespace framework_detail {

// Runs a handler; false when it declines (the message then goes on to the
// next entry or to default handling).
typedef bool (*MessageThunk)(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace framework_detail

struct MessageMapEntry {
    UINT message;      // first message the entry takes
    UINT lastMessage;  // last one (the same for a single message)
    UINT code;         // WM_COMMAND and WM_NOTIFY: the notification code
    UINT firstId;      // WM_COMMAND and WM_NOTIFY: the control or command id range
    UINT lastId;
    framework_detail::MessageThunk thunk;  // null ends the table
};

struct MessageMap {
    const MessageMap* (*base)();  // null for the root
    const MessageMapEntry* entries;
};

// The entry of a table that takes the message, or null. WM_COMMAND entries
// match code and id; WM_NOTIFY entries the NMHDR's code and idFrom.
const MessageMapEntry* FindMessageEntry(const MessageMapEntry* entries, UINT message, WPARAM wParam, LPARAM lParam);

namespace framework_detail {

template <class M>
struct MemberClass;
template <class C, class R, class... A>
struct MemberClass<R (C::*)(A...)> {
    using type = C;
};
template <auto F>
using ClassOf = typename MemberClass<decltype(F)>::type;

template <auto F>
ClassOf<F>* Self(CWnd* wnd)
{
    return static_cast<ClassOf<F>*>(wnd);
}

inline int LowSigned(LPARAM value)
{
    return int(short(LOWORD(value)));
}
inline int HighSigned(LPARAM value)
{
    return int(short(HIWORD(value)));
}
inline POINT PointOf(LPARAM value)
{
    return POINT{LONG(LowSigned(value)), LONG(HighSigned(value))};
}

// Window wrapper for a handle in a message (a scroll bar, the window under
// the cursor); null for a null handle.
CWnd* WndFromHandle(HWND wnd);

// Handler shapes, one thunk each.
template <auto F>
bool Void(CWnd* w, UINT, WPARAM, LPARAM, LRESULT& r)
{
    (Self<F>(w)->*F)();
    r = 0;
    return true;
}
template <auto F>
bool Size(CWnd* w, UINT, WPARAM wp, LPARAM lp, LRESULT& r)
{
    (Self<F>(w)->*F)(UINT(wp), int(LOWORD(lp)), int(HIWORD(lp)));
    r = 0;
    return true;
}
template <auto F>
bool Create(CWnd* w, UINT, WPARAM, LPARAM lp, LRESULT& r)
{
    r = LRESULT((Self<F>(w)->*F)(reinterpret_cast<CREATESTRUCTA*>(lp)));
    return true;
}
template <auto F>
bool Scroll(CWnd* w, UINT, WPARAM wp, LPARAM lp, LRESULT& r)
{
    (Self<F>(w)->*F)(UINT(LOWORD(wp)), UINT(HIWORD(wp)), WndFromHandle(reinterpret_cast<HWND>(lp)));
    r = 0;
    return true;
}
template <auto F>
bool SetCursor(CWnd* w, UINT, WPARAM wp, LPARAM lp, LRESULT& r)
{
    r = (Self<F>(w)->*F)(WndFromHandle(reinterpret_cast<HWND>(wp)), UINT(LOWORD(lp)), UINT(HIWORD(lp))) ? TRUE : FALSE;
    return true;
}
template <auto F>
bool MouseWheel(CWnd* w, UINT, WPARAM wp, LPARAM lp, LRESULT& r)
{
    r = (Self<F>(w)->*F)(UINT(LOWORD(wp)), short(HIWORD(wp)), PointOf(lp)) ? TRUE : FALSE;
    return true;
}
template <auto F>
bool Mouse(CWnd* w, UINT, WPARAM wp, LPARAM lp, LRESULT& r)
{
    (Self<F>(w)->*F)(UINT(wp), PointOf(lp));
    r = 0;
    return true;
}
template <auto F>
bool Timer(CWnd* w, UINT, WPARAM wp, LPARAM, LRESULT& r)
{
    (Self<F>(w)->*F)(UINT_PTR(wp));
    r = 0;
    return true;
}
template <auto F>
bool Message(CWnd* w, UINT, WPARAM wp, LPARAM lp, LRESULT& r)
{
    r = (Self<F>(w)->*F)(wp, lp);
    return true;
}
template <auto F>
bool MessageRange(CWnd* w, UINT message, WPARAM wp, LPARAM lp, LRESULT& r)
{
    r = (Self<F>(w)->*F)(message, wp, lp);
    return true;
}
template <auto F>
bool Notify(CWnd* w, UINT, WPARAM, LPARAM lp, LRESULT& r)
{
    r = 0;
    (Self<F>(w)->*F)(reinterpret_cast<NMHDR*>(lp), &r);
    return true;
}

}  // namespace framework_detail

#define DECLARE_MESSAGE_MAP()                           \
protected:                                              \
    static const MessageMap* GetThisMessageMap();       \
    const MessageMap* GetMessageMap() const override;   \
                                                        \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                               \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }        \
    const MessageMap* theClass::GetThisMessageMap()                                          \
    {                                                                                        \
        using ThisClass [[maybe_unused]] = theClass;                                         \
        using TheBaseClass = baseClass;                                                      \
        static const MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                      \
    {0, 0, 0, 0, 0, nullptr}                                                   \
    }                                                                          \
    ;                                                                          \
    static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                               \
    }

#define LINDAR_ON_MSG(msg, shape, handler) {msg, msg, 0, 0, 0, &framework_detail::shape<&ThisClass::handler>},

// void OnCreate(CREATESTRUCTA*) -> int (0 goes on, -1 fails the creation)
#define ON_WM_CREATE() LINDAR_ON_MSG(WM_CREATE, Create, OnCreate)
#define ON_WM_DESTROY() LINDAR_ON_MSG(WM_DESTROY, Void, OnDestroy)
#define ON_WM_CLOSE() LINDAR_ON_MSG(WM_CLOSE, Void, OnClose)
#define ON_WM_PAINT() LINDAR_ON_MSG(WM_PAINT, Void, OnPaint)
// void OnSize(UINT type, int cx, int cy)
#define ON_WM_SIZE() LINDAR_ON_MSG(WM_SIZE, Size, OnSize)
// void OnHScroll(UINT code, UINT position, CWnd* scrollBar); likewise OnVScroll
#define ON_WM_HSCROLL() LINDAR_ON_MSG(WM_HSCROLL, Scroll, OnHScroll)
#define ON_WM_VSCROLL() LINDAR_ON_MSG(WM_VSCROLL, Scroll, OnVScroll)
// BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message)
#define ON_WM_SETCURSOR() LINDAR_ON_MSG(WM_SETCURSOR, SetCursor, OnSetCursor)
// BOOL OnMouseWheel(UINT keys, short delta, POINT screenPoint)
#define ON_WM_MOUSEWHEEL() LINDAR_ON_MSG(WM_MOUSEWHEEL, MouseWheel, OnMouseWheel)
// void OnMouseMove(UINT keys, POINT point) and the button handlers alike
#define ON_WM_MOUSEMOVE() LINDAR_ON_MSG(WM_MOUSEMOVE, Mouse, OnMouseMove)
#define ON_WM_LBUTTONDOWN() LINDAR_ON_MSG(WM_LBUTTONDOWN, Mouse, OnLButtonDown)
#define ON_WM_LBUTTONUP() LINDAR_ON_MSG(WM_LBUTTONUP, Mouse, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() LINDAR_ON_MSG(WM_LBUTTONDBLCLK, Mouse, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() LINDAR_ON_MSG(WM_RBUTTONDOWN, Mouse, OnRButtonDown)
#define ON_WM_RBUTTONUP() LINDAR_ON_MSG(WM_RBUTTONUP, Mouse, OnRButtonUp)
// void OnTimer(UINT_PTR id)
#define ON_WM_TIMER() LINDAR_ON_MSG(WM_TIMER, Timer, OnTimer)
// LRESULT handler(WPARAM, LPARAM)
#define ON_MESSAGE(msg, handler) {UINT(msg), UINT(msg), 0, 0, 0, &framework_detail::Message<&ThisClass::handler>},
// LRESULT handler(UINT message, WPARAM, LPARAM) for every message of a range
#define ON_MESSAGE_RANGE(first, last, handler) \
    {UINT(first), UINT(last), 0, 0, 0, &framework_detail::MessageRange<&ThisClass::handler>},
// void handler() for WM_COMMAND with notification code 0 (menus, buttons,
// posted commands) and the given id
#define ON_COMMAND(id, handler) {WM_COMMAND, WM_COMMAND, 0, UINT(id), UINT(id), &framework_detail::Void<&ThisClass::handler>},
// void handler() for WM_COMMAND with the given code from the given control
#define ON_CONTROL(code, id, handler) \
    {WM_COMMAND, WM_COMMAND, UINT(code), UINT(id), UINT(id), &framework_detail::Void<&ThisClass::handler>},
// void handler(NMHDR*, LRESULT*) for WM_NOTIFY with the given code and id
#define ON_NOTIFY(code, id, handler) \
    {WM_NOTIFY, WM_NOTIFY, UINT(code), UINT(id), UINT(id), &framework_detail::Notify<&ThisClass::handler>},
