// Starts PLMOInstApp as built, waits for its dialog, saves a screenshot to build/screenshots/,
// prints the texts the user sees, then either closes it (--close) or waits until the person at
// the display has closed it.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <string>

#include "tests/e2e/driver/Driver.h"

using namespace e2e;

namespace {

// The program's texts are in the ANSI code page; the terminal that reads us wants UTF-8.
std::string Utf8(const std::string& ansi) {
    if (ansi.empty())
        return ansi;
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(::MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), &wide[0], int(wide.size())));
    std::string out(wide.size() * 3, '\0');
    out.resize(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &out[0], int(out.size()),
                                     nullptr, nullptr));
    return out;
}

void Show(const char* label, const CRemoteWindow& w) {
    std::printf("  %-14s %s%s\n", label, Utf8(w.Text()).c_str(),
                w.IsVisible() ? (w.IsEnabled() ? "" : "  (disabled)") : "  (hidden)");
}

int Run(bool close) {
    CLauncher app;
    const CRemoteWindow& dlg = app.Dialog();
    const std::string shot = ScreenshotDir() + "demo-idle.png";
    WritePng(CaptureSettled(dlg.WindowRect()), shot);

    std::printf("PLMOInstApp is showing its dialog \"%s\":\n", Utf8(dlg.Caption()).c_str());
    Show("title", app.Control(ids::kTitle));
    Show("label", app.Control(ids::kOrgIdLabel));
    Show("ID field", app.Control(ids::kOrgId));
    Show("status", app.Control(ids::kStatus));
    Show("check box", app.Control(ids::kForceUpdate));
    Show("button", app.Control(ids::kInstall));
    Show("button", app.Control(ids::kAbort));
    std::printf("Screenshot: %s\n", shot.c_str());
    std::fflush(stdout);

    if (close) {
        app.CloseAndWait();
        std::printf("Closed through the system menu.\n");
    } else {
        std::printf("Close the window to end the demo.\n");
        std::fflush(stdout);
        app.App().WaitForExit(INFINITE);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const bool close = argc > 1 && std::string(argv[1]) == "--close";
    try {
        return Run(close);
    } catch (const std::exception& e) {
        std::printf("demo failed: %s\n", e.what());
        return 1;
    }
}
