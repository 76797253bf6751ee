// How the download and the run of the installer set both end: a failure anywhere, an exception
// included, becomes the error text; the progress display is reset whatever happened; error is
// set only on failure.
#pragma once

#include <functional>
#include <string>

#include "install/InstallProgressView.h"

// phase fills failure and returns false when it fails.
bool RunInstallPhase(IInstallProgressView& view, std::string& error,
                     const std::function<bool(std::string& failure)>& phase);
