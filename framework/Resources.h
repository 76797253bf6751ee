// String resources and message boxes.
#pragma once

#include <windows.h>

#include <string>

// The text of string resource id, empty when there is none.
std::string LoadResString(UINT id);

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);
