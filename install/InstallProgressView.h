// What the download and the installer run need of the window that shows their progress.
#pragma once

class CDownloadWorker;

class IInstallProgressView {
public:
    virtual ~IInstallProgressView() = default;

    // Progress bar to 0 without marquee, status line empty.
    virtual void ResetProgress() = 0;
    // "installing [current/total]" with a running marquee.
    virtual void ShowInstallProgress(int total, int current) = 0;
    // The 1-based number of the entry being downloaded.
    virtual void SetCurrentItem(int current) = 0;
    // The worker of the running download, null when none runs; not owned. The view may call its
    // Abort while the download waits.
    virtual void SetRunningWorker(CDownloadWorker* worker) = 0;
};
