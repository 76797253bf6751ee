// Running the downloaded installers: their parameter texts, order and clean-up, where the dialog
// waits meanwhile, the end of a successful run, and an installer that cannot be started.
#include "tests/e2e/flow/FlowFixture.h"

#include <commctrl.h>

#include <cstdlib>

using namespace e2e;

namespace flow {
namespace {

// The launch address comes with blanks around it, which go, and a "%" sequence, which stays.
const char kClientAndPackage[] = "catalogue v3_flow = 1.2.3.4\n"
                                 "catalogue v3_flow = 258,3\n"
                                 "download 1 01020304 = {self}/files/client_setup.exe\n"
                                 "download 2 01020003 = {self}/files/custom258_setup.exe\n"
                                 "launch v3_flow = \\s\\shttp://127.0.0.1:9/launch?org=flow&p=%41\\s\n";

const char kThreeInstallers[] = "catalogue v3_flow = 1.2.3.4\n"
                                "catalogue v3_flow = 258,3\n"
                                "catalogue v3_flow = 300,1\n"
                                "download 1 01020304 = {self}/files/a_client.exe\n"
                                "download 2 01020003 = {self}/files/b_custom.exe\n"
                                "download 2 012C0001 = {self}/files/c_custom.exe\n";

const unsigned long long kSecond = 10000000; // in the installer log's 100 ns units

std::string RectText(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) +
           "," + std::to_string(r.bottom) + ")";
}

// Centred on the work area of the monitor, as far as a halving allows.
void ExpectCentred(const RECT& r) {
    const RECT work = PrimaryMonitor().rcWork;
    EXPECT_LE(std::abs((r.left + r.right) - (work.left + work.right)), 2)
        << RectText(r) << " in " << RectText(work);
    EXPECT_LE(std::abs((r.top + r.bottom) - (work.top + work.bottom)), 2)
        << RectText(r) << " in " << RectText(work);
}

using Installers = CFlowTest;

TEST_F(Installers, FullRunStartsEachInstallerWithItsParametersFromTheBottomOfTheScreenAndEnds) {
    ServeInstaller("client_setup.exe", {{"WaitMs", "3000"}, {"RegValue", "Version"}, {"RegData", "1.2.3.4"}});
    ServeInstaller("custom258_setup.exe", {{"RegValue", "Custom_001.002"}, {"RegData", "1.2.0.3"}});
    Start(kClientAndPackage);
    CMessageBox box = Install("flow");
    ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");
    AnswerMessageBox(box, IDYES);

    // While the first installer runs.
    const CRemoteWindow status = App().Control(ids::kStatus), bar = App().Control(ids::kProgress);
    WaitFor(
        "the first installer to run", [&] { return status.Caption() == texts::Installing(1, 2); }, 60000);
    WaitForUiState(Dialog(), 2);
    const MONITORINFO primary = PrimaryMonitor();
    const RECT r = Dialog().WindowRect();
    const int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_EQ(primary.rcWork.right / 2 - w / 2, r.left)
        << "at the bottom centre of " << RectText(primary.rcWork);
    EXPECT_EQ(primary.rcWork.bottom - h, r.top) << "at the bottom centre of " << RectText(primary.rcWork);
    EXPECT_TRUE(Dialog().IsTopmost());
    EXPECT_TRUE(bar.Style() & PBS_MARQUEE) << "the bar runs as a marquee while installers run";
    // The dialog keeps painting while it waits: the marquee moves (the first change may be the
    // repaint after the move, so two are waited for).
    const RECT barRect = bar.WindowRect();
    for (int change = 0; change < 2; ++change) {
        const CImage before = CaptureScreen(barRect);
        WaitFor("the marquee to move", [&] { return CaptureScreen(barRect).rgb != before.rgb; });
    }
    EXPECT_EQ(texts::Installing(1, 2), status.Caption()) << "the marquee moved while the first installer ran";
    WritePng(CaptureScreen(r), ScreenshotDir() + "flow-install-marquee.png");
    WaitFor("the first installer's start in its log", [&] { return InstallerRuns().size() == 1; });
    EXPECT_EQ(0u, InstallerRuns()[0].ended) << "it ran for longer than this took";

    WaitFor(
        "the second installer to run", [&] { return status.Caption() == texts::Installing(2, 2); }, 60000);
    EXPECT_EQ(r.left, Dialog().WindowRect().left) << "the dialog keeps its place while the installers run";
    EXPECT_EQ(r.top, Dialog().WindowRect().top) << "the dialog keeps its place while the installers run";

    box = WaitForBox(60000);
    ExpectBox(box, texts::kDone, BoxIcon::Information, "OK");
    ExpectCentred(Dialog().WindowRect());
    const std::vector<CInstallerRun> runs = InstallerRuns();
    ASSERT_EQ(2u, runs.size());
    ExpectInAttemptFolder(runs[0], "client_setup.exe");
    EXPECT_EQ("simplemode,nochkwiz,noiechk,", runs[0].parameters);
    ExpectInAttemptFolder(runs[1], "custom258_setup.exe");
    EXPECT_EQ("simplemode,lnc_url=http://127.0.0.1:9/launch?org=flow&p=%41", runs[1].parameters);
    ASSERT_NE(0u, runs[0].ended);
    EXPECT_GE(runs[1].started, runs[0].ended + kSecond)
        << "the next installer starts after the first has ended and its file was removed";
    EXPECT_NE(0u, runs[1].ended);
    EXPECT_TRUE(TempFiles().empty()) << "every installer file is deleted after its run";
    EXPECT_EQ((std::vector<std::string>{"client_setup.exe", "custom258_setup.exe"}), FileRequests());
    AnswerMessageBox(box, IDOK);
    EXPECT_EQ(0u, App().App().WaitForExit()) << "a successful run ends the program";

    // What the installers recorded is installed now.
    StartProgram();
    box = Install("flow");
    ExpectBox(box, texts::kUpToDate, BoxIcon::Information, "OK");
    AnswerMessageBox(box, IDOK);
    ExpectIdle();
    App().CloseAndWait();
}

TEST_F(Installers, ADownloadedInstallerCannotBeSwappedAndOneThatIsNoProgramStopsTheRunWithTheSystemsMessage) {
    // A copy under another name: the box names the program by its file.
    m_exePath = m_workDir + "KorvenalisSetup.exe";
    ASSERT_TRUE(::CopyFileA(BuiltProgramPath().c_str(), m_exePath.c_str(), FALSE));
    ServeInstaller("a_client.exe");
    ServeInstaller("b_custom.exe");
    ServeBytes("c_custom.exe", 64 * 1024);
    Start(kThreeInstallers, {"--drip", "files:8"});
    CMessageBox box = Install("flow");
    ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");
    AnswerMessageBox(box, IDYES);

    WaitForDownload("the second download to run", [](int, int current) { return current == 2; });
    // What any program of the user could try: put its own program in place of the one that the
    // elevated program is about to start.
    EXPECT_FALSE(::CopyFileA(ServedPath("c_custom.exe").c_str(), TempPath("a_client.exe").c_str(), FALSE));

    box = WaitForBox(120000);
    EXPECT_EQ("KorvenalisSetup", box.caption) << "the program's file name, not its usual caption";
    EXPECT_STREQ("none", BoxIconName(box.icon));
    EXPECT_EQ("OK", ButtonsText(box.buttons));
    EXPECT_EQ(SystemText(ERROR_BAD_EXE_FORMAT), box.text)
        << "the system's own text for a file that is no program";
    EXPECT_FALSE(Dialog().IsEnabled()) << "the box is modal to the dialog";
    const std::vector<CInstallerRun> runs = InstallerRuns();
    ASSERT_EQ(2u, runs.size()) << "the downloaded installers ran, and nothing after the failed start";
    ExpectInAttemptFolder(runs[0], "a_client.exe");
    ExpectInAttemptFolder(runs[1], "b_custom.exe");
    EXPECT_TRUE(TempFiles().empty()) << "every file goes after its run or its failed start";
    AnswerMessageBox(box, IDOK);
    ExpectIdle();
    ExpectCentred(Dialog().WindowRect());
    EXPECT_TRUE(App().App().IsRunning()) << "after a failure the dialog stays open";
    App().CloseAndWait();
}

// Only programs and packages start, never through the shell: any other type is refused before the
// first download, the way a start that found no program for the file fails.
TEST_F(Installers, AFileOfAnotherTypeIsRefusedBeforeAnythingIsDownloaded) {
    ServeInstaller("client_setup.exe");
    ServeBytes("custom258.hta", 1024);
    Start("catalogue v3_flow = 1.2.3.4\n"
          "catalogue v3_flow = 258,3\n"
          "download 1 01020304 = {self}/files/client_setup.exe\n"
          "download 2 01020003 = {self}/files/custom258.hta\n");
    CMessageBox box = Install("flow");
    ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");
    AnswerMessageBox(box, IDYES);
    box = WaitForBox(60000);
    EXPECT_EQ(SystemText(ERROR_NO_ASSOCIATION), box.text);
    EXPECT_EQ("PLMOInstApp", box.caption) << "as a failed start shows it";
    EXPECT_STREQ("none", BoxIconName(box.icon));
    EXPECT_TRUE(FileRequests().empty()) << "nothing is downloaded";
    AnswerMessageBox(box, IDOK);
    ExpectIdle();
    EXPECT_TRUE(InstallerRuns().empty()) << "nothing runs";
    EXPECT_EQ("", AttemptFolder()) << "the attempt's folder goes with the refusal";
    App().CloseAndWait();
}

} // namespace
} // namespace flow
