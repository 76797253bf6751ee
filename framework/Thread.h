// A thread that is created suspended, so its owner can finish setting up before it runs, and whose
// handle outlives the thread, so the owner can wait for its end at any time. Movable, not copyable;
// destroying the object closes the handle but neither waits for nor ends the thread.
#pragma once

#include <windows.h>

#include "framework/Handle.h"

class CThread {
public:
    using Proc = unsigned(__stdcall*)(void* param);

    CThread() = default;
    CThread(CThread&&) noexcept = default;
    CThread& operator=(CThread&&) noexcept = default;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Creates the thread suspended with the given priority (a THREAD_PRIORITY_* value) and the
    // default stack size. False when the thread could not be made; the object then holds none.
    bool CreateSuspended(Proc proc, void* param, int priority);

    // Lets a suspended thread run; false when it could not be resumed.
    bool Resume();

    // WaitForSingleObject on the thread handle.
    DWORD Wait(DWORD milliseconds) const;

    HANDLE Handle() const { return m_hThread.Get(); }
    DWORD Id() const { return m_dwId; }
    bool IsValid() const { return m_hThread.IsValid(); }

private:
    CKernelHandle m_hThread;
    DWORD m_dwId = 0;
};
