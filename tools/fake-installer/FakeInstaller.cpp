// A stand-in for a real installer, for tests and trials: it logs that it ran, shows a small
// window for a while, may record an installed version in the registry, and ends with the exit code
// it was told. Its settings come from "<own path>.ini" or, when that is missing, from the file
// that PLMO_FAKE_INSTALLER_INI names; each key is looked up in the section named after the
// program's own file name first, then in [fake]:
//
//   WaitMs=1000        how long it runs
//   Window=1           show its window while it runs (0: none)
//   ExitCode=0         the exit code
//   Log=path           append a start and an end line here (default: PLMO_FAKE_INSTALLER_LOG)
//   RegValue=Version   with RegData=1.2.3.4: written to HKLM\SOFTWARE\Tavin\PLMOlb\KorvenalisClient
//
// Log lines, tab-separated: "start", UTC time in 100 ns units, process id, own path, parameters,
// current folder, TEMP and TMP (where whatever it unpacked would land); then "end", time, process id, exit code, and how many bytes of its own file it could read at its
// start, as installers that carry their payload in their own file do (-1: it could not open it).
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

const char* const kInstalledKey = "SOFTWARE\\Tavin\\PLMOlb\\KorvenalisClient";
const UINT_PTR kDoneTimer = 1;

std::string ModulePath() {
    char buffer[MAX_PATH + 1] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::string(buffer, n);
}

std::string Env(const char* name) {
    char buffer[2048] = {};
    DWORD n = ::GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    return (n > 0 && n < sizeof(buffer)) ? std::string(buffer, n) : std::string();
}

long long ReadableBytes(const std::string& path) {
    HANDLE file =
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    long long total = 0;
    char block[65536];
    DWORD got = 0;
    while (::ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        total += got;
    ::CloseHandle(file);
    return total;
}

bool FileExists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class Settings {
public:
    Settings(const std::string& self) {
        m_file = self + ".ini";
        if (!FileExists(m_file))
            m_file = Env("PLMO_FAKE_INSTALLER_INI");
        size_t slash = self.find_last_of("\\/");
        m_section = slash == std::string::npos ? self : self.substr(slash + 1);
    }

    std::string Text(const char* key, const std::string& fallback) const {
        if (m_file.empty())
            return fallback;
        std::string value;
        if (Read(m_section.c_str(), key, value) || Read("fake", key, value))
            return value;
        return fallback;
    }
    int Number(const char* key, int fallback) const {
        std::string value = Text(key, "");
        return value.empty() ? fallback : std::atoi(value.c_str());
    }

private:
    bool Read(const char* section, const char* key, std::string& value) const {
        const char* missing = "\x01";
        char buffer[1024] = {};
        ::GetPrivateProfileStringA(section, key, missing, buffer, sizeof(buffer), m_file.c_str());
        if (std::string(buffer) == missing)
            return false;
        value = buffer;
        return true;
    }

    std::string m_file;
    std::string m_section;
};

std::string Now() {
    FILETIME ft;
    ::GetSystemTimeAsFileTime(&ft);
    unsigned long long t = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return std::to_string(t);
}

void AppendLog(const std::string& path, const std::string& line) {
    if (path.empty())
        return;
    HANDLE h = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\r\n";
    DWORD written = 0;
    ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(h);
}

void WriteInstalledVersion(const std::string& value, const std::string& data) {
    if (value.empty())
        return;
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstalledKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>(data.size() + 1));
    ::RegCloseKey(key);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        if (wp == kDoneTimer) {
            ::KillTimer(hwnd, kDoneTimer);
            ::DestroyWindow(hwnd);
        }
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(hwnd, msg, wp, lp);
    }
}

void ShowWhileRunning(HINSTANCE instance, int show, DWORD ms, const std::string& what) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "PLMOFakeInstaller";
    ::RegisterClassA(&wc);
    HWND hwnd =
        ::CreateWindowExA(0, wc.lpszClassName, "Fake installer", WS_OVERLAPPED | WS_CAPTION, CW_USEDEFAULT,
                          CW_USEDEFAULT, 360, 110, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        ::Sleep(ms);
        return;
    }
    ::CreateWindowExA(0, "STATIC", what.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 24, 330, 20, hwnd,
                      nullptr, instance, nullptr);
    ::ShowWindow(hwnd, show == SW_HIDE ? SW_SHOWNORMAL : show);
    ::SetTimer(hwnd, kDoneTimer, ms ? ms : 1, nullptr);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int show) {
    const std::string self = ModulePath();
    const Settings settings(self);
    const std::string log = settings.Text("Log", Env("PLMO_FAKE_INSTALLER_LOG"));
    const int waitMs = settings.Number("WaitMs", 1000);
    const int exitCode = settings.Number("ExitCode", 0);
    const std::string regValue = settings.Text("RegValue", "");
    const std::string regData = settings.Text("RegData", "");
    const std::string pid = std::to_string(::GetCurrentProcessId());
    const long long selfBytes = ReadableBytes(self);

    char folder[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryA(MAX_PATH, folder);
    AppendLog(log, "start\t" + Now() + "\t" + pid + "\t" + self + "\t" + (cmdLine ? cmdLine : "") + "\t" +
                       folder + "\t" + Env("TEMP") + "\t" + Env("TMP"));
    if (settings.Number("Window", 1) != 0)
        ShowWhileRunning(instance, show, static_cast<DWORD>(waitMs), "Installing " + regData + " ...");
    else
        ::Sleep(static_cast<DWORD>(waitMs));
    WriteInstalledVersion(regValue, regData);
    AppendLog(log, "end\t" + Now() + "\t" + pid + "\t" + std::to_string(exitCode) + "\t" +
                       std::to_string(selfBytes));
    return exitCode;
}
