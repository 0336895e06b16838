// Looks at the messages this thread takes from its queue, before they are
// dispatched: a log of the input that ends a user's action, and a swallower
// of messages that a test wants lost.
#pragma once

#include <functional>
#include <vector>

#include "platform/win32/win.h"

namespace winharness {

// Calls `see` with every message this thread takes from its queue while the
// object lives; `see` may change the message (WM_NULL swallows it). One
// system hook serves all of a thread's objects, the newest sees first.
class MessageHook {
public:
    explicit MessageHook(std::function<void(MSG&)> see);
    ~MessageHook();
    MessageHook(const MessageHook&) = delete;
    MessageHook& operator=(const MessageHook&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    std::function<void(MSG&)> m_see;
};

// Eats the messages before they are dispatched: a release that another
// program took, moves that never came.
class Swallow {
public:
    explicit Swallow(std::vector<UINT> messages);

private:
    MessageHook m_hook;
};

// The messages that end a user's action, as this thread takes them: key
// releases (plain and system ones, both counted as WM_KEYUP) and the left
// button's release. Taken means handled: what the key or click did has
// happened by the time the next message is taken.
class InputLog {
public:
    InputLog();
    InputLog(const InputLog&) = delete;
    InputLog& operator=(const InputLog&) = delete;

    // How many of these were taken (endKey 0 for the button).
    int Count(UINT endMessage, WPARAM endKey) const;
    void Clear() { m_taken.clear(); }

private:
    struct Taken {
        UINT message;
        WPARAM key;
    };
    std::vector<Taken> m_taken;
    MessageHook m_hook;  // last: sees only once the log is ready
};

}  // namespace winharness
