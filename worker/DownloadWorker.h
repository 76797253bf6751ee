// One file download on a worker thread. The user-interface thread sets the job, starts the
// worker, polls IsDone and may Abort at any time; once IsDone returned 1 it reads m_bFailed and
// m_strError, which the worker wrote before raising the done flag.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/CriticalSection.h"
#include "framework/Thread.h"
#include "worker/WorkerThread.h"

class CHttpAccess;

class CDownloadWorker : public CWorkerThread {
public:
    CDownloadWorker() = default;
    ~CDownloadWorker() override;

    // Before Start. notifyWnd receives the progress message; may be null.
    void SetJob(HWND notifyWnd, const std::string& url, const std::string& filePath);

    // From the user-interface thread: flags the run as aborted and ends its transfer at once,
    // also when the transfer is blocked on a silent server.
    void Abort();
    int IsAborted();
    // 1 once Abort ended a transfer in progress: the run can no longer write anything, though
    // the thread may stay blocked in the library until its receive time-out.
    int IsTransferCancelled();
    int IsDone();

    // The one download run: fetches m_strUrl and writes m_strFilePath once the whole body has
    // arrived. Always false, so the thread loop ends after it.
    bool Run();

    int m_bFailed = 0;
    std::string m_strError; // left as it was on success

protected:
    bool OnThreadStep() override { return Run(); }
    void OnThreadEnd() override { SetDone(); }

private:
    void SetDone();
    static unsigned __stdcall CloserProc(void* param);
    void CancelActiveTransfer();
    // True when the file was written; otherwise error explains why not.
    bool Download(std::string& error);

    int m_bAborted = 0;
    CCriticalSection m_csAborted;
    int m_bTransferCancelled = 0; // with m_csAborted
    // The client of the running transfer, for Abort to cancel; null outside the request.
    CHttpAccess* m_pActiveHttp = nullptr;
    CCriticalSection m_csActiveHttp;
    std::unique_ptr<CThread> m_pCloser;
    int m_bDone = 0;
    CCriticalSection m_csDone;
    HWND m_hNotifyWnd = nullptr;
    std::string m_strUrl;
    std::string m_strFilePath;
};
