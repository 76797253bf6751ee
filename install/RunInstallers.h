// Runs the downloaded installers one after another, each to its end, and removes each file
// after its run. The user-interface thread waits inside, serving every window's messages.
#pragma once

#include <string>
#include <vector>

#include "install/InstallProgressView.h"
#include "worker/InstallerHold.h"

// Entry i of launchParameters belongs to installerFiles[i]. True when every installer was
// started and has ended, whatever their exit codes; a failed start ends the run with the
// system's text for it in error, and the installers after it are not started. Each file's hold
// is released once its run is over, before the file is removed. Each installer starts in
// workFolder (empty: this process's current folder), with TEMP and TMP pointing there.
bool RunInstallers(IInstallProgressView& view, const std::vector<std::string>& installerFiles,
                   const std::vector<std::string>& launchParameters, CInstallerHolds& holds,
                   const std::string& workFolder, std::string& error);

// Before anything is downloaded: true when every address names a file that can be started (a
// program or a package); otherwise error is the system's text for a file that has no program to
// open it, as a failed start shows it.
bool CheckInstallersCanStart(const std::vector<std::string>& downloadUrls, std::string& error);
