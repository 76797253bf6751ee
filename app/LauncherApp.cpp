#include "app/LauncherApp.h"

#include "app/SingleInstance.h"
#include "ui/LauncherDlg.h"
#include "util/FilePath.h"
#include "worker/GivenUpWorkers.h"

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
    // A download given up on a silent server may still be inside the internet library, which the
    // statics' destruction unloads.
    JoinGivenUpWorkers();
    return false;
}
