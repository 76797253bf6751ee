#include "install/RunInstallers.h"

#include <windows.h>

#include "framework/Text.h"
#include "install/InstallPhase.h"
#include "install/RemovalRetry.h"
#include "util/FileOps.h"
#include "worker/MessagePump.h"
#include "worker/ProcessRunner.h"

namespace {

const DWORD kRemovalPauseMs = 1000;

void RemoveInstaller(const std::string& path) {
    // The pause after each removal gives a finished installer's helpers time to let go of the
    // file; the dialog keeps painting through it, as it does while the installer runs.
    RemoveWithRetries([&] { return IsExistingFile(path) == 1; }, [&] { RemoveFile(path); },
                      [] { PumpingPause(kRemovalPauseMs, nullptr); });
}

} // namespace

bool RunInstallers(IInstallProgressView& view, const std::vector<std::string>& installerFiles,
                   const std::vector<std::string>& launchParameters, CInstallerHolds& holds,
                   std::string& error) {
    return RunInstallPhase(view, error, [&](std::string& failure) {
        CProcessRunner runner;
        const size_t count = installerFiles.size();
        for (size_t i = 0; i < count; ++i) {
            const std::string& file = installerFiles[i];
            const std::string parameters = i < launchParameters.size() ? launchParameters[i] : std::string();
            view.ShowInstallProgress(static_cast<int>(count), static_cast<int>(i + 1));
            DWORD exitCode = 0; // an installer's own verdict does not decide the run
            bool started = runner.RunAndWait(file, parameters, SW_SHOWNORMAL, nullptr, &exitCode, 1, nullptr);
            // Held through the run, not only its start: a package that is no program is read by
            // the program the shell starts for it (msiexec) after the start has returned.
            holds.Release(file);
            RemoveInstaller(file);
            if (!started) {
                failure = runner.GetErrorText();
                // A system without a text for the error still tells the user which file failed.
                if (failure.empty())
                    failure = text::Format("インストーラを起動できません：%s", file.c_str());
                return false;
            }
        }
        return true;
    });
}
