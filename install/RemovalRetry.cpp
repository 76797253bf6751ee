#include "install/RemovalRetry.h"

int RemoveWithRetries(const std::function<bool()>& exists, const std::function<void()>& remove,
                      const std::function<void()>& pause, int maxRemovals) {
    int removals = 0;
    while (removals < maxRemovals && exists()) {
        remove();
        pause();
        ++removals;
    }
    return removals;
}
