// A downloaded installer stays open in this program from its download until it has run, with a
// share mode that lets others read it but not write, cut, rename or delete it: nothing may swap the
// file that this elevated program is about to start, not even between its writing and its check.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "util/FileIdentity.h"
#include "util/Sha256.h"

class CInstallerHold {
public:
    // Opens path for reading, shared for reading only, and reads it back through that handle: true
    // when it is the very file the write made (written: its identity; no link, no reparse point)
    // and holds exactly the size bytes at data (compared by their SHA-256). Otherwise error is the
    // download error message saying why, and nothing is held.
    bool Acquire(const std::string& path, const FileIdentity& written, const void* data, std::uint32_t size,
                 std::string& error);

    HANDLE Handle() const { return m_file.Get(); }
    const std::string& Path() const { return m_strPath; }
    bool IsHeld() const { return m_file.IsValid(); }

private:
    bool ReadBackMatches(const Sha256Digest& expected, std::uint64_t size);

    std::string m_strPath;
    CFileHandle m_file;
};

// The holds of one install attempt: each is released once its installer has run, and whatever is
// still held goes with the attempt.
class CInstallerHolds {
public:
    void Add(CInstallerHold hold);
    void Release(const std::string& path);

private:
    std::vector<CInstallerHold> m_holds;
};
