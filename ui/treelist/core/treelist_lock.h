// The control's lock: a critical section, re-entrant for the owning thread
// (the window procedure may be entered again from a message the control
// sends itself while holding it).
#pragma once

#ifdef _WIN32
#include "platform/win32/win.h"

class TreeListLock {
public:
    TreeListLock() { InitializeCriticalSection(&m_section); }
    ~TreeListLock() { DeleteCriticalSection(&m_section); }
    TreeListLock(const TreeListLock&) = delete;
    TreeListLock& operator=(const TreeListLock&) = delete;
    void Lock() { EnterCriticalSection(&m_section); }
    void Unlock() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};
#else
#include <mutex>

class TreeListLock {
public:
    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};
#endif
