// Which file an open handle is, as the file system tells it: two handles with the same identity
// are the same file, whatever path either was opened by.
#pragma once

#include <windows.h>

struct FileIdentity {
    DWORD volumeSerial = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    DWORD attributes = 0;

    bool SameFileAs(const FileIdentity& other) const {
        return volumeSerial == other.volumeSerial && indexHigh == other.indexHigh && indexLow == other.indexLow;
    }
};

// False when the system cannot tell (identity is then left as it was).
bool QueryFileIdentity(HANDLE file, FileIdentity& identity);
