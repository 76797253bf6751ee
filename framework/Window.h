// Thin wrappers over a child control's window handle. They do not own the window: the dialog
// that holds the control destroys it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

class CWindow {
public:
    CWindow() = default;
    explicit CWindow(HWND hwnd) : m_hWnd(hwnd) {}
    virtual ~CWindow() = default;

    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND GetHwnd() const { return m_hWnd; }

    std::string GetText() const;
    void SetText(const std::string& text) const { ::SetWindowTextA(m_hWnd, text.c_str()); }
    void Show(bool show) const { ::ShowWindow(m_hWnd, show ? SW_SHOW : SW_HIDE); }
    void Enable(bool enable) const { ::EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    bool IsVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    bool IsEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    void Focus() const { ::SetFocus(m_hWnd); }
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageA(m_hWnd, msg, wp, lp); }
    LONG_PTR GetStyle() const { return ::GetWindowLongPtrA(m_hWnd, GWL_STYLE); }
    void ModifyStyle(LONG_PTR remove, LONG_PTR add) const;

protected:
    HWND m_hWnd = nullptr;
};

class CStaticCtrl : public CWindow {};

class CButtonCtrl : public CWindow {
public:
    int GetCheck() const { return static_cast<int>(Send(BM_GETCHECK)); }
};

class CProgressCtrl : public CWindow {
public:
    void SetPos(int pos) const { Send(PBM_SETPOS, static_cast<WPARAM>(pos)); }
    int GetPos() const { return static_cast<int>(Send(PBM_GETPOS)); }
    // Marquee needs common controls 6; the style is switched together with the animation.
    void SetMarquee(bool on, UINT intervalMs) const;
};

// An edit control whose window procedure we extend (comctl32 subclassing); derived classes
// override OnSubclassMessage and call DefSubclass for the default processing.
class CEditCtrl : public CWindow {
public:
    ~CEditCtrl() override;
    void Subclass(HWND hwnd);

protected:
    virtual LRESULT OnSubclassMessage(UINT msg, WPARAM wp, LPARAM lp) { return DefSubclass(msg, wp, lp); }
    LRESULT DefSubclass(UINT msg, WPARAM wp, LPARAM lp);

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    bool m_subclassed = false;
};
