#include "framework/App.h"

#include <commctrl.h>

#include "framework/Mbcs.h"

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

bool CApp::OnCommand(UINT id) {
    if (id != ID_HELP)
        return false;
    OnHelp();
    return true;
}

namespace {
// Walked character by character: in code page 932 the second byte of ソ, 表 or 能 is 0x5C, which a
// byte search would take for a backslash.
std::string ExecutableBaseName() {
    char path[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string s(path);
    size_t start = 0, dot = std::string::npos;
    for (size_t i = 0; i < s.size(); i += CharLenAt(s, i)) {
        if (s[i] == '\\' || s[i] == '/' || s[i] == ':') {
            start = i + 1;
            dot = std::string::npos;
        } else if (s[i] == '.') {
            dot = i;
        }
    }
    return s.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
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
