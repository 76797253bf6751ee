#include "ui/LauncherDlg.h"

#include <commctrl.h>

#include "framework/App.h"
#include "framework/Resources.h"
#include "ui/AboutDlg.h"
#include "ui/ProgressText.h"
#include "ui/ServiceAddress.h"
#include "ui/resource.h"
#include "worker/DownloadWorker.h"

namespace {
// The dialog's own registration; the worker's module registers the same name, and the system
// hands both the same id.
const UINT InstDlMessage = ::RegisterWindowMessageA("CHttpAccess_InstDl_Message");

const char kCaption[] = "PLMOInstApp";
const char kTitle[] = "Korvenalisクライアント インストールランチャ";
} // namespace

CLauncherDlg::CLauncherDlg(HWND parent)
    : CDialog(IDD_LAUNCHER_DIALOG, parent), m_icon(LoadResIcon(IDR_MAINFRAME, SM_CXICON, SM_CYICON)),
      m_iconSmall(LoadResIcon(IDR_MAINFRAME, SM_CXSMICON, SM_CYSMICON)) {
    MapRegisteredMessage(InstDlMessage, [this](WPARAM wp, LPARAM lp) { return OnInstDlMessage(wp, lp); });
}

CLauncherDlg::~CLauncherDlg() = default;

std::string CLauncherDlg::LoadResString(UINT id) {
    return ::LoadResString(id);
}

int CLauncherDlg::ShowBox(const std::string& text, UINT type) {
    return ShowMessageBox(m_hWnd, text, kCaption, type);
}

void CLauncherDlg::DoDataExchange() {
    m_lblOrgId.Attach(GetItem(IDC_ORGID_LABEL));
    m_editOrgId.Subclass(GetItem(IDC_ORGID));
    m_lblStatus.Attach(GetItem(IDC_STATUS));
    m_lblTitle.Attach(GetItem(IDC_TITLE));
    m_chkForceUpdate.Attach(GetItem(IDC_FORCE_UPDATE));
    m_progress.Attach(GetItem(IDC_PROGRESS));
}

BOOL CLauncherDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    std::string about = LoadResString(IDS_ABOUTBOX);
    if (!about.empty()) {
        if (HMENU sys = ::GetSystemMenu(m_hWnd, FALSE)) {
            ::AppendMenuA(sys, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(sys, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }

    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.Get()));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_iconSmall.Get()));

    for (int id : {IDOK, IDCANCEL}) {
        CWindow button(GetItem(id));
        button.Enable(false);
        button.Show(false);
    }

    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    m_lblOrgId.Enable(true);
    m_lblOrgId.Show(true);
    m_editOrgId.Enable(true);
    m_editOrgId.Show(true);
    m_lblStatus.Show(false);

    m_editOrgId.EnableImeOff();
    InitDefaults();
    ResetProgress();
    SetUiState(0);
    return TRUE;
}

void CLauncherDlg::InitDefaults() {
    m_strServiceUrl = BuiltInServiceUrl();
    m_lblTitle.SetText(kTitle);
}

void CLauncherDlg::SetUiState(int state) {
    m_nUiState = state;
    bool idle = state == 0;
    m_chkForceUpdate.Enable(idle);
    CWindow(GetItem(IDC_INSTALL)).Enable(idle);
    CWindow(GetItem(IDC_ABORT)).Enable(state == 1);
    m_editOrgId.Show(idle);
    m_lblOrgId.Show(idle);
    m_lblStatus.Show(!idle);
    if (HMENU sys = ::GetSystemMenu(m_hWnd, FALSE))
        ::EnableMenuItem(sys, SC_CLOSE, MF_BYCOMMAND | (idle ? MF_ENABLED : MF_GRAYED));
}

void CLauncherDlg::ResetProgress() {
    m_progress.SetPos(0);
    m_progress.SetMarquee(false, 0);
    m_lblStatus.SetText("");
    m_nLastPercent = 0;
}

void CLauncherDlg::ShowDownloadProgress(int percent, int total, int current) {
    m_lblStatus.SetText(DownloadStatusText(percent, total, current));
    m_progress.SetPos(percent);
}

void CLauncherDlg::ShowInstallProgress(int total, int current) {
    m_lblStatus.SetText(InstallStatusText(total, current));
    m_progress.SetMarquee(true, 100);
}

void CLauncherDlg::ClearCatalogue() {
    m_catalogue.Clear();
}

LRESULT CLauncherDlg::OnInstDlMessage(WPARAM wp, LPARAM lp) {
    // Any process may post a registered message: without a running download, or without a
    // total to divide by, it means nothing.
    if (!m_pRunningWorker || static_cast<DWORD>(lp) == 0)
        return 0;
    int percent = static_cast<int>(DownloadPercent(static_cast<DWORD>(wp), static_cast<DWORD>(lp)));
    if (percent == m_nLastPercent)
        return 0;
    ShowDownloadProgress(percent, static_cast<int>(m_catalogue.kinds.size()), m_nCurrentItem);
    m_nLastPercent = percent;
    return 0;
}

bool CLauncherDlg::OnCommand(UINT id, UINT /*code*/) {
    switch (id) {
    case IDC_INSTALL:
        OnInstall();
        return true;
    case IDC_ABORT:
        OnAbort();
        return true;
    case ID_HELP_VERSION:
        OnVersion();
        return true;
    default:
        return false;
    }
}

bool CLauncherDlg::OnSysCommand(WPARAM cmd, LPARAM /*lp*/) {
    if ((cmd & 0xFFF0) == IDM_ABOUTBOX) {
        OnVersion();
        return true;
    }
    if ((cmd & 0xFFF0) == SC_CLOSE) {
        OnOK();
        return true;
    }
    return false;
}

bool CLauncherDlg::OnPaint() {
    if (!::IsIconic(m_hWnd))
        return false;
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    // At exactly the size it was loaded at for this DPI, so it is never stretched.
    int cx = ::GetSystemMetrics(SM_CXICON), cy = ::GetSystemMetrics(SM_CYICON);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    ::DrawIconEx(dc, (rc.right - rc.left - cx + 1) / 2, (rc.bottom - rc.top - cy + 1) / 2, m_icon.Get(), cx,
                 cy, 0, nullptr, DI_NORMAL);
    ::EndPaint(m_hWnd, &ps);
    return true;
}

void CLauncherDlg::OnOK() {
    OnAbort();
    CDialog::OnOK();
}

void CLauncherDlg::OnCancel() {
    if (m_nUiState == 0)
        CDialog::OnCancel();
}

void CLauncherDlg::OnAbort() {
    if (m_pRunningWorker)
        m_pRunningWorker->Abort();
}

void CLauncherDlg::OnVersion() {
    CAboutDlg about;
    about.DoModal();
}
