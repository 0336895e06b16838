#include "platform/framework/wnd.h"

#include "platform/framework/creation_hook.h"
#include "platform/framework/handle_map.h"

namespace {

// The message being dispatched on this thread, for Default.
struct CurrentMessage {
    HWND wnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
thread_local CurrentMessage t_current{};

// What a window procedure answers when a handler threw: creation fails,
// everything else is treated as handled with nothing to report.
LRESULT FailureResult(UINT message)
{
    if (message == WM_CREATE)
        return -1;
    return 0;  // WM_NCCREATE: FALSE stops the creation too
}

}  // namespace

LRESULT CALLBACK LindarWndProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = framework_detail::BoundObject(handle);
    if (!wnd)
        return DefWindowProcA(handle, message, wParam, lParam);
    const CurrentMessage saved = t_current;
    t_current = CurrentMessage{handle, message, wParam, lParam};
    LRESULT result;
    // No exception may cross into the system's message code.
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        result = FailureResult(message);
    }
    t_current = saved;
    if (message == WM_NCDESTROY && wnd->m_hWnd == handle) {
        framework_detail::UnbindWindow(wnd);
        wnd->PostNcDestroy();
    }
    return result;
}

const MessageMapEntry* FindMessageEntry(const MessageMapEntry* entries, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (const MessageMapEntry* entry = entries; entry->thunk; ++entry) {
        if (message < entry->message || message > entry->lastMessage)
            continue;
        if (message == WM_COMMAND) {
            const UINT id = LOWORD(wParam);
            if (entry->code == HIWORD(wParam) && id >= entry->firstId && id <= entry->lastId)
                return entry;
        } else if (message == WM_NOTIFY) {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header && entry->code == header->code && header->idFrom >= entry->firstId &&
                header->idFrom <= entry->lastId)
                return entry;
        } else {
            return entry;
        }
    }
    return nullptr;
}

namespace framework_detail {

CWnd* WndFromHandle(HWND wnd)
{
    return CWnd::FromHandle(wnd);
}

}  // namespace framework_detail

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_hWnd && framework_detail::BoundObject(m_hWnd) == this) {
        // Fails for a window of another thread; the binding goes anyway so
        // no message reaches a dead object.
        const HWND handle = m_hWnd;
        ::DestroyWindow(handle);
        if (m_hWnd == handle)
            framework_detail::UnbindWindow(this);
    }
}

CWnd* CWnd::FromHandle(HWND wnd)
{
    if (!wnd)
        return nullptr;
    if (CWnd* bound = framework_detail::BoundObject(wnd))
        return bound;
    return framework_detail::WrapperFor(wnd);
}

CWnd* CWnd::FromHandlePermanent(HWND wnd)
{
    return wnd ? framework_detail::BoundObject(wnd) : nullptr;
}

bool CWnd::Attach(HWND wnd)
{
    if (m_hWnd || !wnd || !framework_detail::BindHandle(wnd, this))
        return false;
    m_hWnd = wnd;
    return true;
}

HWND CWnd::Detach()
{
    const HWND handle = m_hWnd;
    if (handle)
        framework_detail::UnbindHandle(handle, this);
    m_hWnd = nullptr;
    return handle;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA&)
{
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId, void* param)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTA cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = LONG(style);
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = menuOrId;
    cs.hInstance = GetModuleHandleA(nullptr);
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs))
        return FALSE;
    HWND handle;
    {
        framework_detail::CreationHook hook(this, cs.lpszClass, cs.hwndParent);
        handle = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, DWORD(cs.style), cs.x, cs.y, cs.cx, cs.cy,
                                 cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    }
    // A window the hook missed is still bound, only later.
    if (handle && !m_hWnd)
        SubclassWindow(handle);
    return handle != nullptr;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, void* param)
{
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

BOOL CWnd::SubclassWindow(HWND wnd)
{
    if (m_hWnd || !wnd || !IsWindow(wnd))
        return FALSE;
    return framework_detail::BindWindow(this, wnd) ? TRUE : FALSE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    if (!parent || !parent->m_hWnd)
        return FALSE;
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, int(id)));
}

HWND CWnd::UnsubclassWindow()
{
    const HWND handle = m_hWnd;
    framework_detail::UnbindWindow(this);
    return handle;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *result = 0;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        LRESULT answer = 0;
        if (!OnNotify(wParam, lParam, &answer))
            return FALSE;
        *result = answer;
        return TRUE;
    }
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        const MessageMapEntry* entry = FindMessageEntry(map->entries, message, wParam, lParam);
        if (entry && entry->thunk(this, message, wParam, lParam, *result))
            return TRUE;
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    LRESULT ignored = 0;
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        const MessageMapEntry* entry = FindMessageEntry(map->entries, WM_COMMAND, wParam, lParam);
        if (entry && entry->thunk(this, WM_COMMAND, wParam, lParam, ignored))
            return TRUE;
    }
    return FALSE;
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        const MessageMapEntry* entry = FindMessageEntry(map->entries, WM_NOTIFY, wParam, lParam);
        if (entry && entry->thunk(this, WM_NOTIFY, wParam, lParam, *result))
            return TRUE;
    }
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::Default()
{
    // Only meaningful while this window's message is being dispatched.
    if (!m_hWnd || t_current.wnd != m_hWnd)
        return 0;
    return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam);
}

BOOL CWnd::HasCommandEntry(UINT id) const
{
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr)
        if (FindMessageEntry(map->entries, WM_COMMAND, MAKEWPARAM(id, 0), 0))
            return TRUE;
    return FALSE;
}

const MessageMap* CWnd::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = {{0, 0, 0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

const MessageMap* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}
