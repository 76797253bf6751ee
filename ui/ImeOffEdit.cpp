#include "ui/ImeOffEdit.h"

#include <imm.h>

LRESULT CImeOffEdit::OnSubclassMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = DefSubclass(msg, wp, lp);
    // Every focus gain, because the system may hand the window a context again.
    if (msg == WM_SETFOCUS && m_bImeOff == 1)
        ::ImmAssociateContext(m_hWnd, nullptr);
    return result;
}
