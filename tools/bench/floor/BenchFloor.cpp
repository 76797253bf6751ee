// The start-up floor: the least a dialog program of ours does before its dialog is shown, built as
// PLMOInstApp is (same toolchain, static, a manifest of the same kind), so that the start-up
// benchmark can tell the program's own start-up work from what any such program pays.
#include <windows.h>

#include <commctrl.h>

#include "tools/bench/floor/resource.h"

namespace {

INT_PTR CALLBACK FloorProc(HWND dialog, UINT message, WPARAM wp, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        ::EndDialog(dialog, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    return static_cast<int>(::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_FLOOR), nullptr, FloorProc, 0));
}
