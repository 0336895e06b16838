// Running this thread's message queue from a test.
#pragma once

#include <functional>

#include "platform/win32/win.h"

namespace winharness {

// Dispatches queued messages (sent, posted, paints) until none is left, or
// until the time bound passes (a window that keeps invalidating itself).
// Returns the number of messages dispatched.
int PumpUntilIdle(DWORD maxMilliseconds = 2000);

// Pumps, waiting for messages, until the condition holds or the timeout
// passes; true when it holds.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMilliseconds = 5000);

}  // namespace winharness
