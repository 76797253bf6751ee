#include "tests/e2e/flow/FlowFixture.h"

#include "tests/e2e/driver/TextFile.h"

#include <winsock2.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace e2e;

namespace flow {

namespace texts {
const char kNotAnOrganisation[] =
    "インストーラ確認エラー\r\n\r\n詳細エラー：正しい組織IDではありません。\r\n\r\n対応：数字、"
    "アルファベット等、正しく入力してください。";
const char kUpToDate[] = "ご利用のアプリケーションは最新版です。\r\nアップデートの必要はありません。";
const char kConfirm[] = "インストーラが見つかりました。続行しますか？";
const char kDone[] = "インストールは正常に終了しました。";
const char kEnterId[] = "組織IDを入力してください。";
const char kAborted[] = "中断しました";
const char kDownloadingPrefix[] = "ダウンロードしています...";

std::string CheckFailedNoStatus(const std::string& detail) {
    return "インストーラ確認エラー\r\n\r\n詳細エラー：" + detail +
           "\r\n\r\n考えられる原因\r\n１）セキュリティソフトによりブロックされている。\r\n　　本アプリケーシ"
           "ョンを許可"
           "してください。\r\n２）インターネットに接続していない。\r\n　　ホームページは表示されますか。\r\n"
           "３）その他"
           "\r\n　　HttpProxy等、通信環境を確認してください。";
}
std::string CheckFailedStatus(const std::string& detail) {
    return "インストーラ確認エラー\r\n\r\n詳細エラー：" + detail + "\r\n\r\n対応：管理者にご相談ください。";
}
std::string UrlFailed(const std::string& detail) {
    return "URL取得エラー\r\n\r\n詳細エラー：" + detail + "\r\n\r\n対応：管理者にご相談ください。";
}
std::string ParameterFailed(const std::string& detail) {
    return "インストールパラメータ取得エラー\r\n\r\n詳細エラー：" + detail +
           "\r\n\r\n対応：管理者にご相談ください。";
}
std::string Installing(int current, int total) {
    char tail[64];
    std::snprintf(tail, sizeof tail, "  [%d/%d]", current, total);
    return std::string("インストールしています...") + tail;
}
} // namespace texts

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

std::string OwnTempDir() {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    return temp;
}

bool IsAttemptFolderName(const std::string& name) {
    return name.size() == 21 && name.compare(0, 5, "PLMO-") == 0 &&
           name.find_first_not_of("0123456789abcdef", 5) == std::string::npos;
}

std::vector<std::string> AttemptFolderNames() {
    std::vector<std::string> names;
    for (const std::string& name : ListFolder(SystemTempDir()))
        if (IsAttemptFolderName(name))
            names.push_back(name);
    return names;
}

std::string WithoutTrailingSlash(std::string s) {
    while (!s.empty() && s.back() == '\\')
        s.pop_back();
    return s;
}

} // namespace

std::string SystemTempDir() {
    char windows[MAX_PATH + 1] = {};
    ::GetSystemWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\Temp\\";
}

std::string CLoggedRequest::Fp() const {
    if (target.find("/files/") != std::string::npos)
        return "files";
    return query.substr(0, query.find('&'));
}

bool ParseDownloadText(const std::string& status, int& percent, int& current, int& total) {
    const std::string prefix = texts::kDownloadingPrefix;
    if (status.compare(0, prefix.size(), prefix) != 0)
        return false;
    const std::string rest = status.substr(prefix.size());
    if (std::sscanf(rest.c_str(), "%d%%  [%d/%d]", &percent, &current, &total) != 3)
        return false;
    char again[64];
    std::snprintf(again, sizeof again, "%3d%%  [%d/%d]", percent, current, total);
    return rest == again;
}

