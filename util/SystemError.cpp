#include "util/SystemError.h"

#include "framework/Handle.h"

bool FormatSystemError(DWORD code, std::string& text) {
    char* buffer = nullptr;
    DWORD len = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0, nullptr);
    CLocalMem owner(buffer);
    if (len == 0 || buffer == nullptr || buffer[0] == '\0')
        return false;
    text.assign(buffer, len);
    return true;
}
