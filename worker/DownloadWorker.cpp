#include "worker/DownloadWorker.h"

#include <memory>

#include "framework/Resources.h"
#include "ui/resource.h"
#include "util/FilePath.h"
#include "worker/DownloadTexts.h"
#include "worker/ProgressHttpAccess.h"

namespace {
// Publishes the running client to Abort for as long as it lives.
class CActiveHttp {
public:
    CActiveHttp(CHttpAccess*& slot, CCriticalSection& cs, CHttpAccess& http) : m_slot(slot), m_cs(cs) {
        CScopedLock lock(m_cs);
        m_slot = &http;
    }
    ~CActiveHttp() {
        CScopedLock lock(m_cs);
        m_slot = nullptr;
    }
    CActiveHttp(const CActiveHttp&) = delete;
    CActiveHttp& operator=(const CActiveHttp&) = delete;

private:
    CHttpAccess*& m_slot;
    CCriticalSection& m_cs;
};

const char* const kUserAgent = "korvenalis-installapp [pc]";
const DWORD kReadBlock = 16384;
} // namespace

CDownloadWorker::~CDownloadWorker() {
    // The threads must be gone before the locks and strings they use are.
    Stop(false);
    if (m_pCloser)
        m_pCloser->Wait(INFINITE);
}

void CDownloadWorker::SetJob(HWND notifyWnd, const std::string& url, const std::string& filePath) {
    m_hNotifyWnd = notifyWnd;
    m_strUrl = url;
    m_strFilePath = filePath;
}

void CDownloadWorker::Abort() {
    {
        CScopedLock lock(m_csAborted);
        m_bAborted = 1;
    }
    // After the flag, so a transfer that publishes its client later sees the flag instead.
    {
        CScopedLock lock(m_csActiveHttp);
        if (!m_pActiveHttp)
            return;
    }
    {
        CScopedLock lock(m_csAborted);
        if (m_bTransferCancelled)
            return;
        m_bTransferCancelled = 1;
    }
    // Closing the request can take long: the library may first read what the server still sends,
    // to keep the connection. That must not hold up the user interface, so another thread closes.
    auto closer = std::make_unique<CThread>();
    if (closer->CreateSuspended(&CDownloadWorker::CloserProc, this, THREAD_PRIORITY_NORMAL) &&
        closer->Resume()) {
        m_pCloser = std::move(closer);
        return;
    }
    if (closer->IsValid()) {
        ::TerminateThread(closer->Handle(), 1); // never ran
        closer->Wait(INFINITE);
    }
    CancelActiveTransfer();
}

unsigned __stdcall CDownloadWorker::CloserProc(void* param) {
    static_cast<CDownloadWorker*>(param)->CancelActiveTransfer();
    return 0;
}

void CDownloadWorker::CancelActiveTransfer() {
    // Held throughout, so the client cannot go away while it is being cancelled.
    CScopedLock lock(m_csActiveHttp);
    if (m_pActiveHttp)
        m_pActiveHttp->CancelRequest();
}

int CDownloadWorker::IsTransferCancelled() {
    CScopedLock lock(m_csAborted);
    return m_bTransferCancelled;
}

int CDownloadWorker::IsAborted() {
    CScopedLock lock(m_csAborted);
    return m_bAborted;
}

void CDownloadWorker::SetDone() {
    CScopedLock lock(m_csDone);
    m_bDone = 1;
}

int CDownloadWorker::IsDone() {
    CScopedLock lock(m_csDone);
    return m_bDone;
}

bool CDownloadWorker::Run() {
    std::string error;
    bool ok = false;
    try {
        ok = Download(error);
    } catch (...) {
        // Only memory can run out here; whatever happens, the run is recorded as failed.
        ok = false;
        try {
            error = download::RequestFailureText(LoadResString(IDS_ERR_DOWNLOAD), 0, "out of memory");
        } catch (...) {
            error.clear();
        }
    }
    m_bFailed = ok ? 0 : 1;
    if (!ok)
        m_strError = std::move(error);
    return false;
}

bool CDownloadWorker::Download(std::string& error) {
    CProgressHttpAccess http(m_hNotifyWnd, this);
    CFilePath file;
    const std::string url = m_strUrl;
    http.SetUserAgent(kUserAgent);
    http.SetReadBufferSize(kReadBlock);
    bool received;
    {
        const CActiveHttp active(m_pActiveHttp, m_csActiveHttp, http);
        // An abort before the client was published had nothing to cancel.
        if (IsAborted() == 1)
            http.CancelRequest();
        received = http.HttpGetBinary(url.c_str(), nullptr, nullptr);
    }
    if (!received) {
        error = download::RequestFailureText(LoadResString(IDS_ERR_DOWNLOAD), http.m_dwStatusCode,
                                             http.m_strError);
        return false;
    }
    // The client is no longer published, so from here on an abort cancels nothing; one that came
    // before may have told the user already, so the file must not appear after it.
    if (IsTransferCancelled() == 1) {
        error = download::RequestFailureText(LoadResString(IDS_ERR_DOWNLOAD), http.m_dwStatusCode, "");
        return false;
    }
    if (http.m_dwDataSize == 0) {
        error = download::EmptyResponseText(LoadResString(IDS_ERR_DOWNLOAD));
        return false;
    }
    // Only now, with the whole body in memory, is the destination created or cut.
    file.SetPath(m_strFilePath);
    if (!file.WriteData(http.m_pData, http.m_dwDataSize, 1)) {
        error = download::FileSaveErrorText(file.GetErrorText());
        return false;
    }
    return true;
}
