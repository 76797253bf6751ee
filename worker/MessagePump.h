// The message pump of the long waits on the user-interface thread: it keeps windows painted and
// buttons answering, but leaves every request to close or end in the queue for the real loop.
#pragma once

#include <windows.h>

#include <functional>

// The slice of the user-interface thread's long waits (the download poll, the installer wait, the
// pause after a removal): how late it notices the end of what it waits for, and how long its
// messages wait between passes.
constexpr DWORD kPumpSliceMs = 50;

// Dispatches what is queued for filter (null: every window of the calling thread). True when the
// queue was emptied, false when it stopped at WM_CLOSE, WM_DESTROY, WM_QUIT or SC_CLOSE, which
// stays queued; input, painting, timers and the download progress behind it are still served.
bool PumpWaitMessages(HWND filter);

// True for the messages PumpWaitMessages never dispatches.
bool IsClosingMessage(UINT message, WPARAM wParam);

// Passes of PumpWaitMessages, a slice apart, until done returns true; it is asked before the
// first pass and right after each, so what a pass dispatched (an abort click) ends the wait at once.
void PumpUntil(HWND filter, const std::function<bool()>& done);

// Sleeps ms in all, in slices of at most kPumpSliceMs with a pass of PumpWaitMessages before each, so that
// a pause the run must keep does not freeze the dialog.
void PumpingPause(DWORD ms, HWND filter);
