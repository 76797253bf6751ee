// A failure of the internet library, raised where a call fails and caught by the request that
// made it. It carries the error code taken at that moment and the library's message for it.
#pragma once

#include <windows.h>

#include <string>

class CInternetFailure {
public:
    explicit CInternetFailure(DWORD error) : m_dwError(error) {}
    DWORD m_dwError;
};

// Raises the calling thread's last error as a CInternetFailure.
[[noreturn]] void ThrowLastInternetError();

// The internet library's message for an error code (the system's when the library has none), in
// the user's language, at most 2047 characters, trailing line break kept. Empty when neither knows it.
std::string InternetErrorText(DWORD error);

// The system's message for an error code in Japanese, or in the default language when there is none.
std::string SystemErrorText(DWORD error);
