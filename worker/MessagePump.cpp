#include "worker/MessagePump.h"

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
        if (IsClosingMessage(msg.message, msg.wParam))
            return false;
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
