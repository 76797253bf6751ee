// PLMOInstApp as the tests see it: its control ids, its three UI states as they show on screen,
// and one started copy with its main dialog.
#pragma once

#include <memory>
#include <string>

#include "tests/e2e/driver/AppProcess.h"
#include "tests/e2e/driver/MessageBox.h"
#include "tests/e2e/driver/RemoteWindow.h"

namespace e2e {

namespace ids {
constexpr int kOk = 1, kCancel = 2;
constexpr int kForceUpdate = 1002, kInstall = 1003, kAbort = 1004, kProgress = 1005, kTitle = 1006,
              kStatus = 1007, kOrgIdLabel = 1008, kOrgId = 1011;
constexpr int kAboutVersion = 1010, kAboutService = 1011;
constexpr UINT kSysAbout = 16;       // the About item appended to the system menu
constexpr WORD kMenuVersion = 32772; // Help > Version
} // namespace ids

constexpr const char* kAboutCaption = "ﾊﾞｰｼﾞｮﾝ情報";

// Whether Close in the dialog's system menu is usable (not greyed). Where the menu cannot be
// read, as under Wine, this looks at the caption's close button on the screen: the dialog must
// then be shown (not minimised) with its caption uncovered.
bool CloseLooksEnabled(const CRemoteWindow& dialog);
// What the UI state table covers, read from the dialog, e.g.
// "check:on install:on abort:off id:shown label:shown status:hidden close:on".
std::string DescribeUiState(const CRemoteWindow& dialog);
// The same text for state 0, 1 or 2 as the program should show it.
std::string ExpectedUiState(int state);
// Waits until the dialog shows the state; throws CTimeoutError with what it showed last.
void WaitForUiState(const CRemoteWindow& dialog, int state, DWORD timeoutMs = kDefaultTimeoutMs);

class CLauncher {
public:
    // Starts the program and waits for its main dialog.
    explicit CLauncher(const CStartOptions& options = CStartOptions());

    CAppProcess& App() { return *m_app; }
    const CRemoteWindow& Dialog() const { return m_dialog; }
    CRemoteWindow Control(int id) const { return m_dialog.Child(id); }

    void TypeOrgId(const std::string& id) const { Control(ids::kOrgId).SetText(id); }
    void ClickInstall() const { Control(ids::kInstall).Click(); }
    CMessageBox WaitForMessageBox(DWORD timeoutMs = kDefaultTimeoutMs) const;
    // The About box, once shown and filled in; throws CTimeoutError.
    CRemoteWindow WaitForAboutBox(DWORD timeoutMs = kDefaultTimeoutMs) const;
    // Close from the system menu, then waits for the program to end; returns its exit code.
    DWORD CloseAndWait(DWORD timeoutMs = kDefaultTimeoutMs);

private:
    std::unique_ptr<CAppProcess> m_app;
    CRemoteWindow m_dialog;
};

} // namespace e2e
