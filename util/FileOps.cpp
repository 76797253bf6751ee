#include "util/FileOps.h"

#include <windows.h>
#include <shlwapi.h>

int IsExistingFile(const std::string& path) {
    return ::PathFileExistsA(path.c_str()) && !::PathIsDirectoryA(path.c_str()) ? 1 : 0;
}

int RemoveFile(const std::string& path) {
    return ::DeleteFileA(path.c_str()) ? 1 : 0;
}