MONITORINFO PrimaryMonitor() {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoA(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
    return mi;
}

std::string SystemText(DWORD code) {
    char buffer[2048] = {};
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                               MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
    return std::string(buffer, n);
}

int ClosedLoopbackPort() {
    WSADATA wsa;
    if (::WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return 0;
    int port = 0;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int len = sizeof addr;
        if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            port = ntohs(addr.sin_port);
        ::closesocket(s);
    }
    ::WSACleanup();
    return port;
}

std::vector<std::string> ListFolder(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((WithoutTrailingSlash(dir) + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

void CFlowTest::SetUp() {
    ASSERT_TRUE(m_registry.Ready()) << "cannot open HKLM\\" << CInstalledVersions::kKey;
    // Nothing installed: the flow's filter and the fake installers start from no values.
    for (const char* name : {"Version", "Custom_001.002", "Custom_001.044", "Custom_002.001"})
        ASSERT_TRUE(m_registry.Remove(name)) << name;

    static int counter = 0;
    m_root = OwnTempDir() + "plmo-flow-" + std::to_string(::GetCurrentProcessId()) + "-" +
             std::to_string(++counter) + "\\";
    m_tempDir = m_root + "tmp\\";
    m_workDir = m_root + "work\\";
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec); // left by an earlier run of the same process id
    for (const std::string& dir : {m_root, m_tempDir, m_workDir})
        ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr)) << dir;
    ASSERT_TRUE(m_service.PrepareFolder());
    m_attemptFoldersBefore = AttemptFolderNames();
}

void CFlowTest::TearDown() {
    m_app.reset();
    if (!m_ownTempBefore.empty()) {
        // The program's temporary folder is its own: it leaves nothing in ours.
        EXPECT_EQ(m_ownTempBefore, ListFolder(OwnTempDir()));
    }
    // Nothing lands in the user's temporary folder, and every attempt's own folder went with it,
    // whatever its outcome.
    EXPECT_TRUE(ListFolder(m_tempDir).empty()) << "the user's temporary folder is never used";
    EXPECT_EQ(m_attemptFoldersBefore, AttemptFolderNames()) << "an attempt's folder was left in " << SystemTempDir();
    m_service.Stop();
    // A fake installer still running after a failure ends by itself and lets go of its file.
    PollUntil(
        [&] {
            std::error_code ec;
            std::filesystem::remove_all(m_root, ec);
            return !ec;
        },
        10000, 100);
}

void CFlowTest::ServeInstaller(const std::string& name,
                               const std::vector<std::pair<std::string, std::string>>& settings) {
    const std::string source = ProgramDir() + "flow-installer.exe";
    ASSERT_TRUE(::CopyFileA(source.c_str(), ServedPath(name).c_str(), FALSE)) << source << " -> " << name;
    const std::string ini = m_workDir + "installers.ini";
    for (const auto& [key, value] : settings)
        ASSERT_TRUE(::WritePrivateProfileStringA(name.c_str(), key.c_str(), value.c_str(), ini.c_str()));
}

void CFlowTest::ServeBytes(const std::string& name, size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + i % 26);
    std::ofstream(ServedPath(name), std::ios::binary) << bytes;
}

void CFlowTest::Start(const std::string& catalogue, const std::vector<std::string>& serviceArgs,
                      int proxyPort) {
    ASSERT_TRUE(m_service.Start(catalogue, serviceArgs)) << "the stand-in service did not start";
    StartProgram(proxyPort);
}

void CFlowTest::StartProgram(int proxyPort) {
    const std::string ini = m_workDir + "installers.ini";
    // Every fake installer: quick, with a window, logging here.
    ::WritePrivateProfileStringA("fake", "WaitMs", "300", ini.c_str());
    if (m_ownTempBefore.empty())
        m_ownTempBefore = ListFolder(OwnTempDir());
    CStartOptions options;
    options.exePath = m_exePath;
    options.environment = {
        "http_proxy=http://127.0.0.1:" + std::to_string(proxyPort ? proxyPort : m_service.Port()),
        "TMP=" + WithoutTrailingSlash(m_tempDir),
        "TEMP=" + WithoutTrailingSlash(m_tempDir),
        "PLMO_FAKE_INSTALLER_INI=" + ini,
        "PLMO_FAKE_INSTALLER_LOG=" + m_workDir + "installers.log",
    };
    m_app = std::make_unique<CLauncher>(options);
}

