#include "ui/AboutDlg.h"

#include "framework/Resources.h"
#include "framework/Text.h"
#include "ui/ServiceAddress.h"
#include "ui/resource.h"
#include "util/ModuleVersion.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr) {}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Zeros stand in for fields the resource might lack; our own resource always has four.
    BYTE numbers[4] = {0, 0, 0, 0};
    CModuleVersion version;
    version.GetModuleVersion("FileVersion", numbers);
    ::SetDlgItemTextA(m_hWnd, IDC_ABOUT_VERSION,
                      text::Format("%s Version - %d. %d. %d. %d", "PLMOInstApp", numbers[0], numbers[1],
                                   numbers[2], numbers[3])
                          .c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_ABOUT_SERVICE,
                      text::Format("[ for %s ]", ShortHostName(BuiltInServiceUrl()).c_str()).c_str());
    // The template's icon static has no id and loads the icon shared, at a size of the system's
    // choosing; it gets one loaded at this DPI's large icon size instead.
    m_icon = LoadResIcon(IDR_MAINFRAME, SM_CXICON, SM_CYICON);
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child && m_icon;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            ::SendMessageA(child, STM_SETICON, reinterpret_cast<WPARAM>(m_icon.Get()), 0);
    }
    return TRUE;
}
