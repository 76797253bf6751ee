#include "framework/Window.h"

#include <commctrl.h>

#include <vector>

std::string CWindow::GetText() const {
    int len = ::GetWindowTextLengthA(m_hWnd);
    if (len <= 0)
        return std::string();
    std::vector<char> buf(static_cast<size_t>(len) + 1);
    int got = ::GetWindowTextA(m_hWnd, buf.data(), len + 1);
    return std::string(buf.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void CWindow::ModifyStyle(LONG_PTR remove, LONG_PTR add) const {
    LONG_PTR style = GetStyle();
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, (style & ~remove) | add);
}

void CProgressCtrl::SetMarquee(bool on, UINT intervalMs) const {
    if (on)
        ModifyStyle(0, PBS_MARQUEE);
    Send(PBM_SETMARQUEE, on ? TRUE : FALSE, static_cast<LPARAM>(intervalMs));
    if (!on)
        ModifyStyle(PBS_MARQUEE, 0);
}

CEditCtrl::~CEditCtrl() {
    if (m_subclassed && ::IsWindow(m_hWnd))
        ::RemoveWindowSubclass(m_hWnd, SubclassProc, 0);
}

void CEditCtrl::Subclass(HWND hwnd) {
    Attach(hwnd);
    m_subclassed = ::SetWindowSubclass(hwnd, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

LRESULT CEditCtrl::DefSubclass(UINT msg, WPARAM wp, LPARAM lp) {
    return ::DefSubclassProc(m_hWnd, msg, wp, lp);
}

LRESULT CALLBACK CEditCtrl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                         DWORD_PTR data) {
    auto* self = reinterpret_cast<CEditCtrl*>(data);
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, SubclassProc, 0);
        self->m_subclassed = false;
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
    try {
        return self->OnSubclassMessage(msg, wp, lp);
    } catch (...) {
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
}
