#include "ui/ProgressText.h"

#include "framework/Text.h"

uint32_t DownloadPercent(uint32_t received, uint32_t total) {
    uint64_t percent = static_cast<uint64_t>(received) * 100u / total;
    return percent > 100u ? 100u : static_cast<uint32_t>(percent);
}

std::string DownloadStatusText(int percent, int total, int current) {
    return text::Format("ダウンロードしています...%3d%%  [%d/%d]", percent, current, total);
}

std::string InstallStatusText(int total, int current) {
    return text::Format("インストールしています...  [%d/%d]", current, total);
}
