#include "ui/AboutDlg.h"

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
    return TRUE;
}
