// Drives code that runs a modal loop (a dialog, a message box) from inside
// that loop. A thread-local CBT hook records the dialogs as they are made; a
// thread timer runs the test's steps in order from within the modal loop;
// a watchdog closes every recorded dialog and fails the test when the steps
// do not finish in time, so a stuck dialog never hangs a run.
//
//   ModalDriver driver;
//   driver.Then([](ModalDriver& d) { return d.TopDialog() != nullptr; })
//         .Then([](ModalDriver& d) { d.Post(IDOK); return true; });
//   driver.Run([] { MessageBoxA(nullptr, "x", "y", MB_OKCANCEL); });
//
// A step that makes a further modal loop must post, not send: steps do not
// run while another step is still running.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/win32/win.h"

namespace winharness {

class ModalDriver {
public:
    // A step answers true when done, false to be retried at the next tick.
    typedef std::function<bool(ModalDriver&)> Step;

    // After watchdogMs the recorded dialogs are closed and the test fails;
    // if the thread does not come back to its message loop the process
    // ends after a further grace period.
    explicit ModalDriver(DWORD watchdogMs = 5000);
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;
    ~ModalDriver();

    ModalDriver& Then(Step step);
    // Runs the call with the hook, the timer and the watchdog in place.
    // Fails the test when the watchdog fired or steps were left over.
    void Run(const std::function<void()>& modalCall);

    // Dialogs made since Run began, oldest first (handles may be dead).
    std::vector<HWND> Dialogs() const;
    // The newest recorded dialog that still exists, or null.
    HWND TopDialog() const;
    // Posts WM_COMMAND with the id (IDOK, IDCANCEL, a button) to the top
    // dialog; false when there is none.
    bool Post(int commandId) const;
    bool TimedOut() const { return m_timedOut; }

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick();
    void CloseAll();
    void WatchdogThread();
    // Waits until Run's call has returned or the time has passed; true when
    // it has returned.
    bool WaitFinished(DWORD milliseconds);

    DWORD m_watchdogMs;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    bool m_inStep = false;
    DWORD m_start = 0;
    std::atomic<bool> m_timedOut{false};
    std::mutex m_finishLock;
    std::condition_variable m_finishedSignal;
    bool m_finished = false;  // under m_finishLock
    mutable std::mutex m_lock;  // the dialog list is read by the watchdog thread
    std::vector<HWND> m_dialogs;
    HHOOK m_hook = nullptr;
    UINT_PTR m_timer = 0;
};

// Whether `top` has become the active window. Test programs run in parallel
// on one display, so another's window may hold the foreground: after a
// quarter of the limit the dialog is brought forward; after the whole limit
// (counted from `start`, a GetTickCount value) the caller goes on anyway and
// its checks tell. Keep the limit below the modal driver's watchdog.
inline bool Activated(HWND top, DWORD start, DWORD limitMs = 4000)
{
    if (GetActiveWindow() == top)
        return true;
    const DWORD waited = GetTickCount() - start;
    if (waited > limitMs / 4)
        SetForegroundWindow(top);
    return waited >= limitMs;
}

// Whether the dialog is shown and has become active as Activated tells, the
// limit counted from `since`: a GetTickCount value, or 0 to count from the
// first call that finds the dialog shown. Keys go to the active window's
// focus, so a step waits for this before it sends any.
inline bool ShownAndActive(HWND top, DWORD& since, DWORD limitMs = 4000)
{
    if (!top || !IsWindowVisible(top))
        return false;
    if (!since)
        since = GetTickCount();
    return Activated(top, since, limitMs);
}

}  // namespace winharness
