#include "framework/SystemLibrary.h"

#include <string>

CSystemLibrary::CSystemLibrary(const char* fileName) {
    char dir[MAX_PATH] = {};
    UINT n = ::GetSystemDirectoryA(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    std::string path(dir, n);
    if (path.back() != '\\')
        path += '\\';
    path += fileName;
    // With a full path the search order does not matter; the altered search keeps the DLL's own
    // dependencies next to it (in the system folder) too.
    m_module.Reset(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void RestrictDllSearchToSystemFolder() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    auto set = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                            reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                      : nullptr;
    if (set)
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The current directory is no place to look for DLLs either.
    ::SetDllDirectoryA("");
}
