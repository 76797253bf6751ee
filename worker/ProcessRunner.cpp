#include "worker/ProcessRunner.h"

#include <cstring>
#include <cwctype>

#include "framework/Handle.h"
#include "framework/Text.h"
#include "framework/Wide.h"
#include "util/StartKind.h"
#include "util/SystemError.h"
#include "worker/MessagePump.h"

namespace {

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

// What to start for file, and its whole command line; false with the thread's last error set.
bool ComposeStart(const std::string& file, const std::string& parameters, std::wstring& application,
                  std::wstring& commandLine) {
    const std::wstring path = Widen(file);
    const std::wstring tail = parameters.empty() ? std::wstring() : L" " + Widen(parameters);
    switch (StartKindOf(file)) {
    case StartKind::Program:
        application = path;
        commandLine = Quoted(path) + tail;
        return true;
    case StartKind::Package: {
        wchar_t system[MAX_PATH + 1] = {};
        UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
        if (n == 0 || n > MAX_PATH)
            return false;
        application = std::wstring(system, n) + L"\\msiexec.exe";
        commandLine = Quoted(application) + L" /i " + Quoted(path) + tail;
        return true;
    }
    case StartKind::None:
        break;
    }
    // What the shell reports for a file that no program is associated with.
    ::SetLastError(ERROR_NO_ASSOCIATION);
    return false;
}

std::wstring WorkFolderWithoutSlash(const std::string& dir) {
    std::wstring folder = Widen(dir);
    if (folder.size() > 3 && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

bool IsTempVariable(const wchar_t* entry) {
    auto starts = [&](const wchar_t* name) {
        size_t i = 0;
        for (; name[i]; ++i)
            if (std::towupper(entry[i]) != name[i])
                return false;
        return entry[i] == L'=';
    };
    return starts(L"TEMP") || starts(L"TMP");
}

// This process's environment with TEMP and TMP both set to folder, as a block for a new process.
std::wstring EnvironmentWithTemp(const std::wstring& folder) {
    std::wstring block;
    if (wchar_t* current = ::GetEnvironmentStringsW()) {
        for (const wchar_t* entry = current; *entry; entry += std::wcslen(entry) + 1) {
            if (!IsTempVariable(entry)) {
                block += entry;
                block += L'\0';
            }
        }
        ::FreeEnvironmentStringsW(current);
    }
    block += L"TEMP=" + folder + L'\0';
    block += L"TMP=" + folder + L'\0';
    block += L'\0';
    return block;
}

} // namespace

CProcessRunner::CProcessRunner() {
    std::memset(m_szError, 0, sizeof(m_szError));
}

void CProcessRunner::SetErrorFromSystem(DWORD code) {
    std::string message;
    // Without a text of its own the system leaves the earlier one standing.
    if (!FormatSystemError(code, message) || message.empty())
        return;
    // Cut at a whole character.
    message = text::Left(message, kErrorTextChars);
    std::memcpy(m_szError, message.data(), message.size());
    m_szError[message.size()] = '\0';
}

bool CProcessRunner::RunProgram(const std::string& file, const std::string& parameters, int show, HWND,
                                bool noWait, HANDLE* process) {
    try {
        std::wstring application, commandLine;
        if (!ComposeStart(file, parameters, application, commandLine)) {
            SetErrorFromSystem(::GetLastError());
            return false;
        }
        const std::wstring folder = WorkFolderWithoutSlash(m_strWorkFolder);
        std::wstring environment;
        if (!folder.empty())
            environment = EnvironmentWithTemp(folder);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(show);
        PROCESS_INFORMATION started{};
        BOOL ok = ::CreateProcessW(application.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                                   CREATE_UNICODE_ENVIRONMENT, environment.empty() ? nullptr : &environment[0],
                                   folder.empty() ? nullptr : folder.c_str(), &startup, &started);
        if (!ok) {
            SetErrorFromSystem(::GetLastError());
            return false;
        }
        CKernelHandle thread(started.hThread), handle(started.hProcess);
        if (process && !noWait)
            *process = handle.Release();
        return true;
    } catch (...) {
        return false;
    }
}

bool CProcessRunner::RunAndWait(const std::string& file, const std::string& parameters, int show, HWND owner,
                                DWORD* exitCode, int pumpFlag, HWND pumpFilter) {
    HANDLE raw = nullptr;
    if (!RunProgram(file, parameters, show, owner, false, &raw))
        return false;
    CKernelHandle process(raw);
    if (!process)
        return true;
    for (;;) {
        DWORD r = ::WaitForSingleObject(process.Get(), kPumpSliceMs);
        if (r == WAIT_OBJECT_0 || r == WAIT_FAILED)
            break;
        if (pumpFlag == 1)
            PumpWaitMessages(pumpFilter);
    }
    DWORD code = 0;
    if (!::GetExitCodeProcess(process.Get(), &code))
        code = 0;
    if (exitCode)
        *exitCode = code;
    return true;
}
