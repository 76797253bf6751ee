// The program's one main window: holds an install attempt's state, owns the controls and offers
// the display operations that the install flow, the download and the installer run use.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"
#include "framework/Handle.h"
#include "framework/Window.h"
#include "install/InstallProgressView.h"
#include "worker/InstallerHold.h"
#include "service/InstallerCatalogue.h"
#include "ui/ImeOffEdit.h"

class CDownloadWorker;
struct DialogPosition;

class CLauncherDlg : public CDialog, private IInstallProgressView {
public:
    explicit CLauncherDlg(HWND parent);
    ~CLauncherDlg() override;

    void SetUiState(int state);
    void ResetProgress() override;
    void ShowDownloadProgress(int percent, int total, int current);
    void ShowInstallProgress(int total, int current) override;
    void ClearCatalogue();
    void InitDefaults();

    std::string m_strServiceUrl;
    std::string m_strOrgId;
    InstallerCatalogue m_catalogue;
    int m_nCurrentItem = 0;
    int m_nLastPercent = 0;
    CDownloadWorker* m_pRunningWorker = nullptr;
    CStaticCtrl m_lblOrgId;
    CImeOffEdit m_editOrgId;
    CStaticCtrl m_lblStatus;
    CStaticCtrl m_lblTitle;
    CButtonCtrl m_chkForceUpdate;
    CProgressCtrl m_progress;
    CIcon m_icon;      // at SM_CXICON: caption on Alt+Tab, minimised, dragged
    CIcon m_iconSmall; // at SM_CXSMICON: caption and taskbar

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    // Ignored while the install flow runs (UI states 1 and 2): some systems turn any WM_CLOSE of a
    // dialog into the cancel command, disabled button or not, and it must not end the dialog
    // under a running download or installer.
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code) override;
    bool OnSysCommand(WPARAM cmd, LPARAM lp) override;
    bool OnPaint() override;
    HICON OnQueryDragIcon() override { return m_icon.Get(); }

    void OnInstall();
    void OnAbort();
    void OnVersion();
    LRESULT OnInstDlMessage(WPARAM wp, LPARAM lp);

private:
    // What the download and the installer run change on the dialog.
    void SetCurrentItem(int current) override { m_nCurrentItem = current; }
    void SetRunningWorker(CDownloadWorker* worker) override { m_pRunningWorker = worker; }

    bool DownloadInstallers(HWND dlg, const std::string& tempDir,
                            const std::vector<std::string>& downloadUrls,
                            std::vector<std::string>& installerFiles, CInstallerHolds& holds,
                            std::string& error);
    bool RunInstallers(const std::vector<std::string>& installerFiles,
                       const std::vector<std::string>& launchParameters, CInstallerHolds& holds,
                       const std::string& workFolder, std::string& error);

    int m_nUiState = 0;

    // Steps from the service queries to the installers' end; 1 after a fully successful run.
    int RunInstall(int force, const DialogPosition& target, std::string& error);
    int ShowBox(const std::string& text, UINT type);
    void ShowBox(UINT stringId, UINT type) { ShowBox(LoadResString(stringId), type); }
    static std::string LoadResString(UINT id);
};
