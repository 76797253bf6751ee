#include "install/RunInstallers.h"

#include <windows.h>

#include "framework/Text.h"
#include "install/InstallPhase.h"
#include "install/InstallerFileName.h"
#include "install/RemovalRetry.h"
#include "util/FileOps.h"
#include "util/StartKind.h"
#include "util/SystemError.h"
#include "worker/MessagePump.h"
#include "worker/ProcessRunner.h"

namespace {

const DWORD kRemovalPauseMs = 1000;

// A system without a text for the error still tells the user which file failed.
std::string StartFailureFallback(const std::string& file) {
    return text::Format("インストーラを起動できません：%s", file.c_str());
}

void RemoveInstaller(const std::string& path) {
    // The pause after each removal gives a finished installer's helpers time to let go of the
    // file; the dialog keeps painting through it, as it does while the installer runs.
    RemoveWithRetries([&] { return IsExistingFile(path) == 1; }, [&] { RemoveFile(path); },
                      [] { PumpingPause(kRemovalPauseMs, nullptr); });
}

} // namespace

bool RunInstallers(IInstallProgressView& view, const std::vector<std::string>& installerFiles,
                   const std::vector<std::string>& launchParameters, CInstallerHolds& holds,
                   const std::string& workFolder, std::string& error) {
    return RunInstallPhase(view, error, [&](std::string& failure) {
        CProcessRunner runner;
        runner.SetWorkFolder(workFolder);
        const size_t count = installerFiles.size();
        for (size_t i = 0; i < count; ++i) {
            const std::string& file = installerFiles[i];
            const std::string parameters = i < launchParameters.size() ? launchParameters[i] : std::string();
            view.ShowInstallProgress(static_cast<int>(count), static_cast<int>(i + 1));
            DWORD exitCode = 0; // an installer's own verdict does not decide the run
            bool started = runner.RunAndWait(file, parameters, SW_SHOWNORMAL, nullptr, &exitCode, 1, nullptr);
            // Held through the run, not only its start: a package is read by msiexec after the
            // start has returned.
            holds.Release(file);
            RemoveInstaller(file);
            if (!started) {
                failure = runner.GetErrorText();
                if (failure.empty())
                    failure = StartFailureFallback(file);
                return false;
            }
        }
        return true;
    });
}

bool CheckInstallersCanStart(const std::vector<std::string>& downloadUrls, std::string& error) {
    for (const std::string& url : downloadUrls) {
        const std::string name = FileNameFromUrl(url);
        if (StartKindOf(name) != StartKind::None)
            continue;
        if (!FormatSystemError(ERROR_NO_ASSOCIATION, error) || error.empty())
            error = StartFailureFallback(name);
        return false;
    }
    return true;
}
