#include "worker/ProgressHttpAccess.h"

#include "worker/DownloadWorker.h"

namespace {
// Registered before WinMain; the dialog registers the same name and so gets the same id.
const UINT InstDlMessage = ::RegisterWindowMessageA("CHttpAccess_InstDl_Message");
} // namespace

CProgressHttpAccess::CProgressHttpAccess(HWND notifyWnd, CDownloadWorker* worker)
    : m_hNotifyWnd(notifyWnd), m_pWorker(worker) {}

void CProgressHttpAccess::OnProgress(DWORD, DWORD) {
    // An aborted run may have been given up by the dialog, whose bar already shows the next state.
    if (m_dwContentLength == 0 || !m_hNotifyWnd || IsAbortRequested() == 1)
        return;
    // Posted, never sent: the worker must not wait for the user interface.
    ::PostMessageA(m_hNotifyWnd, InstDlMessage, static_cast<WPARAM>(m_dwDataSize),
                   static_cast<LPARAM>(m_dwContentLength));
}

int CProgressHttpAccess::IsAbortRequested() {
    return m_pWorker ? m_pWorker->IsAborted() : 0;
}

bool CProgressHttpAccess::OnRequestOpened(void* request) {
    return m_pWorker ? m_pWorker->PublishRequest(request) : true;
}

bool CProgressHttpAccess::OnRequestClosing(void* request) {
    return m_pWorker ? m_pWorker->WithdrawRequest(request) : true;
}

void DispatchQueuedProgress(HWND wnd) {
    MSG msg;
    while (::PeekMessageA(&msg, wnd, InstDlMessage, InstDlMessage, PM_REMOVE))
        ::DispatchMessageA(&msg);
}
