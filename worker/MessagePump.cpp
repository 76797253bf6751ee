#include "worker/MessagePump.h"

namespace {
// The download progress; registered by name like everywhere else, so it is the same id.
const UINT kProgressMessage = ::RegisterWindowMessageA("CHttpAccess_InstDl_Message");

// What a pass still serves while a close request is held at the head of the queue: the download
// progress, input (so that Abort can be clicked), painting and timers (the marquee), timers last
// since one that is due again at once would otherwise crowd out the rest. Nothing here is a close
// request; a key that asks for one (Alt+F4) only queues it behind the held one.
struct MessageRange {
    UINT first, last;
};
const MessageRange kServedBehindAClose[] = {
    {kProgressMessage, kProgressMessage}, {WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST},
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}, {WM_PAINT, WM_PAINT},       {WM_TIMER, WM_TIMER},
};
// Per pass, so that a flood of input or timers cannot keep the wait from looking at its end.
constexpr int kMaxServedBehindAClose = 64;

// One message of the ranges above, in their order; false when none is queued.
bool DispatchOneBehindAClose(HWND filter) {
    MSG msg;
    for (const MessageRange& r : kServedBehindAClose) {
        if (r.first == 0 || !::PeekMessageA(&msg, filter, r.first, r.last, PM_NOREMOVE))
            continue;
        // The system hands out a quit whatever range was asked for: it stays queued as well.
        if (IsClosingMessage(msg.message, msg.wParam))
            return false;
        MSG taken;
        if (!::PeekMessageA(&taken, filter, msg.message, msg.message, PM_REMOVE))
            continue;
        if (taken.message == WM_QUIT) { // posted from another thread in between: put it back
            ::PostQuitMessage(static_cast<int>(taken.wParam));
            return false;
        }
        ::TranslateMessage(&taken);
        ::DispatchMessageA(&taken);
        return true;
    }
    return false;
}
} // namespace

bool IsClosingMessage(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUIT:
        return true;
    case WM_SYSCOMMAND:
        return (wParam & 0xFFF0) == SC_CLOSE;
    default:
        return false;
    }
}

bool PumpWaitMessages(HWND filter) {
    MSG msg;
    while (::PeekMessageA(&msg, filter, 0, 0, PM_NOREMOVE)) {
        if (IsClosingMessage(msg.message, msg.wParam)) {
            // Held for the dialog's own loop; what lies behind it must not wait with it, or
            // the window neither paints nor answers a click for the rest of the wait.
            for (int served = 0; served < kMaxServedBehindAClose && DispatchOneBehindAClose(filter); ++served) {
            }
            return false;
        }
        // Removed by its own number, so a message that overtook the one examined (a close posted
        // from another thread in between) can never be taken out instead of it.
        MSG taken;
        if (!::PeekMessageA(&taken, filter, msg.message, msg.message, PM_REMOVE))
            continue;
        ::TranslateMessage(&taken);
        ::DispatchMessageA(&taken);
    }
    return true;
}

void PumpUntil(HWND filter, const std::function<bool()>& done) {
    while (!done()) {
        PumpWaitMessages(filter);
        if (done())
            return;
        ::Sleep(kPumpSliceMs);
    }
}

void PumpingPause(DWORD ms, HWND filter) {
    for (DWORD slept = 0; slept < ms;) {
        PumpWaitMessages(filter);
        const DWORD slice = ms - slept < kPumpSliceMs ? ms - slept : kPumpSliceMs;
        ::Sleep(slice);
        slept += slice;
    }
    PumpWaitMessages(filter);
}
