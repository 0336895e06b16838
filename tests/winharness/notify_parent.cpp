#include "tests/winharness/notify_parent.h"

#include <algorithm>

namespace winharness {

namespace {

const char kClassName[] = "LindarTestParent";
// The object sits in the window's extra bytes: its user data word stays free
// for code under test.
constexpr int kObjectSlot = 0;

void RegisterOnce()
{
    static const bool registered = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &DefWindowProcA;  // replaced per window below
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        wc.cbWndExtra = sizeof(void*);
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

NotifyParent::NotifyParent(int clientWidth, int clientHeight, bool visible)
{
    RegisterOnce();
    RECT frame = {0, 0, clientWidth, clientHeight};
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    AdjustWindowRect(&frame, style, FALSE);
    m_hWnd = CreateWindowExA(0, kClassName, "Test parent", style, 0, 0, frame.right - frame.left,
                             frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(m_hWnd, kObjectSlot, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WndProc));
    if (visible) {
        ShowWindow(m_hWnd, SW_SHOWNORMAL);
        UpdateWindow(m_hWnd);
    }
}

NotifyParent::~NotifyParent()
{
    if (IsWindow(m_hWnd)) {
        SetWindowLongPtrA(m_hWnd, kObjectSlot, 0);
        DestroyWindow(m_hWnd);
    }
}

std::vector<int> NotifyParent::Codes() const
{
    std::vector<int> codes;
    for (const LoggedMessage& entry : m_log)
        codes.push_back(entry.code);
    return codes;
}

LRESULT CALLBACK NotifyParent::WndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    NotifyParent* self = reinterpret_cast<NotifyParent*>(GetWindowLongPtrA(wnd, kObjectSlot));
    if (self) {
        if (message == WM_NOTIFY && lParam)
            return self->OnNotify(reinterpret_cast<NMHDR*>(lParam));
        if (message == WM_COMMAND)
            return self->OnCommand(wParam, lParam);
    }
    return DefWindowProcA(wnd, message, wParam, lParam);
}

LRESULT NotifyParent::OnNotify(NMHDR* header)
{
    LoggedMessage entry = {};
    entry.message = WM_NOTIFY;
    entry.id = UINT(header->idFrom);
    entry.code = int(header->code);
    entry.from = header->hwndFrom;
    auto size = m_recordSizes.find(entry.code);
    const size_t bytes = size == m_recordSizes.end() ? sizeof(NMHDR) : std::max(size->second, sizeof(NMHDR));
    const uint8_t* first = reinterpret_cast<const uint8_t*>(header);
    entry.record.assign(first, first + bytes);
    auto copier = m_copiers.find(entry.code);
    if (copier != m_copiers.end())
        copier->second(header, entry);
    // Logged before answering: an answer may cause nested notifications.
    const size_t index = m_log.size();
    m_log.push_back(std::move(entry));
    auto answer = m_answers.find(int(header->code));
    const LRESULT result = answer == m_answers.end() ? 0 : answer->second(header);
    m_log[index].answer = result;
    return result;
}

LRESULT NotifyParent::OnCommand(WPARAM wParam, LPARAM lParam)
{
    LoggedMessage entry = {};
    entry.message = WM_COMMAND;
    entry.id = LOWORD(wParam);
    entry.code = int(HIWORD(wParam));
    entry.from = reinterpret_cast<HWND>(lParam);
    const size_t index = m_log.size();
    m_log.push_back(entry);
    const LRESULT result = m_commandAnswer ? m_commandAnswer(entry.id, entry.code, entry.from) : 0;
    m_log[index].answer = result;
    return result;
}

}  // namespace winharness
