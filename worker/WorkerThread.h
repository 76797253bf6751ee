// A background thread that runs an overridable step in a loop until it is stopped, with a pause
// that keeps the loop waiting without calling the step. One thread at a time per object; the
// thread object is kept after the thread ends, until Stop with waiting releases it.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/Handle.h"
#include "framework/Thread.h"

class CWorkerThread {
public:
    CWorkerThread();
    virtual ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Refused while a thread object is held (running or ended but not yet stopped). interval is
    // the loop's wait on the stop event between passes, priority a THREAD_PRIORITY_* value.
    bool Start(bool startPaused, DWORD interval, int priority);
    // Asks the loop to end; unless noWait, waits for the thread and releases its object.
    void Stop(bool noWait);
    void RequestStop();
    void SetPause(bool pause);
    bool IsPaused() const;

protected:
    // All three run on the worker thread.
    virtual void OnThreadStart() {}
    virtual bool OnThreadStep() { return true; } // false ends the loop
    virtual void OnThreadEnd() {}                // also when no step ran

private:
    static unsigned __stdcall WorkerThreadProc(void* param);
    void RunLoop();
    // True when the stop event became signalled within the interval.
    bool WaitForStop() const;

    std::unique_ptr<CThread> m_pThread;
    CKernelHandle m_hStopEvent;
    CKernelHandle m_hPauseEvent;
    DWORD m_dwInterval = 50;
};
