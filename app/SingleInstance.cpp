#include "app/SingleInstance.h"

#include <tlhelp32.h>

#include <cstring>

#include "framework/Handle.h"

namespace {
HWND FindAppWindowOf(DWORD processId) {
    for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (::GetWindow(w, GW_OWNER) || !::IsWindowVisible(w))
            continue;
        if (!(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_APPWINDOW))
            continue;
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        if (owner == processId)
            return w;
    }
    return nullptr;
}
} // namespace

HWND FindRunningInstanceWindow(const std::string& name, int skipOwn, DWORD processId) {
    if (name.empty())
        return nullptr;
    CFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return nullptr;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot.Get(), &entry); more;
         more = ::Process32Next(snapshot.Get(), &entry)) {
        if (std::strncmp(entry.szExeFile, name.c_str(), name.size()) != 0)
            continue;
        if (skipOwn == 1 && entry.th32ProcessID == processId)
            continue;
        // Only the first matching process is examined, window or not.
        return FindAppWindowOf(entry.th32ProcessID);
    }
    return nullptr;
}

bool BringWindowToFront(HWND window) {
    if (!window)
        return false;
    DWORD foregroundThread = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
    DWORD windowThread = ::GetWindowThreadProcessId(window, nullptr);
    ::AttachThreadInput(windowThread, foregroundThread, TRUE);
    DWORD saved = 0;
    ::SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &saved, 0);
    ::SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    ::SetForegroundWindow(window);
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                            reinterpret_cast<PVOID>(static_cast<UINT_PTR>(saved)), 0);
    ::AttachThreadInput(windowThread, foregroundThread, FALSE);
    return true;
}
