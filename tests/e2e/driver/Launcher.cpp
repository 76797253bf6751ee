#include "tests/e2e/driver/Launcher.h"

#include "tests/e2e/driver/Screen.h"

namespace e2e {

namespace {

std::string OnOff(bool b) {
    return b ? "on" : "off";
}
std::string Shown(bool b) {
    return b ? "shown" : "hidden";
}

} // namespace

bool CloseLooksEnabled(const CRemoteWindow& dialog) {
    const int state = dialog.SystemMenuState(SC_CLOSE);
    if (state >= 0)
        return (state & (MF_GRAYED | MF_DISABLED)) == 0;
    // Wine does not hand out another process's system menu; the caption's close button, drawn
    // from that menu's state, shows it: an enabled button has its glyph in the button text
    // colour, a greyed one has none of it.
    const RECT r = dialog.WindowRect();
    const int frame = ::GetSystemMetrics(SM_CXFIXEDFRAME);
    const RECT button{r.right - frame - ::GetSystemMetrics(SM_CXSIZE), r.top + frame, r.right - frame,
                      r.top + frame + ::GetSystemMetrics(SM_CYCAPTION)};
    const CImage shot = CaptureScreen(button);
    const COLORREF glyph = ::GetSysColor(COLOR_BTNTEXT);
    int glyphPixels = 0;
    for (size_t i = 0; i + 2 < shot.rgb.size(); i += 3)
        glyphPixels += shot.rgb[i] == GetRValue(glyph) && shot.rgb[i + 1] == GetGValue(glyph) &&
                       shot.rgb[i + 2] == GetBValue(glyph);
    return glyphPixels >= 3;
}

std::string DescribeUiState(const CRemoteWindow& dialog) {
    return "check:" + OnOff(dialog.Child(ids::kForceUpdate).IsEnabled()) +
           " install:" + OnOff(dialog.Child(ids::kInstall).IsEnabled()) +
           " abort:" + OnOff(dialog.Child(ids::kAbort).IsEnabled()) +
           " id:" + Shown(dialog.Child(ids::kOrgId).IsVisible()) +
           " label:" + Shown(dialog.Child(ids::kOrgIdLabel).IsVisible()) +
           " status:" + Shown(dialog.Child(ids::kStatus).IsVisible()) +
           " close:" + OnOff(CloseLooksEnabled(dialog));
}

std::string ExpectedUiState(int state) {
    const bool idle = state == 0;
    return "check:" + OnOff(idle) + " install:" + OnOff(idle) + " abort:" + OnOff(state == 1) +
           " id:" + Shown(idle) + " label:" + Shown(idle) + " status:" + Shown(!idle) +
           " close:" + OnOff(idle);
}

void WaitForUiState(const CRemoteWindow& dialog, int state, DWORD timeoutMs) {
    std::string last;
    if (!PollUntil([&] { return (last = DescribeUiState(dialog)) == ExpectedUiState(state); }, timeoutMs))
        throw CTimeoutError("UI state " + std::to_string(state) + " (" + ExpectedUiState(state) +
                                "); the dialog showed " + last,
                            timeoutMs);
}

CLauncher::CLauncher(const CStartOptions& options)
    : m_app(std::make_unique<CAppProcess>(options)), m_dialog(m_app->WaitForMainDialog()) {
    m_app->WaitForIdle();
    m_dialog.Send(WM_NULL);
}

CMessageBox CLauncher::WaitForMessageBox(DWORD timeoutMs) const {
    return e2e::WaitForMessageBox(*m_app, m_dialog, timeoutMs);
}

CRemoteWindow CLauncher::WaitForAboutBox(DWORD timeoutMs) const {
    const CRemoteWindow box = m_app->WaitForWindow(
        "the About box",
        [](const CRemoteWindow& w) { return w.ClassName() == "#32770" && w.Caption() == kAboutCaption; },
        timeoutMs);
    box.Send(WM_NULL); // past its initialisation, which fills in the texts
    WaitUntilPlaced(box);
    return box;
}

DWORD CLauncher::CloseAndWait(DWORD timeoutMs) {
    m_dialog.SysCommand(SC_CLOSE);
    return m_app->WaitForExit(timeoutMs);
}

} // namespace e2e
