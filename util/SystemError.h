// The system's Japanese message text for an error code.
#pragma once

#include <windows.h>

#include <string>

// Stores the message (trailing line break included) in text and returns true; when the system has
// no Japanese text for code, text is left as it was and the result is false.
bool FormatSystemError(DWORD code, std::string& text);
