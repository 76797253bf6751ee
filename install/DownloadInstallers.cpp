#include "install/DownloadInstallers.h"

#include <memory>

#include "framework/Text.h"
#include "install/DownloadOutcome.h"
#include "install/InstallPhase.h"
#include "install/InstallerFileName.h"
#include "util/FileOps.h"
#include "worker/DownloadWorker.h"
#include "worker/GivenUpWorkers.h"
#include "worker/MessagePump.h"
#include "worker/ProgressHttpAccess.h"

namespace {

// Keeps the view's worker pointer valid: cleared on every way out, before the worker goes.
class CRunningWorkerScope {
public:
    CRunningWorkerScope(IInstallProgressView& view, CDownloadWorker* worker) : m_view(view) {
        m_view.SetRunningWorker(worker);
    }
    ~CRunningWorkerScope() { m_view.SetRunningWorker(nullptr); }
    CRunningWorkerScope(const CRunningWorkerScope&) = delete;
    CRunningWorkerScope& operator=(const CRunningWorkerScope&) = delete;

private:
    IInstallProgressView& m_view;
};

bool DownloadOne(IInstallProgressView& view, HWND dlg, const std::string& tempDir, const std::string& url,
                 int number, std::vector<std::string>& installerFiles, CInstallerHolds& holds,
                 std::string& error) {
    const std::string name = FileNameFromUrl(url);
    if (!CheckInstallerFileName(url, name, error))
        return false;
    // Without its folder the path would name a file in the current directory, which for the
    // elevated program may be the system folder.
    if (tempDir.empty()) {
        error = "一時フォルダが見つかりません。";
        return false;
    }
    const std::string path = tempDir + name;
    // Two addresses with one file name: this attempt's own earlier file gives way to the later.
    holds.Release(path);
    if (IsExistingFile(path) && !RemoveFile(path)) {
        error = text::Format("既存のファイルを削除できません：%s", path.c_str());
        return false;
    }
    view.ResetProgress();
    view.SetCurrentItem(number);

    // Declared before the scope, so the view lets go of the worker before it is destroyed (whose
    // destructor waits for the thread).
    auto worker = std::make_unique<CDownloadWorker>();
    worker->SetJob(dlg, url, path);
    if (GivenUpWorkerCount() != 0) {
        // A download the user gave up may still be inside the library: never two at once. The
        // abort button reaches the new worker meanwhile and ends this wait.
        CRunningWorkerScope waiting(view, worker.get());
        PumpUntil(dlg, [&] { return GivenUpWorkerCount() == 0 || worker->IsAborted() == 1; });
    }
    if (worker->IsAborted() == 1)
        return DecideDownloadOutcome(1, 1, std::string(), error);
    if (!worker->Start(false, 50, THREAD_PRIORITY_ABOVE_NORMAL)) {
        // Its done flag would never rise: nothing to wait for.
        error = text::Format("ダウンロードを開始できませんでした：%s", url.c_str());
        return false;
    }
    bool ok;
    {
        CRunningWorkerScope running(view, worker.get());
        // A cancelled transfer writes nothing more, so its thread need not be waited for; the
        // library may keep it blocked on a silent server until its receive time-out. The abort
        // comes through the pass's dispatch: asking right after it ends the wait a slice sooner.
        PumpUntil(dlg, [&] { return worker->IsDone() == 1 || worker->IsTransferCancelled() == 1; });
        // The worker posts its progress before it raises the done flag, so the last progress of
        // this file is queued already: show it while it still counts for this file. A click
        // stays queued for later, so it cannot abort a file that is already complete.
        DispatchQueuedProgress(dlg);
        // The result fields are the worker's own until its done flag is up.
        const bool done = worker->IsDone() == 1;
        ok = done ? DecideDownloadOutcome(worker->IsAborted(), worker->m_bFailed, worker->m_strError, error)
                  : DecideDownloadOutcome(1, 1, std::string(), error);
        if (ok)
            holds.Add(worker->TakeHold());
    }
    if (worker->IsFinished()) {
        worker->Stop(false);
        worker.reset();
        // The file is this run's own (an earlier one was removed above) and closed, the worker's
        // hold with it: a write that failed part-way, on a full disk, left its start, and an abort
        // that came after the decision to write found it complete; nobody must take either for an
        // installer.
        if (!ok && IsExistingFile(path))
            RemoveFile(path);
    } else {
        worker->Stop(true);
        KeepUntilDone(std::move(worker));
    }
    if (ok)
        installerFiles.push_back(path);
    return ok;
}

} // namespace

bool DownloadInstallers(IInstallProgressView& view, HWND dlg, const std::string& tempDir,
                        const std::vector<std::string>& downloadUrls,
                        std::vector<std::string>& installerFiles, CInstallerHolds& holds,
                        std::string& error) {
    return RunInstallPhase(view, error, [&](std::string& failure) {
        const size_t count = downloadUrls.size();
        for (size_t i = 0; i < count; ++i) {
            if (!DownloadOne(view, dlg, tempDir, downloadUrls[i], static_cast<int>(i + 1), installerFiles,
                             holds, failure))
                return false;
        }
        return true;
    });
}
