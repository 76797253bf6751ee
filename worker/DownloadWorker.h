// One file download on a worker thread. The user-interface thread sets the job, starts the
// worker, polls IsDone and may Abort at any time; once IsDone returned 1 it reads m_bFailed and
// m_strError, which the worker wrote before raising the done flag.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/CriticalSection.h"
#include "framework/Thread.h"
#include "worker/InstallerHold.h"
#include "worker/WorkerThread.h"

class CHttpAccess;

class CDownloadWorker : public CWorkerThread {
public:
    CDownloadWorker() = default;
    ~CDownloadWorker() override;

    // Before Start. notifyWnd receives the progress message; may be null. The written file must
    // then be signed by the publisher the build names, if it names one.
    void SetJob(HWND notifyWnd, const std::string& url, const std::string& filePath);
    // After SetJob: another publisher to demand (empty: none).
    void SetSignerPin(const std::wstring& pin) { m_strSignerPin = pin; }
    // After SetJob: whether certificate faults and plain http fail the transfer (default: the build's).
    void SetStrictTls(bool strict) { m_nStrictTls = strict ? 1 : 0; }

    // From the user-interface thread: flags the run as aborted and, when its request is open,
    // hands the request to a thread of its own to close, which ends the transfer also when it is
    // blocked on a silent server. Never waits for the library.
    void Abort();
    int IsAborted();
    // 1 once an abort came before the run decided to write its file: the run writes nothing from
    // then on, though its thread may stay blocked in the library until the receive time-out.
    int IsTransferCancelled();
    int IsDone();
    // True once the done flag is up and no thread of this worker is inside the library any more:
    // destroying it then waits for nothing.
    bool IsFinished();

    // The one download run: fetches m_strUrl and writes m_strFilePath once the whole body has
    // arrived. Always false, so the thread loop ends after it.
    bool Run();

    // The request hooks of the run's client, on the worker thread.
    bool PublishRequest(void* request);
    bool WithdrawRequest(void* request);

    // After a successful run: the written file, held against change until its installer has run.
    CInstallerHold TakeHold() { return std::move(m_hold); }

    int m_bFailed = 0;
    std::string m_strError; // left as it was on success

protected:
    bool OnThreadStep() override { return Run(); }
    void OnThreadEnd() override { SetDone(); }

private:
    void SetDone();
    static unsigned __stdcall CloserProc(void* param);
    // False when an abort came first; otherwise the file may be written, whatever comes later.
    bool DecideToWrite();
    // True when the file was written; otherwise error explains why not.
    bool Download(std::string& error);

    // One lock for everything an abort decides, so that abort and the decision to write are one
    // step against each other; no code holds it together with another lock or while it calls
    // into the library.
    CCriticalSection m_csAborted;
    int m_bAborted = 0;
    int m_bWriteDecided = 0;
    void* m_hActiveRequest = nullptr;   // the open request, until it closes or Abort takes it
    void* m_hTakenRequest = nullptr;    // set once, by the Abort that takes the request; the closer's
    std::unique_ptr<CThread> m_pCloser; // user-interface thread only
    int m_bDone = 0;
    CCriticalSection m_csDone;
    HWND m_hNotifyWnd = nullptr;
    std::string m_strUrl;
    std::string m_strFilePath;
    std::wstring m_strSignerPin;
    int m_nStrictTls = -1; // -1: as the build says
    CInstallerHold m_hold; // the worker thread's until the done flag is up
};
