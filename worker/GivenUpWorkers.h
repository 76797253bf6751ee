// Downloads the user aborted while the library kept their thread blocked on a silent server. The
// dialog does not wait for them when the user aborts; they are kept here until their threads end,
// and waited for before another download starts and before the program ends, so that never two
// downloads run at once and no thread of ours is inside the library when it is unloaded.
#pragma once

#include <cstddef>
#include <memory>

class CDownloadWorker;

// Takes over worker, whose transfer was cancelled; releases the earlier ones that have finished.
// User-interface thread only, like everything here.
void KeepUntilDone(std::unique_ptr<CDownloadWorker> worker);
// How many are still kept (after releasing those that have finished).
size_t GivenUpWorkerCount();
// At the end of the program, with no window left: waits for every kept worker.
void JoinGivenUpWorkers();
