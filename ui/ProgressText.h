// What the status line and the bar show while files download and installers run.
#pragma once

#include <cstdint>
#include <string>

// Whole percent of received out of total, truncated; never above 100 even when a server sends more
// than it announced or a stray message carries odd numbers. total must not be 0.
uint32_t DownloadPercent(uint32_t received, uint32_t total);

std::string DownloadStatusText(int percent, int total, int current);
std::string InstallStatusText(int total, int current);
