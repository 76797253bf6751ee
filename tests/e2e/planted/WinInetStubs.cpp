// The wininet.dll functions the program binds, each failing as an internet library would that
// cannot reach anything, so that a program that took the planted copy would say so instead of
// stopping at a missing entry.
#include <windows.h>

namespace {
const DWORD kInternalError = 12004; // ERROR_INTERNET_INTERNAL_ERROR

BOOL Fail() {
    ::SetLastError(kInternalError);
    return FALSE;
}
} // namespace

extern "C" {

__declspec(dllexport) BOOL WINAPI InternetCanonicalizeUrlA(LPCSTR, LPSTR, LPDWORD, DWORD) {
    return Fail();
}
__declspec(dllexport) BOOL WINAPI InternetCrackUrlA(LPCSTR, DWORD, DWORD, void*) {
    return Fail();
}
__declspec(dllexport) void* WINAPI InternetOpenA(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD) {
    Fail();
    return nullptr;
}
__declspec(dllexport) void* WINAPI InternetSetStatusCallbackA(void*, void*) {
    return nullptr;
}
__declspec(dllexport) BOOL WINAPI InternetSetOptionA(void*, DWORD, LPVOID, DWORD) {
    return Fail();
}
__declspec(dllexport) BOOL WINAPI InternetSetOptionExA(void*, DWORD, LPVOID, DWORD, DWORD) {
    return Fail();
}
__declspec(dllexport) BOOL WINAPI InternetQueryOptionA(void*, DWORD, LPVOID, LPDWORD) {
    return Fail();
}
__declspec(dllexport) void* WINAPI
    InternetConnectA(void*, LPCSTR, WORD, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR) {
    Fail();
    return nullptr;
}
__declspec(dllexport) void* WINAPI
    HttpOpenRequestA(void*, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR*, DWORD, DWORD_PTR) {
    Fail();
    return nullptr;
}
__declspec(dllexport) BOOL WINAPI HttpAddRequestHeadersA(void*, LPCSTR, DWORD, DWORD) {
    return Fail();
}
__declspec(dllexport) BOOL WINAPI HttpSendRequestA(void*, LPCSTR, DWORD, LPVOID, DWORD) {
    return Fail();
}
__declspec(dllexport) BOOL WINAPI HttpQueryInfoA(void*, DWORD, LPVOID, LPDWORD, LPDWORD) {
    return Fail();
}
__declspec(dllexport) BOOL WINAPI InternetReadFile(void*, LPVOID, DWORD, LPDWORD read) {
    if (read)
        *read = 0;
    return Fail();
}
__declspec(dllexport) BOOL WINAPI InternetCloseHandle(void*) {
    return TRUE;
}

} // extern "C"
