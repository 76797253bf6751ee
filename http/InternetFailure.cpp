#include "http/InternetFailure.h"

#include "framework/WinInetApi.h"

#include "framework/Text.h"

namespace {

constexpr DWORD kMaxMessage = 2047;

std::string FormatFrom(DWORD source, HMODULE module, DWORD error, DWORD language) {
    char buffer[kMaxMessage + 1] = {};
    DWORD n = ::FormatMessageA(source | FORMAT_MESSAGE_IGNORE_INSERTS, module, error, language, buffer,
                               sizeof buffer, nullptr);
    return text::Left(std::string(buffer, n), kMaxMessage);
}

} // namespace

void ThrowLastInternetError() {
    throw CInternetFailure(::GetLastError());
}

std::string InternetErrorText(DWORD error) {
    if (HMODULE wininet = WinInet().module) {
        std::string s = FormatFrom(FORMAT_MESSAGE_FROM_HMODULE, wininet, error, 0);
        if (!s.empty())
            return s;
    }
    return FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error, 0);
}

std::string SystemErrorText(DWORD error) {
    std::string s = FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error, 0x0411);
    return s.empty() ? FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error, 0) : s;
}
