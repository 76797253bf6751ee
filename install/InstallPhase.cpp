#include "install/InstallPhase.h"

bool RunInstallPhase(IInstallProgressView& view, std::string& error,
                     const std::function<bool(std::string& failure)>& phase) {
    std::string failure;
    bool ok;
    try {
        ok = phase(failure);
    } catch (...) {
        ok = false;
        failure = "メモリが不足しています。";
    }
    view.ResetProgress();
    if (!ok)
        error = failure;
    return ok;
}
