#include "framework/Wide.h"

#include <windows.h>

std::wstring Widen(const std::string& s) {
    if (s.empty())
        return std::wstring();
    int n = ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &wide[0], n);
    return wide;
}

std::string Narrow(const std::wstring& s) {
    if (s.empty())
        return std::string();
    int n =
        ::WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(n > 0 ? n : 0, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &narrow[0], n, nullptr,
                              nullptr);
    return narrow;
}