CMessageBox CFlowTest::Install(const std::string& id, bool force, DWORD boxTimeoutMs) {
    const CRemoteWindow check = m_app->Control(ids::kForceUpdate);
    if ((check.CheckState() == BST_CHECKED) != force) {
        check.Click();
        WaitFor("the force-update box to change",
                [&] { return (check.CheckState() == BST_CHECKED) == force; });
    }
    m_app->TypeOrgId(id);
    m_app->ClickInstall();
    return WaitForBox(boxTimeoutMs);
}

namespace {

bool IsBelow(const CRemoteWindow& window, const CRemoteWindow& other) {
    bool otherSeen = false;
    for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (w == other.Handle())
            otherSeen = true;
        if (w == window.Handle())
            return otherSeen;
    }
    return false;
}

} // namespace

CMessageBox CFlowTest::WaitForBox(DWORD timeoutMs) {
    CMessageBox box = m_app->WaitForMessageBox(timeoutMs);
    if (!IsBelow(box.window, Dialog()))
        return box;
    // Under Wine, once an installer's window has closed, the dialog that gets activated again can
    // come up over its own message box; Windows keeps owned windows above their owner. Bring the
    // box up so that its icon can be seen.
    std::printf("note: the message box \"%s\" was below its dialog; raised it\n", box.text.c_str());
    ::SetWindowPos(box.window.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    WaitFor("the message box to come above its dialog", [&] { return !IsBelow(box.window, Dialog()); });
    ::RedrawWindow(box.window.Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    box.window.Send(WM_NULL);
    return ReadMessageBox(box.window);
}

void CFlowTest::ExpectBox(const CMessageBox& box, const std::string& text, BoxIcon icon,
                          const char* buttons) {
    EXPECT_EQ(text, box.text);
    EXPECT_EQ("PLMOInstApp", box.caption);
    EXPECT_STREQ(BoxIconName(icon), BoxIconName(box.icon)) << box.text;
    if (icon != box.icon) {
        // What the screen showed, for whoever looks into the failure.
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string path = ScreenshotDir() + "flow-failed-icon-" + test->name() + ".png";
        WritePng(CaptureScreen(UnionOf(box.window.WindowRect(), Dialog().WindowRect())), path);
        std::string order;
        for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
            if (!::IsWindowVisible(w))
                continue;
            CRemoteWindow rw(w);
            RECT r = rw.WindowRect();
            order += rw.Describe() + (rw.IsTopmost() ? " topmost" : "") +
                     " owner=" + std::to_string((uintptr_t)rw.Owner()) + " rect=" + std::to_string(r.left) +
                     "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                     std::to_string(r.bottom) + "\n";
        }
        ADD_FAILURE() << "screen saved as " << path << "\nZ order:\n" << order;
    }
    EXPECT_EQ(buttons, ButtonsText(box.buttons)) << box.text;
    EXPECT_FALSE(Dialog().IsEnabled()) << "the box is modal to the dialog";
}

void CFlowTest::WaitForDownload(const char* what,
                                const std::function<bool(int percent, int current)>& reached) {
    const CRemoteWindow status = m_app->Control(ids::kStatus);
    WaitFor(
        what,
        [&] {
            int percent = 0, current = 0, total = 0;
            return ParseDownloadText(status.Text(), percent, current, total) && reached(percent, current);
        },
        60000, 10);
}

void CFlowTest::ExpectIdle() {
    WaitForUiState(Dialog(), 0);
    EXPECT_EQ("", m_app->Control(ids::kStatus).Text()) << "the status line is reset";
    EXPECT_EQ(0, m_app->Control(ids::kProgress).Send(PBM_GETPOS)) << "the progress bar is reset";
    EXPECT_FALSE(m_app->Control(ids::kProgress).Style() & PBS_MARQUEE);
    EXPECT_TRUE(Dialog().IsEnabled());
}

std::vector<CLoggedRequest> CFlowTest::Requests() const {
    std::vector<CLoggedRequest> out;
    for (const std::string& line : m_service.LogLines()) {
        const std::vector<std::string> f = SplitTabs(line);
        CLoggedRequest r;
        r.method = f.size() > 0 ? f[0] : "";
        r.target = f.size() > 1 ? f[1] : "";
        r.body = f.size() > 2 ? f[2] : "";
        r.userAgent = f.size() > 3 ? f[3] : "";
        if (!r.userAgent.empty() && r.userAgent.back() == '\r')
            r.userAgent.pop_back();
        const size_t q = r.target.find('?');
        r.query = q == std::string::npos ? "" : r.target.substr(q + 1);
        out.push_back(r);
    }
    return out;
}

std::vector<std::string> CFlowTest::FileRequests() const {
    std::vector<std::string> names;
    for (const CLoggedRequest& r : Requests())
        if (r.Fp() == "files")
            names.push_back(r.target.substr(r.target.rfind('/') + 1));
    return names;
}

std::vector<CInstallerRun> CFlowTest::InstallerRuns() const {
    std::vector<CInstallerRun> runs;
    std::vector<std::pair<std::string, size_t>> byPid;
    for (const std::string& line : e2e::ReadLines(m_workDir + "installers.log")) {
        const std::vector<std::string> f = SplitTabs(line);
        if (f.size() >= 5 && f[0] == "start") {
            CInstallerRun run;
            run.started = std::stoull(f[1]);
            run.path = f[3];
            run.parameters = f[4];
            if (f.size() >= 7) {
                run.folder = f[5];
                run.temp = f[6];
            }
            byPid.emplace_back(f[2], runs.size());
            runs.push_back(run);
        } else if (f.size() >= 4 && f[0] == "end") {
            for (const auto& [pid, index] : byPid)
                if (pid == f[2])
                    runs[index].ended = std::stoull(f[1]);
        }
    }
    return runs;
}

std::string CFlowTest::AttemptFolder() const {
    std::string newest;
    FILETIME newestTime{};
    for (const std::string& name : AttemptFolderNames()) {
        if (std::find(m_attemptFoldersBefore.begin(), m_attemptFoldersBefore.end(), name) !=
            m_attemptFoldersBefore.end())
            continue;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (::GetFileAttributesExA((SystemTempDir() + name).c_str(), GetFileExInfoStandard, &data) &&
            (newest.empty() || ::CompareFileTime(&data.ftCreationTime, &newestTime) > 0)) {
            newest = SystemTempDir() + name + "\\";
            newestTime = data.ftCreationTime;
        }
    }
    return newest;
}

std::string CFlowTest::TempPath(const std::string& name) const {
    const std::string folder = AttemptFolder();
    return (folder.empty() ? SystemTempDir() + "PLMO-none\\" : folder) + name;
}

std::vector<std::string> CFlowTest::TempFiles() const {
    const std::string folder = AttemptFolder();
    return folder.empty() ? std::vector<std::string>() : ListFolder(folder);
}

void CFlowTest::ExpectInAttemptFolder(const CInstallerRun& run, const std::string& name) const {
    const size_t slash = run.path.rfind('\\');
    ASSERT_NE(std::string::npos, slash) << run.path;
    const std::string folder = run.path.substr(0, slash);
    EXPECT_EQ(name, run.path.substr(slash + 1));
    // Paths compare in any letter case: the system keeps the case the folder was made with.
    const auto same = [](const std::string& a, const std::string& b) { return ::lstrcmpiA(a.c_str(), b.c_str()) == 0; };
    EXPECT_TRUE(same(SystemTempDir(), folder.substr(0, SystemTempDir().size()))) << run.path;
    EXPECT_TRUE(IsAttemptFolderName(folder.substr(folder.rfind('\\') + 1))) << run.path;
    EXPECT_TRUE(same(folder, run.folder)) << run.folder << ": started in its own folder";
    EXPECT_TRUE(same(folder, run.temp)) << run.temp << ": unpacks into its own folder";
    EXPECT_EQ(std::string::npos, run.path.find(WithoutTrailingSlash(OwnTempDir())));
}

unsigned long long CFlowTest::FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return ~0ull;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace flow
