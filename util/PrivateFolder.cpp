#include "util/PrivateFolder.h"

#include <ntsecapi.h>
#include <sddl.h>

#include <cstring>

#include "framework/Text.h"
#include "framework/Wide.h"
#include "util/SystemError.h"

namespace {

// Owner and group Administrators; a protected list (P) of full control for SYSTEM and
// Administrators, inherited by every file and folder made inside (OICI).
const char* const kFolderSecurity = "O:BAG:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
// A name collision among 2^64 names means somebody made the names on purpose; a few are enough.
const int kNameTries = 8;

std::string RandomName() {
    unsigned char bytes[8] = {};
    if (!RtlGenRandom(bytes, sizeof bytes)) {
        // Only unpredictability is lost: the folder is still made new or not at all.
        LARGE_INTEGER counter;
        ::QueryPerformanceCounter(&counter);
        DWORD mixed[2] = {counter.LowPart ^ ::GetCurrentProcessId(), counter.HighPart ^ ::GetTickCount()};
        std::memcpy(bytes, mixed, sizeof bytes);
    }
    std::string name = "PLMO-";
    for (unsigned char b : bytes)
        name += text::Format("%02x", b);
    return name;
}

std::string FolderError(const std::string& path, DWORD code) {
    std::string reason;
    FormatSystemError(code, reason);
    return text::Format("作業フォルダを作成できません：%s\r\n", path.c_str()) + reason;
}

// Everything below dir (wide, with a trailing backslash); dir itself stays.
void RemoveContents(const std::wstring& dir) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((dir + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = dir + name;
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        const DWORD attributes = found.dwFileAttributes;
        bool removed;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A junction or a directory link goes as itself; what it points to is not ours.
            if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveContents(path + L"\\");
            removed = ::RemoveDirectoryW(path.c_str()) != 0;
        } else {
            removed = ::DeleteFileW(path.c_str()) != 0;
        }
        if (!removed)
            ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

} // namespace

std::string CPrivateFolder::SystemTempRoot() {
    // Not %SystemRoot% nor %TEMP%: the environment is the user's to set.
    char windows[MAX_PATH + 1] = {};
    UINT n = ::GetSystemWindowsDirectoryA(windows, MAX_PATH);
    if (n == 0 || n > MAX_PATH)
        return std::string();
    std::string root(windows, n);
    if (root.back() != '\\')
        root += '\\';
    return root + "Temp\\";
}

bool CPrivateFolder::FolderSecurity(CLocalMem& descriptor) {
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(kFolderSecurity, SDDL_REVISION_1, &made, nullptr))
        return false;
    descriptor.Reset(made);
    return true;
}

bool CPrivateFolder::Create(std::string& error, const std::string& parentDir) {
    Remove();
    std::string parent = parentDir.empty() ? SystemTempRoot() : parentDir;
    if (parent.empty()) {
        error = FolderError("Temp", ::GetLastError());
        return false;
    }
    CLocalMem descriptor;
    if (!FolderSecurity(descriptor)) {
        error = FolderError(parent, ::GetLastError());
        return false;
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
    std::string path;
    DWORD code = ERROR_ALREADY_EXISTS;
    for (int i = 0; i < kNameTries && code == ERROR_ALREADY_EXISTS; ++i) {
        path = parent + RandomName();
        // Made new or not at all: a folder that somebody else made is never entered.
        code = ::CreateDirectoryA(path.c_str(), &attributes) ? ERROR_SUCCESS : ::GetLastError();
    }
    if (code != ERROR_SUCCESS) {
        error = FolderError(path, code);
        return false;
    }
    m_folder.Reset(::CreateFileA(path.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!m_folder) {
        code = ::GetLastError();
        ::RemoveDirectoryA(path.c_str());
        error = FolderError(path, code);
        return false;
    }
    m_strPath = path + "\\";
    return true;
}

void CPrivateFolder::Remove() {
    if (m_strPath.empty())
        return;
    const std::wstring dir = Widen(m_strPath);
    m_folder.Reset();
    m_strPath.clear();
    RemoveContents(dir);
    const std::wstring folder = dir.substr(0, dir.size() - 1);
    if (!::RemoveDirectoryW(folder.c_str()))
        ::MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
