// A shell script run on the Unix side of Wine, for the few faults a Windows program cannot make
// itself (a full disk: a small tmpfs mounted over a folder). Wine starts a Unix program through
// CreateProcess but hands back no usable process handle or exit code, so the script reports
// through a file and the caller confirms the effect from the Windows side.
#pragma once

#include <string>
#include <vector>

namespace flow {

// The Unix path of a Windows path; empty where that cannot be known (not under Wine).
std::string UnixPath(const std::string& windowsPath);

// Runs /bin/sh with the script (written to scriptPath) and its arguments, then waits up to
// timeoutMs for the script's last line of output. False with why in answer when it could not be
// started or said nothing in time; otherwise answer is that line.
bool RunUnixScript(const std::string& scriptPath, const std::string& script,
                   const std::vector<std::string>& arguments, unsigned long timeoutMs, std::string& answer);

} // namespace flow
