// Reading one registry value as text.
#pragma once

#include <windows.h>

#include <string>

// Reads the value of at most 256 bytes and stores it, taken as text up to its first zero byte, in
// out. The value's type is not examined (a DWORD gives the text of its bytes). A missing key or
// value, a larger value, a denied access or a subkey or name over 255 characters give false and
// leave out untouched.
bool ReadRegistryString(HKEY root, const std::string& subkey, const std::string& valueName, std::string& out);
