// A folder of one install attempt's own under the Windows folder's Temp, which only
// administrators and the system can write: the installers are downloaded, held, checked, started
// and removed there, and what they unpack lands there too. The user's temporary folder is the
// user's: any program of the user could re-point it, or plant files beside an installer, between
// the check and the start.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handle.h"

class CPrivateFolder {
public:
    CPrivateFolder() = default;
    // Takes the folder and everything in it away.
    ~CPrivateFolder() { Remove(); }
    CPrivateFolder(const CPrivateFolder&) = delete;
    CPrivateFolder& operator=(const CPrivateFolder&) = delete;

    // Makes a new folder with a random name in parent (empty: the Windows folder's Temp), never
    // one that exists already, with an access list of its own that nothing is inherited into:
    // SYSTEM and Administrators have full control, nobody else any entry; Administrators own it.
    // False with error naming the folder and the system's reason.
    bool Create(std::string& error, const std::string& parent = std::string());

    // With a trailing backslash; empty until made and after removal.
    const std::string& Path() const { return m_strPath; }
    bool IsMade() const { return !m_strPath.empty(); }

    // Removes what is in the folder, and the folder. Links inside are removed, never followed.
    // What is still in use is left to the next restart to remove.
    void Remove();

    // The Windows folder's Temp, with a trailing backslash, from the system, not the environment.
    static std::string SystemTempRoot();
    // The security the folder is made with (self-relative); false with the thread's last error.
    static bool FolderSecurity(CLocalMem& descriptor);

private:
    std::string m_strPath;
    // Open without delete sharing while the attempt runs: the folder cannot be renamed away.
    CFileHandle m_folder;
};
