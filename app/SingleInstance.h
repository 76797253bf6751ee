// Only one copy shows a window: a second start hands the foreground to the first and ends.
#pragma once

#include <windows.h>

#include <string>

// The main window of another running copy: the first process whose executable file name begins
// with name (case-sensitive; its own process skipped when skipOwn is 1), and of that process only
// the first visible, unowned application window from the top of the Z order. Null when none.
HWND FindRunningInstanceWindow(const std::string& name, int skipOwn, DWORD processId);

// Foreground changes from a background process are refused unless the lock time-out is lifted
// and the input queues are joined for the moment of the switch.
bool BringWindowToFront(HWND window);
