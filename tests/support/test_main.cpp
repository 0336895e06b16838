// The tests' main: GoogleTest's, plus, on Windows, a wait at the end for the
// threads that are still starting.
//
// Wine kills the other threads of a process that ends with a signal, and a
// thread that gets it while Wine is still setting it up dies by SIGSEGV,
// taking the process with it after every test has passed. GoogleTest starts
// such a thread itself (a watcher, the first time a thread uses its
// thread-local state: a SCOPED_TRACE, a failure), and a test that takes a
// millisecond ends while the watcher starts. So main returns only once every
// thread of the process has reached its start routine, or after a bound.
#include "tests/support/test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>

namespace {

// Ids of the threads past their start-up (0 = a free slot). A thread enters
// when the loader tells it is attached, before its start routine runs, and
// leaves when it ends, so an id that comes again is not taken for started.
constexpr int kSlots = 512;
std::atomic<DWORD> g_started[kSlots];

void SetStarted(DWORD from, DWORD to)
{
    for (std::atomic<DWORD>& slot : g_started) {
        DWORD expected = from;
        if (slot.compare_exchange_strong(expected, to))
            return;
    }
}

bool IsStarted(DWORD id)
{
    for (const std::atomic<DWORD>& slot : g_started)
        if (slot.load() == id)
            return true;
    return false;
}

void NTAPI OnThreadEvent(PVOID, DWORD reason, PVOID)
{
    if (reason == DLL_THREAD_ATTACH)
        SetStarted(0, GetCurrentThreadId());
    else if (reason == DLL_THREAD_DETACH)
        SetStarted(GetCurrentThreadId(), 0);
}

}  // namespace

// The loader calls the executable's TLS callbacks on every thread's attach
// and detach.
extern "C" __attribute__((section(".CRT$XLY"), used)) const PIMAGE_TLS_CALLBACK lindar_test_thread_event =
    OnThreadEvent;

bool lindar_test::AllThreadsStarted()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return true;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool all = true;
    for (BOOL more = Thread32First(snapshot, &entry); more && all; more = Thread32Next(snapshot, &entry))
        all = entry.th32OwnerProcessID != GetCurrentProcessId() || entry.th32ThreadID == GetCurrentThreadId() ||
              IsStarted(entry.th32ThreadID);
    CloseHandle(snapshot);
    return all;
}

#endif

int main(int argc, char** argv)
{
    testing::InitGoogleMock(&argc, argv);
    const int result = RUN_ALL_TESTS();
#ifdef _WIN32
    if (!lindar_test::Eventually(lindar_test::AllThreadsStarted, 2000))
        std::fprintf(stderr, "test main: a thread still had not started after 2 s\n");
#endif
    return result;
}
