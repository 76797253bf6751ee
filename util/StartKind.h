// How an installer file is started, told by its name alone. Platform-free.
#pragma once

#include <string>

enum class StartKind {
    Program, // ".exe": started itself
    Package, // ".msi": handed to the system's Windows Installer
    None,    // anything else: never started, since only the shell could pick its opener
};

// By the extension after the last dot of the file name, in any letter case.
StartKind StartKindOf(const std::string& fileName);
