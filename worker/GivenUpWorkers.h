// Downloads the user aborted while the library kept their thread blocked on a silent server. The
// dialog does not wait for them when the user aborts; they are kept here until their threads end,
// and waited for before another download starts, so that never two downloads run at once. The
// program does not wait for them at its end: it ends its process, and their threads with it.
#pragma once

#include <cstddef>
#include <memory>

class CDownloadWorker;

// Takes over worker, whose transfer was cancelled; releases the earlier ones that have finished.
// User-interface thread only, like everything here.
void KeepUntilDone(std::unique_ptr<CDownloadWorker> worker);
// How many are still kept (after releasing those that have finished).
size_t GivenUpWorkerCount();
