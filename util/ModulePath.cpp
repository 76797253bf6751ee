#include "util/ModulePath.h"

#include <windows.h>

#include <vector>

std::string ModuleFilePath() {
    // MAX_PATH is enough on every system we run on; a longer path gets a larger buffer rather
    // than a silently cut one.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::vector<char> buffer(size, '\0');
        DWORD len = ::GetModuleFileNameA(nullptr, buffer.data(), size);
        if (len == 0)
            return std::string();
        if (len < size)
            return std::string(buffer.data(), len);
    }
    return std::string();
}
