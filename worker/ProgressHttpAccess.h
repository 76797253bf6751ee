// The HTTP client of a file download: reports each body block to a window and stops the
// transfer once the worker has been aborted. Runs on the worker thread.
#pragma once

#include <windows.h>

#include "http/HttpAccess.h"

class CDownloadWorker;

class CProgressHttpAccess : public CHttpAccess {
public:
    // notifyWnd null: post nothing; worker null: never abort.
    CProgressHttpAccess(HWND notifyWnd, CDownloadWorker* worker);

    // Posts the progress message (bytes so far, announced length) when a length was announced.
    void OnProgress(DWORD received, DWORD contentLength) override;
    int IsAbortRequested() override;

    HWND m_hNotifyWnd;
    CDownloadWorker* m_pWorker;
};
