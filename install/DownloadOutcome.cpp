#include "install/DownloadOutcome.h"

const char* const kDownloadAbortedText = "中断しました";

bool DecideDownloadOutcome(int aborted, int failed, const std::string& workerError, std::string& error) {
    if (aborted == 1) {
        error = kDownloadAbortedText;
        return false;
    }
    if (failed == 1) {
        error = workerError;
        return false;
    }
    return true;
}
