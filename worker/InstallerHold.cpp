#include "worker/InstallerHold.h"

#include <algorithm>
#include <vector>

#include "framework/Resources.h"
#include "framework/Text.h"
#include "service/ServiceText.h"
#include "util/StringIds.h"
#include "util/SystemError.h"

namespace {

std::string DownloadError(UINT detailId, const std::string& path, const std::string& reason = std::string()) {
    return service::FillMessage(LoadResString(IDS_ERR_DOWNLOAD),
                                text::Format(LoadResString(detailId).c_str(), path.c_str()) + reason);
}

} // namespace

bool CInstallerHold::Acquire(const std::string& path, const FileIdentity& written, const void* data,
                             std::uint32_t size, std::string& error) {
    m_strPath = path;
    // No write, no delete sharing: while this handle is open nobody can open the file to change,
    // rename or delete it, and the installer's own process may still map and read it. Opening
    // fails while anybody else holds it for writing, which is as good as a change. A reparse point
    // is opened as itself, never followed, so that it cannot lead the hold to another file.
    m_file.Reset(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT,
                               nullptr));
    if (!m_file) {
        std::string reason;
        FormatSystemError(::GetLastError(), reason);
        error = DownloadError(IDS_INSTALLER_UNPROTECTED, path, "\r\n" + reason);
        return false;
    }
    // Held first, judged after: what is checked now can no longer change. The path was let go
    // between the writing and this open, so the file must still be the one the write made.
    FileIdentity held;
    if (!QueryFileIdentity(m_file.Get(), held) || (held.attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !held.SameFileAs(written)) {
        m_file.Reset();
        error = DownloadError(IDS_INSTALLER_CHANGED, path);
        return false;
    }
    Sha256Digest expected;
    if (!Sha256Of(data, size, expected)) {
        m_file.Reset();
        error = DownloadError(IDS_INSTALLER_UNPROTECTED, path, "\r\nSHA-256");
        return false;
    }
    if (!ReadBackMatches(expected, size)) {
        m_file.Reset();
        error = DownloadError(IDS_INSTALLER_CHANGED, path);
        return false;
    }
    return true;
}

bool CInstallerHold::ReadBackMatches(const Sha256Digest& expected, std::uint64_t size) {
    LARGE_INTEGER length{};
    if (::GetFileType(m_file.Get()) != FILE_TYPE_DISK || !::GetFileSizeEx(m_file.Get(), &length) ||
        static_cast<std::uint64_t>(length.QuadPart) != size)
        return false;
    CSha256 sha;
    if (!sha.Begin())
        return false;
    std::vector<char> block(1 << 16);
    std::uint64_t left = size;
    while (left > 0) {
        DWORD got = 0;
        if (!::ReadFile(m_file.Get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr) ||
            got == 0 || got > left || !sha.Update(block.data(), got))
            return false;
        left -= got;
    }
    Sha256Digest actual;
    return sha.Finish(actual) && actual == expected;
}

void CInstallerHolds::Add(CInstallerHold hold) {
    m_holds.push_back(std::move(hold));
}

void CInstallerHolds::Release(const std::string& path) {
    m_holds.erase(std::remove_if(m_holds.begin(), m_holds.end(),
                                 [&](const CInstallerHold& hold) { return hold.Path() == path; }),
                  m_holds.end());
}
