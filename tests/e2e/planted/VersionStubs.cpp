// The version.dll functions the program binds, and their wide forms (which Wine's own user32.dll
// imports), so that a process that took the planted copy goes on running and fails to read any
// version, rather than stopping at a missing entry.
#include <windows.h>

extern "C" {

__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR, LPDWORD handle) {
    if (handle)
        *handle = 0;
    ::SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return 0;
}

__declspec(dllexport) BOOL WINAPI GetFileVersionInfoA(LPCSTR, DWORD, DWORD, LPVOID) {
    ::SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
}

__declspec(dllexport) BOOL WINAPI VerQueryValueA(LPCVOID, LPCSTR, LPVOID* value, PUINT size) {
    if (value)
        *value = nullptr;
    if (size)
        *size = 0;
    return FALSE;
}

__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR, LPDWORD handle) {
    return GetFileVersionInfoSizeA(nullptr, handle);
}

__declspec(dllexport) BOOL WINAPI GetFileVersionInfoW(LPCWSTR, DWORD, DWORD, LPVOID) {
    return GetFileVersionInfoA(nullptr, 0, 0, nullptr);
}

__declspec(dllexport) BOOL WINAPI VerQueryValueW(LPCVOID, LPCWSTR, LPVOID* value, PUINT size) {
    return VerQueryValueA(nullptr, nullptr, value, size);
}

} // extern "C"
