// The version-resource functions, taken from the system folder's version.dll at first use
// (the DLL is not one the system protects, so the program does not import it).
#pragma once

#include <windows.h>

struct VersionApi {
    decltype(&::GetFileVersionInfoSizeA) GetFileVersionInfoSizeA = nullptr;
    decltype(&::GetFileVersionInfoA) GetFileVersionInfoA = nullptr;
    decltype(&::VerQueryValueA) VerQueryValueA = nullptr;
    bool ok = false;
};

// Loaded once per process and kept; ok is false when the DLL or one of its exports is missing.
const VersionApi& Version();
