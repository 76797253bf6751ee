// The logs that fake installers, the stand-in service and the curl agent write are read back line
// by line; they come from Windows programs, so a line may end in CR LF.
#pragma once

#include <string>
#include <vector>

namespace e2e {

// Lines of the file without their line ends; a missing file reads as no lines.
std::vector<std::string> ReadLines(const std::string& path);

} // namespace e2e
