#include "tools/bench/DownloadRig.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

using namespace e2e;

namespace bench {

namespace texts {
const char kConfirm[] = "インストーラが見つかりました。続行しますか？";
const char kAborted[] = "中断しました";
const char kDownloadingPrefix[] = "ダウンロードしています...";
} // namespace texts

namespace {

const char kCatalogue[] = "catalogue v3_bench = 1.2.3.4\n"
                          "download 1 01020304 = {self}/files/bench_setup.exe\n";

struct BoxSearch {
    HWND owner;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK FindOwnedBox(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<BoxSearch*>(param);
    char cls[16] = {};
    if (::GetWindow(hwnd, GW_OWNER) != s->owner || (s->visibleOnly && !::IsWindowVisible(hwnd)) ||
        !::GetClassNameA(hwnd, cls, sizeof cls) || std::string(cls) != "#32770")
        return TRUE;
    s->found = hwnd;
    return FALSE;
}

} // namespace

CDownloadRig::CDownloadRig() {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    m_root = std::string(temp) + "plmo-bench-" + std::to_string(::GetCurrentProcessId()) + "-" +
             std::to_string(++counter);
}

CDownloadRig::~CDownloadRig() {
    Stop();
}

void CDownloadRig::Stop() {
    m_app.reset();
    m_service.Stop();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

void CDownloadRig::Start(size_t installerBytes, const std::vector<std::string>& serviceArgs) {
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
    if (!::CreateDirectoryA(m_root.c_str(), nullptr) || !m_service.PrepareFolder())
        throw std::runtime_error("cannot make the folders under " + m_root);
    {
        // Bytes that are no program: the benchmarks end before anything would run them.
        std::ofstream out(m_service.FilesDir() + "\\bench_setup.exe", std::ios::binary);
        std::string block(65536, '\0');
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>('a' + i % 26);
        for (size_t left = installerBytes; left > 0;) {
            const size_t n = left < block.size() ? left : block.size();
            out.write(block.data(), static_cast<std::streamsize>(n));
            left -= n;
        }
        if (!out.flush())
            throw std::runtime_error("cannot write the served installer");
    }
    if (!m_service.Start(kCatalogue, serviceArgs))
        throw std::runtime_error("the stand-in service did not start");
    CStartOptions options;
    options.environment = {"http_proxy=http://127.0.0.1:" + std::to_string(m_service.Port()), "TMP=" + m_root,
                           "TEMP=" + m_root};
    m_app = std::make_unique<CLauncher>(options);
}

void CDownloadRig::StartDownload() {
    const CRemoteWindow check = Control(ids::kForceUpdate);
    if (check.CheckState() != BST_CHECKED) {
        check.Click();
        WaitFor("the force-update box to be ticked", [&] { return check.CheckState() == BST_CHECKED; });
    }
    m_app->TypeOrgId("bench");
    m_app->ClickInstall();
    CMessageBox box = m_app->WaitForMessageBox();
    if (box.text != texts::kConfirm)
        throw std::runtime_error("the program said \"" + box.text + "\" instead of asking to go on");
    AnswerMessageBox(box, IDYES);
    // After an abort on a silent server the download first waits for the given-up one to end
    // (up to 30 s under Wine).
    WaitFor(
        "the download progress text", [&] { return IsDownloading(); }, 60000, 1);
}

void CDownloadRig::WaitForIdle(DWORD timeoutMs) {
    WaitFor(
        "the dialog to be idle",
        [&] { return !ShownBox() && Control(ids::kInstall).IsEnabled() && Control(ids::kOrgId).IsVisible(); },
        timeoutMs);
}

bool CDownloadRig::IsDownloading() const {
    const std::string prefix = texts::kDownloadingPrefix;
    return StatusText().compare(0, prefix.size(), prefix) == 0;
}

CRemoteWindow CDownloadRig::ShownBox(bool visibleOnly) const {
    BoxSearch s{Dialog().Handle(), visibleOnly, nullptr};
    ::EnumThreadWindows(Dialog().ThreadId(), FindOwnedBox, reinterpret_cast<LPARAM>(&s));
    return CRemoteWindow(s.found);
}

} // namespace bench
