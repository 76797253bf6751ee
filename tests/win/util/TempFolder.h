// A folder of the test's own in the temporary folder, removed with everything in it afterwards.
#pragma once

#include <windows.h>

#include <string>

class CTempFolder {
public:
    CTempFolder() {
        char temp[MAX_PATH + 1] = {};
        DWORD len = ::GetTempPathA(sizeof temp, temp);
        if (len == 0 || len >= sizeof temp)
            return;
        static int serial = 0;
        std::string path = std::string(temp) + "plmo_util_" + std::to_string(::GetCurrentProcessId()) + "_" +
                           std::to_string(++serial);
        if (::CreateDirectoryA(path.c_str(), nullptr))
            m_path = path;
    }
    ~CTempFolder() {
        if (!m_path.empty())
            RemoveTree(m_path);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    bool IsValid() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

private:
    static void RemoveTree(const std::string& dir) {
        WIN32_FIND_DATAA found;
        HANDLE find = ::FindFirstFileA((dir + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..")
                    continue;
                std::string full = dir + "\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(full);
                else
                    ::DeleteFileA(full.c_str());
            } while (::FindNextFileA(find, &found));
            ::FindClose(find);
        }
        ::RemoveDirectoryA(dir.c_str());
    }

    std::string m_path;
};
