// A window of the program under test, seen from the driver's process: reads what a user would
// see (texts, visibility, enabled state, styles, place) and acts as a user would (posted clicks,
// typed text, system commands). Calls that need the other process to answer use a bounded
// SendMessageTimeout and throw std::runtime_error when it does not answer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

class CRemoteWindow {
public:
    CRemoteWindow() = default;
    explicit CRemoteWindow(HWND hwnd) : m_hwnd(hwnd) {}

    HWND Handle() const { return m_hwnd; }
    explicit operator bool() const { return m_hwnd != nullptr; }
    bool Exists() const;

    std::string ClassName() const;
    std::string Caption() const;              // the window text as the system keeps it
    std::string Text() const;                 // WM_GETTEXT, answered by the control itself
    void SetText(const std::string& s) const; // WM_SETTEXT, as if typed or pasted
    int Id() const;
    LONG Style() const;
    LONG ExStyle() const;
    bool IsVisible() const; // the window and all its parents are shown
    bool IsEnabled() const;
    bool IsIconic() const;
    bool IsTopmost() const;
    RECT WindowRect() const;       // screen coordinates
    RECT ClientScreenRect() const; // the client area in screen coordinates
    HWND Owner() const;
    DWORD ProcessId() const;
    DWORD ThreadId() const;

    // The direct child with this control id; throws when there is none.
    CRemoteWindow Child(int id) const;
    bool HasChild(int id) const;
    std::vector<CRemoteWindow> Children() const;

    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0, DWORD timeoutMs = 10000) const;
    void Post(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
    void Click() const;     // posts BM_CLICK, as the program's own message loop then handles it
    int CheckState() const; // BM_GETCHECK
    void SysCommand(WPARAM command) const; // posts WM_SYSCOMMAND
    void Command(WORD id) const;           // posts WM_COMMAND as a menu item does

    // The state of one item of the window's system menu (GetMenuState flags), or -1 when the
    // menu has no such item or cannot be read: Wine gives no process another one's menus.
    int SystemMenuState(UINT command) const;
    std::string SystemMenuText(UINT command) const;

    std::string Describe() const; // for failure messages: handle, class, id, text

private:
    HWND m_hwnd = nullptr;
};

// Until the window has kept its place for a few polls (a dialog may be moved to its final place
// after it is shown); throws CTimeoutError.
void WaitUntilPlaced(const CRemoteWindow& window, DWORD timeoutMs = 5000);

// The thread's keyboard focus window (GetGUIThreadInfo), null when none.
HWND FocusOfThread(DWORD threadId);

} // namespace e2e
