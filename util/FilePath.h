// A file path split into its parts, and writing a byte block to that file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "util/FileIdentity.h"

class CFilePath {
public:
    CFilePath() = default;
    virtual ~CFilePath() = default;

    // Sets the path and splits it; a null path empties all parts. The error text is kept.
    void SetPath(const char* path);
    void SetPath(const std::string& path);
    // The running program's own file.
    void SetModulePath();

    const std::string& GetPath() const { return m_strPath; }
    const std::string& GetDrive() const { return m_strDrive; }
    const std::string& GetDir() const { return m_strDir; }
    const std::string& GetName() const { return m_strName; }
    const std::string& GetExt() const { return m_strExt; }
    const std::string& GetErrorText() const { return m_strError; }

    // create 1: the file is created or cut to length 0; otherwise the existing file is appended to.
    // A null block with size 0 only creates (or empties, or opens) the file. On failure the error
    // text explains it, except for a null block with a size, which fails without a text.
    bool WriteData(const void* data, std::uint32_t size, int create);
    // As WriteData with create 1, but the file must not exist yet: whatever appeared at the path
    // meanwhile (a file, a link to another one) fails the write instead of being cut. When given,
    // identity receives the identity of the file that this write created.
    bool WriteNewFile(const void* data, std::uint32_t size, FileIdentity* identity = nullptr);

    static bool FormatSystemError(DWORD code, std::string& text);

private:
    bool Write(const void* data, std::uint32_t size, DWORD disposition, FileIdentity* identity = nullptr);

    std::string m_strPath;
    std::string m_strDrive;
    std::string m_strDir;
    std::string m_strName;
    std::string m_strExt;
    std::string m_strError;
};
