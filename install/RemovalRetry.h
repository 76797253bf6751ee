// Removal of an installer file that the ended installer (or a virus scanner) may still hold for a
// moment: up to four removals, each followed by a pause, while the file is still there. The
// removals' own results are not examined. Platform-free.
#pragma once

#include <functional>

constexpr int kMaxInstallerRemovals = 4;

// Returns the number of removals made (0 when the file was already gone).
int RemoveWithRetries(const std::function<bool()>& exists, const std::function<void()>& remove,
                      const std::function<void()>& pause, int maxRemovals = kMaxInstallerRemovals);
