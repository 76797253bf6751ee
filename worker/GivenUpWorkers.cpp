#include "worker/GivenUpWorkers.h"

#include <algorithm>
#include <vector>

#include "worker/DownloadWorker.h"

namespace {
// Never destroyed with the statics: by then the internet library may be gone, so the kept
// workers are joined explicitly before the program ends.
std::vector<std::unique_ptr<CDownloadWorker>>& Kept() {
    static auto* kept = new std::vector<std::unique_ptr<CDownloadWorker>>;
    return *kept;
}

void ReleaseFinished() {
    auto& kept = Kept();
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [](const std::unique_ptr<CDownloadWorker>& w) { return w->IsFinished(); }),
               kept.end());
}
} // namespace

void KeepUntilDone(std::unique_ptr<CDownloadWorker> worker) {
    ReleaseFinished();
    if (worker)
        Kept().push_back(std::move(worker));
}

size_t GivenUpWorkerCount() {
    ReleaseFinished();
    return Kept().size();
}

void JoinGivenUpWorkers() {
    // Each destructor waits for its worker's threads.
    Kept().clear();
}
