// String and icon resources, and message boxes.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handle.h"

// The text of string resource id, empty when there is none.
std::string LoadResString(UINT id);

// Icon resource id at the size that the system metrics give at the current DPI (SM_CXICON or
// SM_CXSMICON and their heights), picked from the sizes the resource holds, not stretched from one.
CIcon LoadResIcon(UINT id, int metricX, int metricY);

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);
