// Starts installers by their explicit path, never through the shell, and waits for them on the
// calling thread, pumping messages between 50 ms waits. Keeps the system's text for the last start
// that failed.
#pragma once

#include <windows.h>

#include <string>

class CProcessRunner {
public:
    enum { kErrorTextChars = 4096 };

    CProcessRunner();
    virtual ~CProcessRunner() = default;

    // Where the programs started from now on work: their current folder, and their TEMP and TMP,
    // so that what they unpack stays there too. Empty (the default): as this process.
    void SetWorkFolder(const std::string& dir) { m_strWorkFolder = dir; }

    // Starts file with parameters: a program (.exe) itself, a package (.msi) by the system folder's
    // msiexec; any other file is refused as one that has no program to open it. The shell is never
    // asked, since the user can write what it would choose. owner is not used: a started program
    // has no owner window. Unless noWait, the process handle goes to *process when given, and the
    // caller must close it.
    bool RunProgram(const std::string& file, const std::string& parameters, int show, HWND owner, bool noWait,
                    HANDLE* process = nullptr);

    // Starts file and returns once its process has ended. The exit code goes to *exitCode only
    // when there was a process to wait for. pumpFlag 1 dispatches messages for pumpFilter (null:
    // every window of the thread) between the waits; any other value dispatches none.
    bool RunAndWait(const std::string& file, const std::string& parameters, int show, HWND owner,
                    DWORD* exitCode, int pumpFlag, HWND pumpFilter);

    // The text of the last failed start, trailing line break included; empty until one failed.
    const char* GetErrorText() const { return m_szError; }

private:
    void SetErrorFromSystem(DWORD code);

    char m_szError[kErrorTextChars + 1];
    std::string m_strWorkFolder;
};
