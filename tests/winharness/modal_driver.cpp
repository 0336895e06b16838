#include "tests/winharness/modal_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace winharness {

namespace {

constexpr UINT kTickMs = 20;
// The thread watchdog waits this long past the timer watchdog before it
// closes dialogs from outside, and as long again before ending the process.
constexpr DWORD kGraceMs = 5000;
constexpr int kExitHung = 3;
constexpr char kDialogClass[] = "#32770";

thread_local ModalDriver* t_driver = nullptr;

bool IsDialog(HWND wnd)
{
    char name[16] = {};
    GetClassNameA(wnd, name, sizeof name);
    return lstrcmpA(name, kDialogClass) == 0;
}

}  // namespace

ModalDriver::ModalDriver(DWORD watchdogMs) : m_watchdogMs(watchdogMs) {}

ModalDriver::~ModalDriver() = default;

ModalDriver& ModalDriver::Then(Step step)
{
    m_steps.push_back(std::move(step));
    return *this;
}

std::vector<HWND> ModalDriver::Dialogs() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_dialogs;
}

HWND ModalDriver::TopDialog() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto it = m_dialogs.rbegin(); it != m_dialogs.rend(); ++it)
        if (IsWindow(*it))
            return *it;
    return nullptr;
}

bool ModalDriver::Post(int commandId) const
{
    const HWND dialog = TopDialog();
    return dialog && PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(commandId, BN_CLICKED), 0);
}

LRESULT CALLBACK ModalDriver::CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    ModalDriver* driver = t_driver;
    if (code == HCBT_CREATEWND && driver) {
        // The class is set by now; dialogs are recorded as they are made.
        const HWND wnd = reinterpret_cast<HWND>(wParam);
        if (IsDialog(wnd)) {
            std::lock_guard<std::mutex> hold(driver->m_lock);
            driver->m_dialogs.push_back(wnd);
        }
    }
    return CallNextHookEx(driver ? driver->m_hook : nullptr, code, wParam, lParam);
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (t_driver)
        t_driver->OnTick();
}

void ModalDriver::CloseAll()
{
    for (HWND dialog : Dialogs()) {
        if (!IsWindow(dialog))
            continue;
        EndDialog(dialog, IDCANCEL);  // modal dialogs; harmless for others
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
}

void ModalDriver::OnTick()
{
    if (!m_timedOut && GetTickCount() - m_start >= m_watchdogMs) {
        m_timedOut = true;
        std::fprintf(stderr, "ModalDriver: watchdog after %lu ms, closing %u dialog(s)\n",
                     static_cast<unsigned long>(m_watchdogMs), static_cast<unsigned>(Dialogs().size()));
    }
    if (m_timedOut) {
        CloseAll();
        return;
    }
    // A step that opened a nested modal loop is still running; the nested
    // loop's ticks only watch the time.
    if (m_inStep)
        return;
    while (m_next < m_steps.size()) {
        m_inStep = true;
        const bool done = m_steps[m_next](*this);
        m_inStep = false;
        if (!done)
            break;
        ++m_next;
    }
}

bool ModalDriver::WaitFinished(DWORD milliseconds)
{
    std::unique_lock<std::mutex> hold(m_finishLock);
    return m_finishedSignal.wait_for(hold, std::chrono::milliseconds(milliseconds), [this] { return m_finished; });
}

void ModalDriver::WatchdogThread()
{
    if (WaitFinished(m_watchdogMs + kGraceMs))
        return;
    // The thread is not pumping: close from outside, then give up on it.
    m_timedOut = true;
    std::fprintf(stderr, "ModalDriver: thread not pumping, closing dialogs from the watchdog thread\n");
    for (HWND dialog : Dialogs()) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
    if (!WaitFinished(kGraceMs)) {
        std::fprintf(stderr, "ModalDriver: modal loop hung; ending the test process\n");
        std::fflush(stderr);
        ExitProcess(kExitHung);
    }
}

void ModalDriver::Run(const std::function<void()>& modalCall)
{
    ModalDriver* const outer = t_driver;
    t_driver = this;
    m_start = GetTickCount();
    m_timedOut = false;
    m_finished = false;  // no watchdog runs yet
    m_hook = SetWindowsHookExA(WH_CBT, &CbtHook, nullptr, GetCurrentThreadId());
    m_timer = SetTimer(nullptr, 0, kTickMs, &Tick);
    std::thread watchdog(&ModalDriver::WatchdogThread, this);
    modalCall();
    {
        std::lock_guard<std::mutex> hold(m_finishLock);
        m_finished = true;
    }
    m_finishedSignal.notify_all();
    watchdog.join();
    KillTimer(nullptr, m_timer);
    UnhookWindowsHookEx(m_hook);
    m_hook = nullptr;
    t_driver = outer;
    if (m_timedOut)
        ADD_FAILURE() << "the modal steps did not finish within " << m_watchdogMs << " ms";
    else
        EXPECT_EQ(m_next, m_steps.size()) << "steps left when the modal loop ended";
}

}  // namespace winharness
