#include "tests/e2e/matrix/UnixCommand.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "framework/Handle.h"
#include "tests/e2e/driver/Wait.h"

namespace flow {

std::string UnixPath(const std::string& windowsPath) {
    using UnixFileNameFn = char*(CDECL*)(LPCWSTR);
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    auto toUnix = kernel ? reinterpret_cast<UnixFileNameFn>(
                               reinterpret_cast<void*>(::GetProcAddress(kernel, "wine_get_unix_file_name")))
                         : nullptr;
    if (!toUnix)
        return "";
    std::wstring wide(windowsPath.size() + 1, L'\0');
    const int n =
        ::MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    if (n == 0)
        return "";
    char* unix = toUnix(wide.c_str());
    if (!unix)
        return "";
    std::string path = unix;
    // Wine allocates the answer on the process heap.
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return path;
}

bool RunUnixScript(const std::string& scriptPath, const std::string& script,
                   const std::vector<std::string>& arguments, unsigned long timeoutMs, std::string& answer) {
    const std::string outPath = scriptPath + ".out";
    ::DeleteFileA(outPath.c_str());
    // The answer is written aside and moved in place, so it is never read half-written.
    std::ofstream(scriptPath, std::ios::binary)
        << "out=\"$1\"; shift\n{\n"
        << script << "\n} > \"$out.part\" 2>&1\nmv \"$out.part\" \"$out\"\n";
    const std::string unixScript = UnixPath(scriptPath), unixOut = unixScript + ".out";
    if (unixScript.empty() || unixOut.empty()) {
        answer = "not under Wine: no Unix side to run a script on";
        return false;
    }
    std::string cmd = "/bin/sh \"" + unixScript + "\" \"" + unixOut + "\"";
    for (const std::string& a : arguments)
        cmd += " \"" + a + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        answer = "cannot start /bin/sh (error " + std::to_string(::GetLastError()) + ")";
        return false;
    }
    // Whatever Wine gives back for a Unix child is no handle to wait on.
    if (pi.hThread)
        ::CloseHandle(pi.hThread);
    if (pi.hProcess)
        ::CloseHandle(pi.hProcess);
    if (!e2e::PollUntil([&] { return ::GetFileAttributesA(outPath.c_str()) != INVALID_FILE_ATTRIBUTES; },
                        timeoutMs, 50)) {
        answer = "the Unix script said nothing within " + std::to_string(timeoutMs) + " ms";
        return false;
    }
    std::ifstream in(outPath, std::ios::binary);
    std::string line;
    answer.clear();
    while (std::getline(in, line))
        if (!line.empty())
            answer = line;
    return true;
}

} // namespace flow
