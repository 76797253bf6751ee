// The application object: one global instance of a derived class; WinMain hands control to it.
#pragma once

#include <windows.h>

#include <string>

class CWindow;

// The framework's Help command, the id the classic frameworks give it.
constexpr UINT ID_HELP = 0xE146;

class CApp {
public:
    CApp();
    virtual ~CApp();
    CApp(const CApp&) = delete;
    CApp& operator=(const CApp&) = delete;

    // Runs the program; returning false ends it (there is no message loop of the application's own).
    virtual bool InitInstance() = 0;

    static CApp* Current() { return s_current; }
    static HINSTANCE Instance() { return s_instance ? s_instance : ::GetModuleHandleA(nullptr); }
    // Base name of the executable file without its extension: the caption of boxes that name no
    // caption of their own.
    static const std::string& Name() { return s_name; }

    // The application's command table: a dialog hands it the commands it does not handle itself.
    // True when handled; the framework's Help command goes to OnHelp.
    virtual bool OnCommand(UINT id);
    // The default help handler. The program ships no help file, and the classic handler would open
    // one found beside the program: a file anybody may have put there, read by an elevated viewer.
    // So there is nothing to show, and the command ends here.
    virtual void OnHelp() {}

    // Owner of modal dialogs that name no parent of their own.
    CWindow* m_pMainWnd = nullptr;

    // Called by WinMain.
    static int Main(HINSTANCE instance);

private:
    static CApp* s_current;
    static HINSTANCE s_instance;
    static std::string s_name;
};
