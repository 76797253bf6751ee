// Downloads every installer into the temporary folder, one file at a time, each on a worker
// thread while this (the user-interface) thread pumps the dialog's messages, so progress and
// the abort button keep working.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "install/InstallProgressView.h"
#include "worker/InstallerHold.h"

// dlg receives the progress messages and filters the pump. tempDir ends with a backslash. The
// local path of each downloaded file is appended to installerFiles, and its hold to holds. True
// when every file was downloaded; otherwise error explains the first failure and the files
// before it stay.
bool DownloadInstallers(IInstallProgressView& view, HWND dlg, const std::string& tempDir,
                        const std::vector<std::string>& downloadUrls,
                        std::vector<std::string>& installerFiles, CInstallerHolds& holds, std::string& error);
