#include "tests/e2e/driver/AppProcess.h"

#include <cstring>
#include <stdexcept>

#include "tests/e2e/driver/Paths.h"

namespace e2e {

namespace {

// Our environment block with the given entries added; an entry replaces one of the same name.
std::vector<char> EnvironmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> entries;
    if (char* block = ::GetEnvironmentStringsA()) {
        for (const char* p = block; *p; p += std::strlen(p) + 1)
            entries.emplace_back(p);
        ::FreeEnvironmentStringsA(block);
    }
    for (const std::string& e : extra) {
        const std::string name = e.substr(0, e.find('=') + 1);
        for (auto it = entries.begin(); it != entries.end();)
            it = _strnicmp(it->c_str(), name.c_str(), name.size()) == 0 ? entries.erase(it) : it + 1;
        entries.push_back(e);
    }
    std::vector<char> out;
    for (const std::string& e : entries)
        out.insert(out.end(), e.c_str(), e.c_str() + e.size() + 1);
    out.push_back('\0');
    return out;
}

struct TopLevelQuery {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    auto* q = reinterpret_cast<TopLevelQuery*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != q->pid || (q->visibleOnly && !::IsWindowVisible(hwnd)))
        return TRUE;
    try {
        q->found.push_back(hwnd);
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

} // namespace

CAppProcess::CAppProcess(const CStartOptions& options)
    : m_exe(options.exePath.empty() ? BuiltProgramPath() : options.exePath) {
    std::string cmd = "\"" + m_exe + "\"";
    if (!options.arguments.empty())
        cmd += " " + options.arguments;
    std::vector<char> env;
    if (!options.environment.empty())
        env = EnvironmentWith(options.environment);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(m_exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0,
                          env.empty() ? nullptr : env.data(), nullptr, &si, &pi))
        throw std::runtime_error("cannot start " + m_exe + " (error " + std::to_string(::GetLastError()) +
                                 ")");
    ::CloseHandle(pi.hThread);
    m_process.Reset(pi.hProcess);
    m_pid = pi.dwProcessId;
}

CAppProcess::~CAppProcess() {
    Terminate();
}

bool CAppProcess::IsRunning() const {
    return ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

DWORD CAppProcess::WaitForExit(DWORD timeoutMs) const {
    if (::WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0)
        throw CTimeoutError("process " + std::to_string(m_pid) + " (" + m_exe + ") to exit", timeoutMs);
    DWORD code = 0;
    ::GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

void CAppProcess::Terminate() {
    if (m_process && IsRunning()) {
        ::TerminateProcess(m_process.Get(), 255);
        ::WaitForSingleObject(m_process.Get(), 5000);
    }
}

void CAppProcess::WaitForIdle(DWORD timeoutMs) const {
    if (::WaitForInputIdle(m_process.Get(), timeoutMs) == WAIT_TIMEOUT)
        throw CTimeoutError("process " + std::to_string(m_pid) + " to wait for input", timeoutMs);
}

std::vector<CRemoteWindow> CAppProcess::TopLevelWindows(bool visibleOnly) const {
    TopLevelQuery q{m_pid, visibleOnly, {}};
    ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&q));
    return std::vector<CRemoteWindow>(q.found.begin(), q.found.end());
}

CRemoteWindow CAppProcess::WaitForWindow(const std::string& what,
                                         const std::function<bool(const CRemoteWindow&)>& match,
                                         DWORD timeoutMs) const {
    CRemoteWindow result;
    WaitFor(
        what,
        [&] {
            if (!IsRunning())
                throw std::runtime_error("process " + std::to_string(m_pid) + " ended while waiting for " +
                                         what);
            for (const CRemoteWindow& w : TopLevelWindows())
                if (match(w)) {
                    result = w;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return result;
}

CRemoteWindow CAppProcess::WaitForMainDialog(DWORD timeoutMs) const {
    return WaitForWindow(
        "the main dialog (\"#32770\", caption \"PLMOInstApp\")",
        [](const CRemoteWindow& w) {
            return !w.Owner() && w.ClassName() == "#32770" && w.Caption() == "PLMOInstApp";
        },
        timeoutMs);
}

std::vector<CRemoteWindow> CAppProcess::OwnedDialogs(const CRemoteWindow& owner) const {
    std::vector<CRemoteWindow> out;
    for (const CRemoteWindow& w : TopLevelWindows())
        if (w.Owner() == owner.Handle() && w.ClassName() == "#32770")
            out.push_back(w);
    return out;
}

CRemoteWindow CAppProcess::WaitForOwnedDialog(const CRemoteWindow& owner, DWORD timeoutMs) const {
    return WaitForWindow(
        "a dialog owned by " + owner.Describe(),
        [&](const CRemoteWindow& w) { return w.Owner() == owner.Handle() && w.ClassName() == "#32770"; },
        timeoutMs);
}

} // namespace e2e
