// A folder of the test's own below the temporary folder, removed with all its files at the end,
// and small file helpers for the worker and install tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

inline std::string TempRoot() {
    char buffer[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, buffer);
    return buffer;
}

class CTestFolder {
public:
    explicit CTestFolder(const char* tag) {
        static int counter = 0;
        std::string root = TempRoot();
        // Never the temporary folder itself: always a fresh folder below it.
        m_path = root + "plmo-" + tag + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
                 std::to_string(++counter) + "\\";
        ::CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~CTestFolder() { RemoveTree(m_path); }
    CTestFolder(const CTestFolder&) = delete;
    CTestFolder& operator=(const CTestFolder&) = delete;

    // Ends with a backslash, as the system gives the temporary folder.
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

private:
    static void RemoveTree(const std::string& dir) {
        WIN32_FIND_DATAA fd;
        HANDLE h = ::FindFirstFileA((dir + "*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string name = fd.cFileName;
                if (name == "." || name == "..")
                    continue;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(dir + name + "\\");
                else
                    ::DeleteFileA((dir + name).c_str());
            } while (::FindNextFileA(h, &fd));
            ::FindClose(h);
        }
        ::RemoveDirectoryA(dir.c_str());
    }

    std::string m_path;
};

inline bool FileExists(const std::string& path) {
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string ReadFileBytes(const std::string& path) {
    std::string data;
    HANDLE h =
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return data;
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(h, buffer, sizeof(buffer), &n, nullptr) && n > 0)
        data.append(buffer, n);
    ::CloseHandle(h);
    return data;
}

inline bool WriteFileBytes(const std::string& path, const std::string& data) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD n = 0;
    bool ok = ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &n, nullptr) && n == data.size();
    ::CloseHandle(h);
    return ok;
}

// The folder of the running test program; the tools are built next to it.
inline std::string ProgramFolder() {
    char buffer[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path = buffer;
    return path.substr(0, path.find_last_of('\\') + 1);
}
