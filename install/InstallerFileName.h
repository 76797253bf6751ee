// The local name of a downloaded installer, taken from its download address. Platform-free.
#pragma once

#include <string>

#include "framework/Mbcs.h"

// The text after the last "/" of url, or all of url when it has none; empty when url ends with
// "/" or is empty. Nothing is decoded or removed: a query after the last "/" stays in the name.
std::string FileNameFromUrl(const std::string& url, const CLeadByteTable& leadBytes = ActiveLeadBytes());

// The file is later run with administrator rights, so its name must name a plain file inside the
// temporary folder: not empty, no "\" or ":" (no other folder, drive or stream), not made of dots
// and blanks alone (".", ".." and what Windows trims to them), and no device name (CON, NUL,
// COM1 and the like, with or without an extension). On refusal error names the address.
bool CheckInstallerFileName(const std::string& url, const std::string& name, std::string& error,
                            const CLeadByteTable& leadBytes = ActiveLeadBytes());
