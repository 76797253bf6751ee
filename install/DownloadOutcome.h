// What a finished download worker's entry came to. Platform-free.
#pragma once

#include <string>

extern const char* const kDownloadAbortedText;

// The abort flag is examined first: an aborted entry counts as aborted even when its transfer
// had completed. Otherwise failed gives the worker's own text. True for a successful entry;
// error is set only on false.
bool DecideDownloadOutcome(int aborted, int failed, const std::string& workerError, std::string& error);
