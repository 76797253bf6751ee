// Splitting a path into drive, directory, name and extension. Platform-free.
#pragma once

#include <string>

#include "framework/Mbcs.h"

struct PathParts {
    std::string drive; // "C:" or empty
    std::string dir;   // up to and including the last '\\' or '/'
    std::string name;  // file name without extension
    std::string ext;   // from the last dot of the file name, dot included; empty without one
};

// Longest part kept; longer parts are cut at a character boundary (the system's fixed part buffers).
constexpr size_t kMaxPathPart = 255;

// Splits like the C runtime's _splitpath, double-byte aware: a trail byte 0x5C is no backslash.
PathParts SplitPath(const std::string& path, const CLeadByteTable& t = ActiveLeadBytes());
