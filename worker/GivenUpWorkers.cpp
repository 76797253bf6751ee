#include "worker/GivenUpWorkers.h"

#include <algorithm>
#include <vector>

#include "worker/DownloadWorker.h"

namespace {
// Only the user-interface thread uses the list. Deliberately never destroyed: destroying a kept
// worker waits for its thread, which would hold the process open after the dialog closed.
std::vector<std::unique_ptr<CDownloadWorker>>& Kept() {
    static auto* kept = new std::vector<std::unique_ptr<CDownloadWorker>>;
    return *kept;
}

void ReleaseEnded() {
    auto& kept = Kept();
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [](const std::unique_ptr<CDownloadWorker>& w) { return w->IsDone() == 1; }),
               kept.end());
}
} // namespace

void KeepUntilDone(std::unique_ptr<CDownloadWorker> worker) {
    ReleaseEnded();
    if (worker)
        Kept().push_back(std::move(worker));
}

size_t GivenUpWorkerCount() {
    ReleaseEnded();
    return Kept().size();
}
