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

    {
        CLauncherDlg dlg(nullptr);
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    // A download given up on a silent server may keep its thread inside the internet library for
    // as long as the server stays silent. Nobody waits for it: the process ends here and the
    // system ends that thread first, before any library is told of the end and before any of our
    // statics is destroyed, so the thread never runs again. The library itself is never unloaded.
    if (GivenUpWorkerCount() != 0)
        ::ExitProcess(0);
    return false;
}
