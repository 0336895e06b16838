#include "platform/framework/thread.h"

#include <process.h>

namespace {

struct Start {
    AFX_THREADPROC proc;
    void* param;
};

unsigned __stdcall ThreadEntry(void* raw)
{
    const Start start = *static_cast<Start*>(raw);
    delete static_cast<Start*>(raw);
    return start.proc(start.param);
}

}  // namespace

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

bool CWinThread::Wait(DWORD timeout) const
{
    return !m_hThread || WaitForSingleObject(m_hThread, timeout) == WAIT_OBJECT_0;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int priority, UINT stackSize)
{
    Start* start = new Start{proc, param};
    unsigned id = 0;
    // Suspended, so the priority holds from the first instruction.
    const uintptr_t handle = _beginthreadex(nullptr, stackSize, &ThreadEntry, start, CREATE_SUSPENDED, &id);
    if (!handle) {
        delete start;
        return nullptr;
    }
    CWinThread* thread = new CWinThread;
    thread->m_hThread = reinterpret_cast<HANDLE>(handle);
    thread->m_nThreadID = id;
    SetThreadPriority(thread->m_hThread, priority);
    ResumeThread(thread->m_hThread);
    return thread;
}
