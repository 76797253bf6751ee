#include "tests/e2e/driver/RemoteWindow.h"

#include "tests/e2e/driver/Wait.h"

#include <cstdio>
#include <stdexcept>

namespace e2e {

namespace {

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
    auto* out = reinterpret_cast<std::vector<HWND>*>(param);
    try {
        out->push_back(hwnd);
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool CRemoteWindow::Exists() const {
    return m_hwnd && ::IsWindow(m_hwnd);
}

std::string CRemoteWindow::ClassName() const {
    char name[256] = {};
    ::GetClassNameA(m_hwnd, name, sizeof name);
    return name;
}

std::string CRemoteWindow::Caption() const {
    int n = ::GetWindowTextLengthA(m_hwnd);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = ::GetWindowTextA(m_hwnd, &s[0], n + 1);
    s.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return s;
}

std::string CRemoteWindow::Text() const {
    LRESULT n = Send(WM_GETTEXTLENGTH);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = Send(WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(&s[0]));
    s.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return s;
}

void CRemoteWindow::SetText(const std::string& s) const {
    if (!Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s.c_str())))
        throw std::runtime_error("WM_SETTEXT refused by " + Describe());
}

int CRemoteWindow::Id() const {
    return ::GetDlgCtrlID(m_hwnd);
}
LONG CRemoteWindow::Style() const {
    return ::GetWindowLongA(m_hwnd, GWL_STYLE);
}
LONG CRemoteWindow::ExStyle() const {
    return ::GetWindowLongA(m_hwnd, GWL_EXSTYLE);
}
bool CRemoteWindow::IsVisible() const {
    return ::IsWindowVisible(m_hwnd) != FALSE;
}
bool CRemoteWindow::IsEnabled() const {
    return ::IsWindowEnabled(m_hwnd) != FALSE;
}
bool CRemoteWindow::IsIconic() const {
    return ::IsIconic(m_hwnd) != FALSE;
}
bool CRemoteWindow::IsTopmost() const {
    return (ExStyle() & WS_EX_TOPMOST) != 0;
}

RECT CRemoteWindow::WindowRect() const {
    RECT r{};
    ::GetWindowRect(m_hwnd, &r);
    return r;
}

RECT CRemoteWindow::ClientScreenRect() const {
    RECT r{};
    ::GetClientRect(m_hwnd, &r);
    ::MapWindowPoints(m_hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HWND CRemoteWindow::Owner() const {
    return ::GetWindow(m_hwnd, GW_OWNER);
}

DWORD CRemoteWindow::ProcessId() const {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(m_hwnd, &pid);
    return pid;
}

DWORD CRemoteWindow::ThreadId() const {
    return ::GetWindowThreadProcessId(m_hwnd, nullptr);
}

CRemoteWindow CRemoteWindow::Child(int id) const {
    for (const CRemoteWindow& c : Children())
        if (c.Id() == id && ::GetParent(c.Handle()) == m_hwnd)
            return c;
    throw std::runtime_error("no control " + std::to_string(id) + " in " + Describe());
}

bool CRemoteWindow::HasChild(int id) const {
    for (const CRemoteWindow& c : Children())
        if (c.Id() == id && ::GetParent(c.Handle()) == m_hwnd)
            return true;
    return false;
}

std::vector<CRemoteWindow> CRemoteWindow::Children() const {
    std::vector<HWND> handles;
    ::EnumChildWindows(m_hwnd, CollectChild, reinterpret_cast<LPARAM>(&handles));
    return std::vector<CRemoteWindow>(handles.begin(), handles.end());
}

LRESULT CRemoteWindow::Send(UINT msg, WPARAM wp, LPARAM lp, DWORD timeoutMs) const {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(m_hwnd, msg, wp, lp, SMTO_NORMAL, timeoutMs, &result))
        throw std::runtime_error("message " + std::to_string(msg) + " not answered within " +
                                 std::to_string(timeoutMs) + " ms by " + Describe());
    return static_cast<LRESULT>(result);
}

void CRemoteWindow::Post(UINT msg, WPARAM wp, LPARAM lp) const {
    if (!::PostMessageA(m_hwnd, msg, wp, lp))
        throw std::runtime_error("cannot post message " + std::to_string(msg) + " to " + Describe());
}

void CRemoteWindow::Click() const {
    Post(BM_CLICK);
}

int CRemoteWindow::CheckState() const {
    return static_cast<int>(Send(BM_GETCHECK));
}

void CRemoteWindow::SysCommand(WPARAM command) const {
    Post(WM_SYSCOMMAND, command, 0);
}

void CRemoteWindow::Command(WORD id) const {
    Post(WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

int CRemoteWindow::SystemMenuState(UINT command) const {
    HMENU menu = ::GetSystemMenu(m_hwnd, FALSE);
    if (!menu)
        return -1;
    UINT state = ::GetMenuState(menu, command, MF_BYCOMMAND);
    return state == static_cast<UINT>(-1) ? -1 : static_cast<int>(state);
}

std::string CRemoteWindow::SystemMenuText(UINT command) const {
    HMENU menu = ::GetSystemMenu(m_hwnd, FALSE);
    char buf[512] = {};
    if (!menu || ::GetMenuStringA(menu, command, buf, sizeof buf, MF_BYCOMMAND) <= 0)
        return std::string();
    return buf;
}

std::string CRemoteWindow::Describe() const {
    if (!m_hwnd)
        return "<no window>";
    char buf[64];
    std::snprintf(buf, sizeof buf, "window %p", static_cast<void*>(m_hwnd));
    if (!::IsWindow(m_hwnd))
        return std::string(buf) + " (destroyed)";
    return std::string(buf) + " class \"" + ClassName() + "\" id " + std::to_string(Id()) + " caption \"" +
           Caption() + "\"";
}

void WaitUntilPlaced(const CRemoteWindow& window, DWORD timeoutMs) {
    RECT last = window.WindowRect();
    int sameCount = 0;
    WaitFor(
        "the place of " + window.Describe() + " to settle",
        [&] {
            const RECT now = window.WindowRect();
            sameCount = ::EqualRect(&now, &last) ? sameCount + 1 : 0;
            last = now;
            return sameCount >= 3;
        },
        timeoutMs, 50);
}

HWND FocusOfThread(DWORD threadId) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(threadId, &info))
        return nullptr;
    return info.hwndFocus;
}

} // namespace e2e
