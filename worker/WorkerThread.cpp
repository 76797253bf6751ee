#include "worker/WorkerThread.h"

CWorkerThread::CWorkerThread()
    : m_hStopEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_hPauseEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

CWorkerThread::~CWorkerThread() {
    Stop(false);
}

bool CWorkerThread::Start(bool startPaused, DWORD interval, int priority) {
    if (m_pThread)
        return false;
    // Without its events the loop could never be told to end.
    if (!m_hStopEvent || !m_hPauseEvent)
        return false;
    ::ResetEvent(m_hStopEvent.Get());
    ::ResetEvent(m_hPauseEvent.Get());
    m_dwInterval = interval;
    auto thread = std::make_unique<CThread>();
    if (!thread->CreateSuspended(&CWorkerThread::WorkerThreadProc, this, priority))
        return false;
    // Held from here on, so the handle outlives the thread and Stop can always wait on it.
    m_pThread = std::move(thread);
    if (startPaused)
        SetPause(true);
    if (!m_pThread->Resume()) {
        // A thread that never ran has nothing to clean up; end it so no one waits for it forever.
        ::TerminateThread(m_pThread->Handle(), 1);
        m_pThread->Wait(INFINITE);
        m_pThread.reset();
        return false;
    }
    return true;
}

void CWorkerThread::Stop(bool noWait) {
    if (!m_pThread)
        return;
    RequestStop();
    if (noWait)
        return;
    for (;;) {
        DWORD r = m_pThread->Wait(50);
        if (r == WAIT_OBJECT_0 || r == WAIT_FAILED)
            break;
    }
    m_pThread.reset();
}

void CWorkerThread::RequestStop() {
    ::SetEvent(m_hStopEvent.Get());
}

void CWorkerThread::SetPause(bool pause) {
    if (pause)
        ::SetEvent(m_hPauseEvent.Get());
    else
        ::ResetEvent(m_hPauseEvent.Get());
}

bool CWorkerThread::IsPaused() const {
    return ::WaitForSingleObject(m_hPauseEvent.Get(), 0) == WAIT_OBJECT_0;
}

bool CWorkerThread::WaitForStop() const {
    // Every result but signalled, time-out included, means keep going.
    return ::WaitForSingleObject(m_hStopEvent.Get(), m_dwInterval) == WAIT_OBJECT_0;
}

unsigned __stdcall CWorkerThread::WorkerThreadProc(void* param) {
    auto* self = static_cast<CWorkerThread*>(param);
    try {
        self->RunLoop();
    } catch (...) {
        // A step that threw ends the loop like one that returned false.
    }
    try {
        self->OnThreadEnd();
    } catch (...) {
    }
    return 0;
}

void CWorkerThread::RunLoop() {
    if (IsPaused()) {
        for (;;) {
            if (WaitForStop())
                return;
            if (!IsPaused())
                break;
        }
    }
    OnThreadStart();
    do {
        if (!IsPaused() && !OnThreadStep())
            RequestStop();
    } while (!WaitForStop());
}
