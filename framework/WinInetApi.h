// The internet library's functions, taken from the system folder's wininet.dll at first use.
// wininet.dll is not one of the DLLs the system protects, so the elevated program never imports
// it: a copy planted beside the program is never loaded.
#pragma once

#include <windows.h>
#include <wininet.h>

struct WinInetApi {
    HMODULE module = nullptr; // for the library's own message texts
    decltype(&::InternetCanonicalizeUrlA) InternetCanonicalizeUrlA = nullptr;
    decltype(&::InternetCrackUrlA) InternetCrackUrlA = nullptr;
    decltype(&::InternetOpenA) InternetOpenA = nullptr;
    decltype(&::InternetSetStatusCallbackA) InternetSetStatusCallbackA = nullptr;
    decltype(&::InternetSetOptionA) InternetSetOptionA = nullptr;
    decltype(&::InternetSetOptionExA) InternetSetOptionExA = nullptr;
    decltype(&::InternetQueryOptionA) InternetQueryOptionA = nullptr;
    decltype(&::InternetConnectA) InternetConnectA = nullptr;
    decltype(&::HttpOpenRequestA) HttpOpenRequestA = nullptr;
    decltype(&::HttpAddRequestHeadersA) HttpAddRequestHeadersA = nullptr;
    decltype(&::HttpSendRequestA) HttpSendRequestA = nullptr;
    decltype(&::HttpQueryInfoA) HttpQueryInfoA = nullptr;
    decltype(&::InternetReadFile) InternetReadFile = nullptr;
    decltype(&::InternetCloseHandle) InternetCloseHandle = nullptr;
    bool ok = false;
};

// Loaded once per process and kept loaded until the process ends (never freed, not even with the
// statics); ok is false when the DLL or one of its exports is missing.
const WinInetApi& WinInet();
