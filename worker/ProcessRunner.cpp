#include "worker/ProcessRunner.h"

#include <shellapi.h>

#include <cstring>

#include "framework/Handle.h"
#include "framework/Text.h"
#include "util/SystemError.h"
#include "worker/MessagePump.h"

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

bool CProcessRunner::RunProgram(const std::string& file, const std::string& parameters, int show, HWND owner,
                                bool noWait, HANDLE* process) {
    try {
        SHELLEXECUTEINFOA sei;
        std::memset(&sei, 0, sizeof(sei));
        sei.cbSize = sizeof(sei);
        sei.fMask = SEE_MASK_FLAG_NO_UI | (noWait ? 0 : SEE_MASK_NOCLOSEPROCESS);
        sei.hwnd = owner;
        sei.lpFile = file.c_str();
        sei.lpParameters = parameters.c_str();
        sei.nShow = show;
        BOOL ok = ::ShellExecuteExA(&sei);
        DWORD error = ::GetLastError();
        CKernelHandle handle(noWait ? nullptr : sei.hProcess);
        if (!ok || reinterpret_cast<INT_PTR>(sei.hInstApp) <= 32) {
            SetErrorFromSystem(error);
            return false;
        }
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
