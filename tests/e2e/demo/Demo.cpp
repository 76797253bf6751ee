// `make demo`: PLMOInstApp as built against the stand-in install service with the demo catalogue
// and fake installers. --auto drives a whole install on the display it is given (the private
// Xvfb), prints each step and what the user sees and saves screenshots to build/screenshots/;
// without it the person at the display clicks through and the demo waits until the program ends.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <string>

#include "tests/e2e/demo/DemoInstall.h"

#include <commctrl.h>

using namespace e2e;

namespace {

const DWORD kStepTimeoutMs = 90000;

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

// A box text on indented lines.
std::string Indented(const std::string& text) {
    std::string out = "    ";
    for (char c : Utf8(text)) {
        if (c == '\r')
            continue;
        out += c;
        if (c == '\n')
            out += "    ";
    }
    return out;
}

void Step(const std::string& what) {
    std::printf("* %s\n", what.c_str());
    std::fflush(stdout);
}

void Show(const char* label, const CRemoteWindow& w) {
    std::printf("  %-14s %s%s\n", label, Utf8(w.Text()).c_str(),
                w.IsVisible() ? (w.IsEnabled() ? "" : "  (disabled)") : "  (hidden)");
}

void ShowBox(const CMessageBox& box) {
    std::printf("  message box \"%s\" (%s icon, buttons %s):\n%s\n", Utf8(box.caption).c_str(),
                BoxIconName(box.icon), ButtonsText(box.buttons).c_str(), Indented(box.text).c_str());
    std::fflush(stdout);
}

void Shot(const RECT& area, const char* name) {
    WritePng(CaptureSettled(area), ScreenshotDir() + name);
    std::printf("  screenshot build/screenshots/%s\n", name);
    std::fflush(stdout);
}

void ShowIdle(CLauncher& app) {
    const CRemoteWindow& dlg = app.Dialog();
    std::printf("  dialog \"%s\":\n", Utf8(dlg.Caption()).c_str());
    Show("title", app.Control(ids::kTitle));
    Show("label", app.Control(ids::kOrgIdLabel));
    Show("ID field", app.Control(ids::kOrgId));
    Show("status", app.Control(ids::kStatus));
    Show("check box", app.Control(ids::kForceUpdate));
    Show("button", app.Control(ids::kInstall));
    Show("button", app.Control(ids::kAbort));
    Shot(dlg.WindowRect(), "demo-idle.png");
}

// The next message box, or false when none is there yet.
bool BoxShown(CLauncher& app, CMessageBox& box) {
    try {
        box = app.WaitForMessageBox(0);
        return true;
    } catch (const CTimeoutError&) {
        return false;
    }
}

// Follows the status line through downloads and installer runs until the final box comes,
// printing each new step (download percentages only at the start and end of a file).
CMessageBox FollowInstall(demo::CDemoInstall& run) {
    CLauncher& app = run.App();
    const CRemoteWindow status = app.Control(ids::kStatus), bar = app.Control(ids::kProgress);
    std::string last, lastDownload, printed;
    int lastFile = 0;
    bool downloadShot = false, marqueeShot = false;
    const DWORD start = ::GetTickCount();
    CMessageBox box;
    while (!BoxShown(app, box)) {
        if (::GetTickCount() - start > kStepTimeoutMs)
            throw CTimeoutError("the final message box", kStepTimeoutMs);
        if (!app.App().IsRunning())
            throw std::runtime_error("PLMOInstApp ended before it showed its final message box");
        const std::string text = status.Caption();
        if (text != last) {
            int percent = 0, current = 0, total = 0;
            const bool downloading = flow::ParseDownloadText(text, percent, current, total);
            // A file's download: its first and its last text.
            if (!lastDownload.empty() && (!downloading || current != lastFile) && lastDownload != printed)
                std::printf("  status: %s\n", Utf8(lastDownload).c_str());
            if (!downloading || current != lastFile) {
                std::printf("  status: %s\n", text.empty() ? "(blank)" : Utf8(text).c_str());
                printed = text;
            }
            lastDownload = downloading ? text : "";
            lastFile = downloading ? current : 0;
            if (downloading && !downloadShot && percent >= 30 && percent < 90) {
                downloadShot = true;
                Shot(run.Dialog().WindowRect(), "demo-download.png");
            }
            if (!downloading && !marqueeShot && text.rfind("インストールしています", 0) == 0 &&
                (bar.Style() & PBS_MARQUEE)) {
                marqueeShot = true;
                ::Sleep(500); // the marquee under way, the installer's window up
                RECT area = run.Dialog().WindowRect();
                if (HWND installer = ::FindWindowA(nullptr, "Fake installer"))
                    area = UnionOf(area, CRemoteWindow(installer).WindowRect());
                Shot(area, "demo-install.png");
            }
            std::fflush(stdout);
            last = text;
        }
        ::Sleep(20);
    }
    if (!downloadShot)
        std::printf("  (the downloads went by too fast for a screenshot)\n");
    if (!marqueeShot)
        std::printf("  (no installer marquee seen for a screenshot)\n");
    return run.WaitForBox(kDefaultTimeoutMs); // raised above its dialog when Wine put it below
}

int RunAuto(const demo::CDemoCatalogue& catalogue) {
    Step("Starting the stand-in install service and PLMOInstApp (installers take 3 s each)");
    demo::CDemoInstall run(catalogue, 3000);
    run.Start(6);
    std::printf("  service on 127.0.0.1:%d, used as the program's http_proxy\n", run.ServicePort());
    CLauncher& app = run.App();
    ShowIdle(app);

    Step("Typing the organisation ID \"" + catalogue.orgId + "\" and clicking " + Utf8("インストール"));
    app.TypeOrgId(catalogue.orgId);
    app.ClickInstall();
    CMessageBox box = run.WaitForBox(kStepTimeoutMs);
    ShowBox(box);
    if (box.text != flow::texts::kConfirm) {
        std::printf("demo failed: expected the confirmation box\n");
        return 1;
    }
    Step("Answering Yes; downloading and running the installers");
    AnswerMessageBox(box, IDYES);
    box = FollowInstall(run);

    Step("The final box");
    ShowBox(box);
    Shot(UnionOf(box.window.WindowRect(), run.Dialog().WindowRect()), "demo-done.png");
    const bool ok = box.text == flow::texts::kDone;
    Step("Answering OK");
    AnswerMessageBox(box, IDOK);
    if (!ok) {
        std::printf("demo failed: the install did not end with \"%s\"\n", Utf8(flow::texts::kDone).c_str());
        return 1;
    }
    const DWORD code = app.App().WaitForExit();
    std::printf("  PLMOInstApp ended with exit code %lu\n", static_cast<unsigned long>(code));
    bool recorded = true;
    for (const demo::CDemoCatalogue::CInstaller& inst : catalogue.installers) {
        const std::string value = demo::CDemoInstall::InstalledValue(inst.regValue);
        std::printf("  installed: HKLM\\%s\\%s = %s\n", CInstalledVersions::kKey, inst.regValue.c_str(),
                    value.c_str());
        recorded = recorded && value == inst.regData;
    }
    if (!recorded) {
        std::printf("demo failed: the installers did not record the versions of the catalogue\n");
        return 1;
    }
    std::printf("Demo install finished successfully.\n");
    return code == 0 ? 0 : 1;
}

int RunInteractive(const demo::CDemoCatalogue& catalogue) {
    demo::CDemoInstall run(catalogue, 3000);
    run.Start(6);
    std::printf("PLMOInstApp is running against the stand-in install service on 127.0.0.1:%d.\n"
                "Type the organisation ID \"%s\" and click %s.\n"
                "The demo ends when the program does.\n",
                run.ServicePort(), catalogue.orgId.c_str(), Utf8("インストール").c_str());
    std::fflush(stdout);
    const DWORD code = run.App().App().WaitForExit(INFINITE);
    std::printf("PLMOInstApp ended with exit code %lu; stopping the stand-in service.\n",
                static_cast<unsigned long>(code));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const bool automatic = argc > 1 && std::string(argv[1]) == "--auto";
    try {
        const demo::CDemoCatalogue catalogue = demo::LoadDemoCatalogue();
        return automatic ? RunAuto(catalogue) : RunInteractive(catalogue);
    } catch (const std::exception& e) {
        std::printf("demo failed: %s\n", e.what());
        return 1;
    }
}
