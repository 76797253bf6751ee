// The program as built, started against the stand-in service with one installer of a chosen size
// on offer, and driven from outside up to a running download: the organisation ID typed, force
// update ticked, install pressed and the confirmation answered Yes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/driver/Driver.h"
#include "tests/win/service/StandinProcess.h"

namespace bench {

namespace texts {
extern const char kConfirm[];
extern const char kAborted[];
extern const char kDownloadingPrefix[];
} // namespace texts

class CDownloadRig {
public:
    CDownloadRig();
    ~CDownloadRig();
    CDownloadRig(const CDownloadRig&) = delete;
    CDownloadRig& operator=(const CDownloadRig&) = delete;

    // The stand-in serving installerBytes under its switches, then the program with it as proxy;
    // throws std::runtime_error naming what failed.
    void Start(size_t installerBytes, const std::vector<std::string>& serviceArgs);
    // From the idle dialog to a download that shows its progress text; throws.
    void StartDownload();
    // Once the aborted box (or any other) is answered, until the dialog is idle again; throws.
    void WaitForIdle(DWORD timeoutMs = e2e::kDefaultTimeoutMs);

    const e2e::CRemoteWindow& Dialog() const { return m_app->Dialog(); }
    e2e::CRemoteWindow Control(int id) const { return m_app->Control(id); }
    std::string StatusText() const { return Control(e2e::ids::kStatus).Caption(); }
    bool IsDownloading() const;
    // A visible message box owned by the dialog (or with visibleOnly false, one made but perhaps
    // not shown yet), looked for once, without waiting; null when none. Only the dialog's own
    // thread is searched, so a tight poll costs little.
    e2e::CRemoteWindow ShownBox(bool visibleOnly = true) const;
    void Stop();

private:
    CStandinProcess m_service;
    std::string m_root; // the program's temporary folder lives here
    std::unique_ptr<e2e::CLauncher> m_app;
};

} // namespace bench
