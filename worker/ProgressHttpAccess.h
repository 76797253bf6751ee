// The HTTP client of a file download: reports each body block to a window and stops the
// transfer once the worker has been aborted. Runs on the worker thread.
#pragma once

#include <windows.h>

#include "http/HttpAccess.h"

class CDownloadWorker;

// On the user-interface thread: dispatches the progress messages already queued for wnd and no
// other message, so the last progress of a finished file shows without handling a click yet.
void DispatchQueuedProgress(HWND wnd);

class CProgressHttpAccess : public CHttpAccess {
public:
    // notifyWnd null: post nothing; worker null: never abort.
    CProgressHttpAccess(HWND notifyWnd, CDownloadWorker* worker);

    // Posts the progress message (bytes so far, announced length) when a length was announced.
    void OnProgress(DWORD received, DWORD contentLength) override;
    int IsAbortRequested() override;
    // The open request goes to the worker, for its Abort to close.
    bool OnRequestOpened(void* request) override;
    bool OnRequestClosing(void* request) override;

    HWND m_hNotifyWnd;
    CDownloadWorker* m_pWorker;
};
