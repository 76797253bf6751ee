// A DLL that someone left in a Downloads folder under a system DLL's name. It does nothing but
// leave a mark: when a process loads it, it writes "<its file name>.planted" beside itself, so
// a test sees from outside whether the program took it instead of the system's copy.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char path[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameA(instance, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return TRUE;
    const std::string marker = std::string(path, n) + ".planted";
    HANDLE file = ::CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char line[32];
        const int len = wsprintfA(line, "%lu\r\n", ::GetCurrentProcessId());
        DWORD written = 0;
        ::WriteFile(file, line, static_cast<DWORD>(len), &written, nullptr);
        ::CloseHandle(file);
    }
    return TRUE;
}
