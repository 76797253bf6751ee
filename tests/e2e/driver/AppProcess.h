// One started copy of the program under test. The destructor ends a copy that is still running,
// so a failed test never leaves a window behind for the next one.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "tests/e2e/driver/RemoteWindow.h"
#include "tests/e2e/driver/Wait.h"

namespace e2e {

struct CStartOptions {
    std::string exePath;                  // empty: the program built next to the test program
    std::string arguments;                // command line after the program's name
    std::vector<std::string> environment; // "NAME=value" entries added to (or replacing in) ours
};

class CAppProcess {
public:
    explicit CAppProcess(const CStartOptions& options = CStartOptions());
    ~CAppProcess();
    CAppProcess(const CAppProcess&) = delete;
    CAppProcess& operator=(const CAppProcess&) = delete;

    DWORD Id() const { return m_pid; }
    bool IsRunning() const;
    // Waits for the process to end and returns its exit code; throws CTimeoutError.
    DWORD WaitForExit(DWORD timeoutMs = kDefaultTimeoutMs) const;
    void Terminate();
    // Until the program waits for input for the first time (WaitForInputIdle).
    void WaitForIdle(DWORD timeoutMs = kDefaultTimeoutMs) const;

    // Top-level windows that belong to this process, in Z order from the top.
    std::vector<CRemoteWindow> TopLevelWindows(bool visibleOnly = true) const;
    // The first visible top-level window that satisfies match, waited for; throws CTimeoutError.
    CRemoteWindow WaitForWindow(const std::string& what,
                                const std::function<bool(const CRemoteWindow&)>& match,
                                DWORD timeoutMs = kDefaultTimeoutMs) const;
    // The main dialog: unowned, class "#32770", caption "PLMOInstApp".
    CRemoteWindow WaitForMainDialog(DWORD timeoutMs = kDefaultTimeoutMs) const;
    // Visible dialogs (class "#32770") owned by owner: message boxes and the About box.
    std::vector<CRemoteWindow> OwnedDialogs(const CRemoteWindow& owner) const;
    CRemoteWindow WaitForOwnedDialog(const CRemoteWindow& owner, DWORD timeoutMs = kDefaultTimeoutMs) const;

private:
    CKernelHandle m_process;
    DWORD m_pid = 0;
    std::string m_exe;
};

} // namespace e2e
