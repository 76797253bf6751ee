// One install attempt end to end: the program as built, reaching the stand-in install service
// through its proxy setting, downloading fake installers that the stand-in serves into a temporary
// folder of its own and running them. The registry values the flow reads (and the fake installers
// write) are put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/driver/Driver.h"
#include "tests/win/service/InstalledVersions.h"
#include "tests/win/service/StandinProcess.h"

namespace flow {

// The texts the program shows, as its users read them.
namespace texts {
extern const char kNotAnOrganisation[]; // 106
extern const char kUpToDate[];          // 110
extern const char kConfirm[];           // 111
extern const char kDone[];              // 112
extern const char kEnterId[];           // 109
extern const char kAborted[];
std::string CheckFailedNoStatus(const std::string& detail); // 104
std::string CheckFailedStatus(const std::string& detail);   // 105
std::string UrlFailed(const std::string& detail);           // 108
std::string ParameterFailed(const std::string& detail);     // 113
extern const char kDownloadingPrefix[];
std::string Installing(int current, int total);
} // namespace texts

// One request as the stand-in logged it.
struct CLoggedRequest {
    std::string method;
    std::string target; // absolute URI: the program reaches the stand-in as its proxy
    std::string query;  // after the "?"
    std::string body;
    std::string userAgent;
    std::string Fp() const; // "fp=3", "fp=4", "fp=5", or "files"
};

// One run of a fake installer, from its log.
struct CInstallerRun {
    std::string path;
    std::string parameters;
    std::string folder, temp; // its current folder and TEMP
    unsigned long long started = 0; // UTC, 100 ns units
    unsigned long long ended = 0;   // 0 while it runs
};

// The client and one custom package, served by the stand-in as fake installers.
inline constexpr char kTwoInstallers[] = "catalogue v3_flow = 1.2.3.4\n"
                                         "catalogue v3_flow = 258,3\n"
                                         "download 1 01020304 = {self}/files/client_setup.exe\n"
                                         "download 2 01020003 = {self}/files/custom258_setup.exe\n";

// The primary monitor, its work area among the rest.
MONITORINFO PrimaryMonitor();

// A download progress text "ダウンロードしています...%3d%%  [%d/%d]" taken apart; false for any other text.
bool ParseDownloadText(const std::string& status, int& percent, int& current, int& total);

class CFlowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // What the stand-in serves under /files/: a copy of the fake installer with its settings
    // (ini keys such as WaitMs, ExitCode, RegValue, RegData), or bytes that are no program.
    void ServeInstaller(const std::string& name,
                        const std::vector<std::pair<std::string, std::string>>& settings = {});
    void ServeBytes(const std::string& name, size_t size);
    // The stand-in with this catalogue, then the program with it as proxy; proxyPort replaces
    // the stand-in's port in the program's proxy setting (a closed port for an unreachable service).
    void Start(const std::string& catalogue, const std::vector<std::string>& serviceArgs = {},
               int proxyPort = 0);
    void StartProgram(int proxyPort = 0);

    e2e::CLauncher& App() { return *m_app; }
    const e2e::CRemoteWindow& Dialog() const { return m_app->Dialog(); }

    // Types the ID, presses install and waits for the next message box.
    e2e::CMessageBox Install(const std::string& id, bool force = false,
                             DWORD boxTimeoutMs = e2e::kDefaultTimeoutMs);
    // The next message box of the dialog, in view.
    e2e::CMessageBox WaitForBox(DWORD timeoutMs = e2e::kDefaultTimeoutMs);
    // The box is the expected one: its text, icon and buttons, caption "PLMOInstApp", modal to the dialog.
    void ExpectBox(const e2e::CMessageBox& box, const std::string& text, e2e::BoxIcon icon,
                   const char* buttons);
    // Idle: the UI state table's state 0 and the progress display reset.
    void ExpectIdle();
    // Until the status line shows a download progress for which reached(percent, current) holds.
    void WaitForDownload(const char* what, const std::function<bool(int percent, int current)>& reached);

    std::vector<CLoggedRequest> Requests() const;
    std::vector<std::string> FileRequests() const; // names fetched under /files/, in order
    std::vector<CInstallerRun> InstallerRuns() const;
    // The folder of the program's running attempt (under the Windows folder's Temp), with a
    // trailing backslash; empty when none stands.
    std::string AttemptFolder() const;
    std::vector<std::string> TempFiles() const; // names in the running attempt's folder
    std::string TempPath(const std::string& name) const; // in the running attempt's folder
    // The installer ran as name from an attempt's own folder, with that folder as its current
    // folder and TEMP, never from the user's temporary folder.
    void ExpectInAttemptFolder(const CInstallerRun& run, const std::string& name) const;
    std::string ServedPath(const std::string& name) const { return m_service.FilesDir() + "\\" + name; }
    static unsigned long long FileSize(const std::string& path); // ~0 when missing

    CInstalledVersions m_registry;
    CStandinProcess m_service;
    std::string m_root;    // this test's folder
    std::string m_tempDir; // the program's TEMP (the user's), with a trailing backslash; stays empty
    std::vector<std::string> m_attemptFoldersBefore;
    std::string m_workDir; // installer settings and log
    std::vector<std::string> m_ownTempBefore;
    std::string m_exePath; // empty: the program as built
    std::unique_ptr<e2e::CLauncher> m_app;
};

// The system's Japanese text for an error code, as the program's messages give it.
std::string SystemText(DWORD code);

// Where the program makes each attempt's own folder (the Windows folder's Temp), with a trailing backslash.
std::string SystemTempDir();

// A port on 127.0.0.1 that nothing listens on (taken free, then let go).
int ClosedLoopbackPort();

// Names directly in a folder (files and folders, without "." and "..").
std::vector<std::string> ListFolder(const std::string& dir);

} // namespace flow
