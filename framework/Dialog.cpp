#include "framework/Dialog.h"

#include "framework/App.h"

INT_PTR CDialog::DoModal() {
    // Without a parent the main window owns the box, so it stays modal to the main window.
    HWND owner = m_hParent;
    CApp* app = CApp::Current();
    if (!owner && app && app->m_pMainWnd && app->m_pMainWnd != this)
        owner = app->m_pMainWnd->GetHwnd();
    return ::DialogBoxParamA(CApp::Instance(), MAKEINTRESOURCEA(m_templateId), owner, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::MapRegisteredMessage(UINT msg, std::function<LRESULT(WPARAM, LPARAM)> handler) {
    if (msg != 0)
        m_registered.emplace_back(msg, std::move(handler));
}

void CDialog::CenterWindow() const {
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoA(::MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
    RECT area = mi.rcWork;
    if (owner && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int x = (area.left + area.right) / 2 - w / 2;
    int y = (area.top + area.bottom) / 2 - h / 2;
    // Keep the whole dialog on the work area.
    if (x + w > mi.rcWork.right)
        x = mi.rcWork.right - w;
    if (x < mi.rcWork.left)
        x = mi.rcWork.left;
    if (y + h > mi.rcWork.bottom)
        y = mi.rcWork.bottom - h;
    if (y < mi.rcWork.top)
        y = mi.rcWork.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CDialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lp);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    try {
        return self->Dispatch(msg, wp, lp);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CDialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        // Like the classic frameworks: a dialog that its initialisation did not move is centred.
        RECT before, after;
        ::GetWindowRect(m_hWnd, &before);
        BOOL result = OnInitDialog();
        ::GetWindowRect(m_hWnd, &after);
        if (::EqualRect(&before, &after))
            CenterWindow();
        return result;
    }
    case WM_COMMAND: {
        UINT id = LOWORD(wp), code = HIWORD(wp);
        if (id == IDOK && code == BN_CLICKED) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
        if (OnCommand(id, code))
            return TRUE;
        // What the dialog leaves goes on to the application's command table, as menu commands do.
        CApp* app = CApp::Current();
        return app && app->OnCommand(id) ? TRUE : FALSE;
    }
    case WM_SYSCOMMAND:
        if (OnSysCommand(wp, lp)) {
            ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_PAINT:
        return OnPaint() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    default:
        break;
    }
    for (const auto& entry : m_registered) {
        if (entry.first == msg) {
            ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, entry.second(wp, lp));
            return TRUE;
        }
    }
    LRESULT result = 0;
    if (OnMessage(msg, wp, lp, result)) {
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}
