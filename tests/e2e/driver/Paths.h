// Where the driver finds the program under test and puts its screenshots: both follow from the
// test program's own place, build/<dir>/bin/.
#pragma once

#include <string>

namespace e2e {

std::string ProgramDir();       // folder of the running test program, with a trailing backslash
std::string BuiltProgramPath(); // PLMOInstApp.exe next to it
std::string ScreenshotDir();    // build/screenshots/, created when missing

} // namespace e2e
