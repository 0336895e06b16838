#include "tests/winharness/message_hook.h"

#include <algorithm>

namespace winharness {

namespace {

// The hooks of this thread, oldest first, and the system hook that serves
// them while there are any.
thread_local std::vector<MessageHook*> t_hooks;
thread_local HHOOK t_systemHook = nullptr;

}  // namespace

MessageHook::MessageHook(std::function<void(MSG&)> see) : m_see(std::move(see))
{
    if (t_hooks.empty())
        t_systemHook = SetWindowsHookExA(WH_GETMESSAGE, &Hook, nullptr, GetCurrentThreadId());
    t_hooks.push_back(this);
}

MessageHook::~MessageHook()
{
    t_hooks.erase(std::remove(t_hooks.begin(), t_hooks.end(), this), t_hooks.end());
    if (t_hooks.empty() && t_systemHook) {
        UnhookWindowsHookEx(t_systemHook);
        t_systemHook = nullptr;
    }
}

LRESULT CALLBACK MessageHook::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        MSG& msg = *reinterpret_cast<MSG*>(lParam);
        const std::vector<MessageHook*> hooks = t_hooks;  // copied: a `see` may make another
        for (auto hook = hooks.rbegin(); hook != hooks.rend(); ++hook)
            (*hook)->m_see(msg);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

Swallow::Swallow(std::vector<UINT> messages)
    : m_hook([messages = std::move(messages)](MSG& msg) {
          if (std::find(messages.begin(), messages.end(), msg.message) != messages.end())
              msg.message = WM_NULL;
      })
{
}

InputLog::InputLog()
    : m_hook([this](MSG& msg) {
          if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP)
              m_taken.push_back({WM_KEYUP, msg.wParam});
          else if (msg.message == WM_LBUTTONUP)
              m_taken.push_back({WM_LBUTTONUP, 0});
      })
{
}

int InputLog::Count(UINT endMessage, WPARAM endKey) const
{
    int count = 0;
    for (const Taken& taken : m_taken)
        count += taken.message == endMessage && taken.key == endKey;
    return count;
}

}  // namespace winharness
