// Starts programs through the shell and waits for them on the calling thread, pumping messages
// between 50 ms waits. Keeps the system's text for the last start that failed.
#pragma once

#include <windows.h>

#include <string>

class CProcessRunner {
public:
    enum { kErrorTextChars = 4096 };

    CProcessRunner();
    virtual ~CProcessRunner() = default;

    // Starts file with parameters. Unless noWait, the process handle (may be null when the shell
    // started no new process) goes to *process when given, and the caller must close it.
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
};
