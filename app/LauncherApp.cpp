#include "app/LauncherApp.h"

#include "app/SingleInstance.h"
#include "ui/LauncherDlg.h"
#include "util/FilePath.h"

CLauncherApp theApp;

bool CLauncherApp::InitInstance() {
    CFilePath self;
    self.SetModulePath();
    std::string name = self.GetName() + self.GetExt();

    if (HWND running = FindRunningInstanceWindow(name, 1, ::GetCurrentProcessId())) {
        if (::IsIconic(running))
            ::ShowWindow(running, SW_RESTORE);
        BringWindowToFront(running);
        return false;
    }

    CLauncherDlg dlg(nullptr);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return false;
}
