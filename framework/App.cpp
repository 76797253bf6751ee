#include "framework/App.h"

#include <commctrl.h>

CApp* CApp::s_current = nullptr;
HINSTANCE CApp::s_instance = nullptr;
std::string CApp::s_name;

CApp::CApp() {
    s_current = this;
}

CApp::~CApp() {
    if (s_current == this)
        s_current = nullptr;
}

namespace {
std::string ExecutableBaseName() {
    char path[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    size_t slash = s.find_last_of("\\/:");
    if (slash != std::string::npos)
        s.erase(0, slash + 1);
    size_t dot = s.rfind('.');
    if (dot != std::string::npos)
        s.erase(dot);
    return s;
}
} // namespace

int CApp::Main(HINSTANCE instance) {
    s_instance = instance;
    s_name = ExecutableBaseName();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (!s_current)
        return 1;
    try {
        s_current->InitInstance();
    } catch (...) {
        return 1;
    }
    return 0;
}
