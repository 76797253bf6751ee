// Full path of the running program's file.
#pragma once

#include <string>

// Empty when the system cannot tell it.
std::string ModuleFilePath();
