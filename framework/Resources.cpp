#include "framework/Resources.h"

#include "framework/App.h"

std::string LoadResString(UINT id) {
    char buf[4096];
    int n = ::LoadStringA(CApp::Instance(), id, buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

CIcon LoadResIcon(UINT id, int metricX, int metricY) {
    return CIcon(static_cast<HICON>(::LoadImageA(CApp::Instance(), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                                 ::GetSystemMetrics(metricX), ::GetSystemMetrics(metricY),
                                                 LR_DEFAULTCOLOR)));
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}
