// Downloads the user aborted while the library kept their thread blocked on a silent server. The
// dialog does not wait for them; they are kept here until their thread ends, and never waited for
// at exit, where the system ends the thread with the process.
#pragma once

#include <memory>

class CDownloadWorker;

// Takes over worker, whose transfer was cancelled; releases the earlier ones that have ended.
void KeepUntilDone(std::unique_ptr<CDownloadWorker> worker);
// How many are still kept (after releasing those that have ended).
size_t GivenUpWorkerCount();
