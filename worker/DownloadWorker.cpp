#include "worker/DownloadWorker.h"

#include <memory>

#include "framework/Resources.h"
#include "framework/WinInetApi.h"
#include "worker/InstallerSignature.h"
#include "util/StringIds.h"
#include "util/FilePath.h"
#include "util/SystemError.h"
#include "worker/DownloadTexts.h"
#include "worker/ProgressHttpAccess.h"

namespace {
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
    m_strSignerPin = InstallerSignerPin();
}

void CDownloadWorker::Abort() {
    void* request = nullptr;
    {
        CScopedLock lock(m_csAborted);
        m_bAborted = 1;
        if (m_hActiveRequest && !m_hTakenRequest) {
            request = m_hActiveRequest;
            m_hTakenRequest = request;
            m_hActiveRequest = nullptr;
        }
    }
    // A second click, or a request that is not open yet (it sees the flag as it opens).
    if (!request)
        return;
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
    WinInet().InternetCloseHandle(static_cast<HINTERNET>(request));
}

unsigned __stdcall CDownloadWorker::CloserProc(void* param) {
    // Set before the thread was made, and nobody else closes a taken request.
    auto* self = static_cast<CDownloadWorker*>(param);
    WinInet().InternetCloseHandle(static_cast<HINTERNET>(self->m_hTakenRequest));
    return 0;
}

bool CDownloadWorker::PublishRequest(void* request) {
    CScopedLock lock(m_csAborted);
    if (m_bAborted)
        return false;
    m_hActiveRequest = request;
    return true;
}

bool CDownloadWorker::WithdrawRequest(void*) {
    CScopedLock lock(m_csAborted);
    m_hActiveRequest = nullptr;
    return m_hTakenRequest == nullptr;
}

bool CDownloadWorker::DecideToWrite() {
    CScopedLock lock(m_csAborted);
    if (m_bAborted)
        return false;
    m_bWriteDecided = 1;
    return true;
}

int CDownloadWorker::IsTransferCancelled() {
    CScopedLock lock(m_csAborted);
    return m_bAborted && !m_bWriteDecided ? 1 : 0;
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

bool CDownloadWorker::IsFinished() {
    if (IsDone() != 1)
        return false;
    return !m_pCloser || m_pCloser->Wait(0) == WAIT_OBJECT_0;
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
            std::string memory;
            FormatSystemError(ERROR_NOT_ENOUGH_MEMORY, memory);
            error = download::RequestFailureText(LoadResString(IDS_ERR_DOWNLOAD), 0, memory);
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
    if (m_nStrictTls >= 0)
        http.m_bStrictTls = m_nStrictTls == 1;
    if (!http.HttpGetBinary(url.c_str(), nullptr, nullptr)) {
        error = download::RequestFailureText(LoadResString(IDS_ERR_DOWNLOAD), http.m_dwStatusCode,
                                             http.m_strError);
        return false;
    }
    // An abort that came before this may have told the user already, so the file must not appear
    // after it; one that comes later finds the file written and has it removed.
    if (!DecideToWrite()) {
        error = download::RequestFailureText(LoadResString(IDS_ERR_DOWNLOAD), http.m_dwStatusCode, "");
        return false;
    }
    if (http.m_dwDataSize == 0) {
        error = download::EmptyResponseText(LoadResString(IDS_ERR_DOWNLOAD));
        return false;
    }
    // Only now, with the whole body in memory, is the destination created. The file was removed
    // before the download: anything at the path now was put there by somebody else.
    file.SetPath(m_strFilePath);
    FileIdentity written;
    if (!file.WriteNewFile(http.m_pData, http.m_dwDataSize, &written)) {
        error = download::FileSaveErrorText(file.GetErrorText());
        return false;
    }
    if (!m_hold.Acquire(m_strFilePath, written, http.m_pData, http.m_dwDataSize, error))
        return false;
    // On the held file, so the publisher checked is the publisher that runs.
    std::string reason;
    if (!m_strSignerPin.empty() &&
        !CheckInstallerSigner(m_hold.Handle(), m_strFilePath, m_strSignerPin, reason)) {
        m_hold = CInstallerHold();
        error = SignatureRefusalText(m_strFilePath, reason);
        return false;
    }
    return true;
}
