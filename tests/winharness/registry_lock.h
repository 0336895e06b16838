// Test cases run in parallel, each in its own process, against the one
// registry of the Wine prefix. Cases that write a key other cases also use
// hold this lock for their whole run, so one case's clean-up never deletes
// what another is reading.
#pragma once

#include <windows.h>

namespace winharness {

class RegistryLock {
public:
    RegistryLock() : m_mutex(CreateMutexA(nullptr, FALSE, "LindarTestRegistry"))
    {
        if (m_mutex)
            WaitForSingleObject(m_mutex, 60000);  // an abandoned lock is owned too
    }
    ~RegistryLock()
    {
        if (m_mutex) {
            ReleaseMutex(m_mutex);
            CloseHandle(m_mutex);
        }
    }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;

private:
    HANDLE m_mutex;
};

}  // namespace winharness
