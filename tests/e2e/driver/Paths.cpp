#include "tests/e2e/driver/Paths.h"

#include <windows.h>

#include <stdexcept>

namespace e2e {

namespace {

std::string ParentOf(const std::string& dir) { // dir ends with a backslash
    size_t end = dir.find_last_not_of("\\/");
    size_t cut = end == std::string::npos ? std::string::npos : dir.find_last_of("\\/", end);
    if (cut == std::string::npos)
        throw std::runtime_error("no parent folder for " + dir);
    return dir.substr(0, cut + 1);
}

} // namespace

std::string ProgramDir() {
    char path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        throw std::runtime_error("GetModuleFileName failed");
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

std::string BuiltProgramPath() {
    return ProgramDir() + "PLMOInstApp.exe";
}

std::string ScreenshotDir() {
    std::string dir = ParentOf(ParentOf(ProgramDir())) + "screenshots\\";
    if (!::CreateDirectoryA(dir.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        throw std::runtime_error("cannot create " + dir);
    return dir;
}

} // namespace e2e
