// Worker threads: AfxBeginThread starts a function on a thread of its own
// with a priority and a stack size and hands back the thread's object, which
// the caller owns. The object keeps the thread handle open, so the owner can
// wait for the thread's end even after it has ended. The libraries' own
// workers run on CWorker (worker.h), which adds the wake-up, the flags and
// the join.
#pragma once

#include "platform/win32/win.h"

typedef UINT (*AFX_THREADPROC)(void* param);

class CWinThread {
public:
    CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    // Closes the handle; does not wait.
    ~CWinThread();

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;

    // True when the thread has ended within the timeout (milliseconds).
    bool Wait(DWORD timeout = INFINITE) const;
};

// Null when the thread could not be started.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0);
