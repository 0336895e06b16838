#include "tests/winharness/message_pump.h"

namespace winharness {

namespace {

constexpr DWORD kWaitSliceMs = 10;

// Dispatches until the queue is empty or the deadline passes: another thread
// may post as fast as this one dispatches.
int DispatchPending(DWORD start, DWORD limit)
{
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        ++count;
        if (GetTickCount() - start >= limit)
            break;
    }
    return count;
}

}  // namespace

int PumpUntilIdle(DWORD maxMilliseconds)
{
    const DWORD start = GetTickCount();
    int total = 0;
    for (;;) {
        const int dispatched = DispatchPending(start, maxMilliseconds);
        total += dispatched;
        // PeekMessage also synthesises WM_PAINT, so an empty round with
        // nothing in the queue's status is idle.
        if (dispatched == 0 && GetQueueStatus(QS_ALLINPUT) == 0)
            return total;
        if (GetTickCount() - start >= maxMilliseconds)
            return total;
    }
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMilliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        DispatchPending(start, timeoutMilliseconds);
        if (condition())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMilliseconds)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kWaitSliceMs, QS_ALLINPUT);
    }
}

}  // namespace winharness
