#include "util/FilePath.h"

#include "framework/Handle.h"
#include "framework/Text.h"
#include "util/ModulePath.h"
#include "util/PathParts.h"
#include "util/SystemError.h"

namespace {

// A write error's text, bounded like the fixed message buffer it stands for.
std::string WriteErrorText(DWORD code) {
    std::string message;
    if (!::FormatSystemError(code, message))
        message = text::Format("file write error %lu", static_cast<unsigned long>(code));
    return text::Left(message, 1023);
}

} // namespace

void CFilePath::SetPath(const char* path) {
    m_strPath.clear();
    m_strDrive.clear();
    m_strDir.clear();
    m_strName.clear();
    m_strExt.clear();
    if (path == nullptr)
        return;
    m_strPath = path;
    PathParts parts = SplitPath(m_strPath);
    m_strDrive = std::move(parts.drive);
    m_strDir = std::move(parts.dir);
    m_strName = std::move(parts.name);
    m_strExt = std::move(parts.ext);
}

void CFilePath::SetPath(const std::string& path) {
    // The system sees a path only up to its first zero byte, so that is the path we hold.
    SetPath(path.c_str());
}

void CFilePath::SetModulePath() {
    SetPath(ModuleFilePath());
}

bool CFilePath::FormatSystemError(DWORD code, std::string& text) {
    return ::FormatSystemError(code, text);
}

bool CFilePath::WriteData(const void* data, std::uint32_t size, int create) {
    return Write(data, size, create == 1 ? CREATE_ALWAYS : OPEN_EXISTING);
}

bool CFilePath::WriteNewFile(const void* data, std::uint32_t size, FileIdentity* written) {
    return Write(data, size, CREATE_NEW, written);
}

bool CFilePath::Write(const void* data, std::uint32_t size, DWORD disposition, FileIdentity* identity) {
    if (data == nullptr && size != 0)
        return false;

    CFileHandle file(::CreateFileA(m_strPath.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        FormatSystemError(::GetLastError(), m_strError);
        return false;
    }
    if (disposition == OPEN_EXISTING) {
        LARGE_INTEGER zero{};
        if (!::SetFilePointerEx(file.Get(), zero, nullptr, FILE_END)) {
            m_strError = WriteErrorText(::GetLastError());
            return false;
        }
    }

    const char* p = static_cast<const char*>(data);
    std::uint32_t left = size;
    while (left > 0) {
        DWORD written = 0;
        if (!::WriteFile(file.Get(), p, left, &written, nullptr) || written == 0) {
            DWORD code = ::GetLastError();
            m_strError = WriteErrorText(code == ERROR_SUCCESS ? ERROR_WRITE_FAULT : code);
            return false;
        }
        p += written;
        left -= written;
    }
    if (identity && !QueryFileIdentity(file.Get(), *identity)) {
        m_strError = WriteErrorText(::GetLastError());
        return false;
    }
    return true;
}
