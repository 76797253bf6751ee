// The install button: the program's whole job, run to completion inside this one command.
// Downloads and installer runs pump messages while they wait, so abort and progress still work.
#include "ui/LauncherDlg.h"

#include "framework/App.h"
#include "framework/Text.h"
#include "ui/DialogPlacement.h"
#include "ui/OrgId.h"
#include "framework/Resources.h"
#include "install/DownloadInstallers.h"
#include "install/RunInstallers.h"
#include "service/ServiceQueries.h"
#include "service/ServiceText.h"
#include "ui/resource.h"
#include "util/FullWidth.h"
#include "util/MonitorList.h"
#include "util/PrivateFolder.h"

void CLauncherDlg::OnInstall() {
    // 1. Where the dialog goes while installers run, from the monitors as they are now.
    CMonitorList monitors;
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    DialogPosition target;
    if (const MONITORINFOEXA* primary = monitors.FindPrimary())
        target = BottomCentrePosition(primary->rcWork.right, primary->rcWork.bottom, rc.right - rc.left,
                                      rc.bottom - rc.top);

    int result = 0;
    std::string error;

    m_strOrgId = text::TrimBoth(m_editOrgId.GetText());
    if (m_strOrgId.empty()) {
        ShowBox(IDS_ENTER_ORGID, MB_ICONEXCLAMATION | MB_OK);
        m_editOrgId.Focus();
    } else if (ContainsFullWidthChars(m_strOrgId)) {
        ShowBox(IDS_FULLWIDTH, MB_ICONEXCLAMATION | MB_OK);
        m_editOrgId.Focus();
    } else {
        m_strOrgId = NormaliseOrgId(m_strOrgId);
        ClearCatalogue();
        SetUiState(1);
        int force = m_chkForceUpdate.GetCheck();
        m_strServiceUrl = text::TrimBoth(m_strServiceUrl);
        if (!m_strServiceUrl.empty())
            result = RunInstall(force, target, error);
    }

    SetUiState(0);
    CenterWindow();
    if (result == 1)
        OnOK();
}

int CLauncherDlg::RunInstall(int force, const DialogPosition& target, std::string& error) {
    const UINT warning = MB_ICONEXCLAMATION | MB_OK, information = MB_ICONINFORMATION | MB_OK;
    InstallerCatalogue& c = m_catalogue;

    if (!QueryInstallerCatalogue(m_strServiceUrl, m_strOrgId, force, c.kinds, c.versions, error)) {
        ShowBox(error, warning);
        return 0;
    }
    if (!QueryDownloadUrls(m_strServiceUrl, m_strOrgId, c.kinds, c.versions, c.downloadUrls,
                           c.launchParameters, error)) {
        ShowBox(error, warning);
        return 0;
    }
    if (c.kinds.empty()) {
        ShowBox(IDS_UP_TO_DATE, information);
        return 0;
    }
    if (ShowBox(LoadResString(IDS_CONFIRM), MB_ICONQUESTION | MB_YESNO) != IDYES)
        return 0;

    // The attempt's own folder, which only administrators can write: it goes, with all that is in
    // it, when this returns, whatever the outcome. There is no fallback to the user's temporary
    // folder, whose files any program of the user may swap or plant.
    CPrivateFolder folder;
    if (!folder.Create(error)) {
        ShowBox(service::FillMessage(LoadResString(IDS_ERR_DOWNLOAD), error), warning);
        return 0;
    }
    // Refused before anything is downloaded, as the start itself would fail.
    if (!CheckInstallersCanStart(c.downloadUrls, error)) {
        ShowMessageBox(m_hWnd, error, CApp::Name(), MB_OK);
        return 0;
    }
    // Whatever is still held when this returns (an abort, a failure) is released with it, before
    // the folder goes.
    CInstallerHolds holds;
    if (!DownloadInstallers(m_hWnd, folder.Path(), c.downloadUrls, c.installerFiles, holds, error)) {
        ShowBox(error, warning);
        return 0;
    }

    // Out of the way at the bottom of the screen, but above everything, while installers run.
    SetUiState(2);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, target.x, target.y, 0, 0, SWP_NOSIZE);

    if (!RunInstallers(c.installerFiles, c.launchParameters, holds, folder.Path(), error)) {
        ShowMessageBox(m_hWnd, error, CApp::Name(), MB_OK);
        return 0;
    }
    CenterWindow();
    ShowBox(IDS_INSTALL_DONE, information);
    return 1;
}

bool CLauncherDlg::DownloadInstallers(HWND dlg, const std::string& tempDir,
                                      const std::vector<std::string>& downloadUrls,
                                      std::vector<std::string>& installerFiles, CInstallerHolds& holds,
                                      std::string& error) {
    return ::DownloadInstallers(*this, dlg, tempDir, downloadUrls, installerFiles, holds, error);
}

bool CLauncherDlg::RunInstallers(const std::vector<std::string>& installerFiles,
                                 const std::vector<std::string>& launchParameters, CInstallerHolds& holds,
                                 const std::string& workFolder, std::string& error) {
    return ::RunInstallers(*this, installerFiles, launchParameters, holds, workFolder, error);
}
