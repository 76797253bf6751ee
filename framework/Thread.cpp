#include "framework/Thread.h"

#include <process.h>

bool CThread::CreateSuspended(Proc proc, void* param, int priority) {
    m_hThread.Reset();
    m_dwId = 0;
    unsigned id = 0;
    // _beginthreadex rather than CreateThread: the thread uses the C runtime.
    uintptr_t h = ::_beginthreadex(nullptr, 0, proc, param, CREATE_SUSPENDED, &id);
    if (h == 0)
        return false;
    m_hThread.Reset(reinterpret_cast<HANDLE>(h));
    // The priority is a hint: a thread that cannot get it still runs, at the normal one.
    ::SetThreadPriority(m_hThread.Get(), priority);
    m_dwId = id;
    return true;
}

bool CThread::Resume() {
    return m_hThread.IsValid() && ::ResumeThread(m_hThread.Get()) != static_cast<DWORD>(-1);
}

DWORD CThread::Wait(DWORD milliseconds) const {
    return ::WaitForSingleObject(m_hThread.Get(), milliseconds);
}
