#include "worker/GivenUpWorkers.h"

#include <algorithm>
#include <vector>

#include "worker/DownloadWorker.h"

namespace {
// Never destroyed: a kept worker's thread may still be inside the library when the program ends,
// and the process ends it there instead of waiting for it.
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
