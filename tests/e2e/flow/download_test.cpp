// Downloading the installers: the progress the dialog shows while a slowed download runs, and the
// abort button.
#include "tests/e2e/flow/FlowFixture.h"

#include <commctrl.h>

#include <atomic>
#include <mutex>
#include <thread>

using namespace e2e;

namespace flow {
namespace {

// 300,1 packs as 012C0001.
const char kThreeInstallers[] = "catalogue v3_flow = 1.2.3.4\n"
                                "catalogue v3_flow = 258,3\n"
                                "catalogue v3_flow = 300,1\n"
                                "download 1 01020304 = {self}/files/a_client.exe\n"
                                "download 2 01020003 = {self}/files/b_custom.exe\n"
                                "download 2 012C0001 = {self}/files/c_custom.exe\n"
                                "launch v3_flow = http://127.0.0.1:9/launch\n";

// Each 1 KiB piece of a file waits this long: a download of a few seconds.
const std::vector<std::string> kSlowFiles = {"--drip", "files:8"};

// The status line as the system keeps its text: read without a message, so without waiting for
// the program's 50 ms pump, fast enough to see every text it shows.
class CStatusRecorder {
public:
    explicit CStatusRecorder(const CRemoteWindow& status)
        : m_status(status), m_thread([this] { Record(); }) {}
    ~CStatusRecorder() { Stop(); }
    void Stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    // Every text in the order shown, each once per showing.
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_texts;
    }

private:
    void Record() {
        std::string last = "\x01";
        while (!m_stop) {
            const std::string text = m_status.Caption();
            if (text != last) {
                std::lock_guard<std::mutex> lock(m_lock);
                m_texts.push_back(text);
                last = text;
            }
            ::Sleep(1);
        }
    }

    CRemoteWindow m_status;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::vector<std::string> m_texts;
    std::thread m_thread;
};

using Download = CFlowTest;

TEST_F(Download, ProgressRisesInOrderAndTheBarFollows) {
    ServeInstaller("client_setup.exe");
    ServeInstaller("custom258_setup.exe");
    Start(kTwoInstallers, kSlowFiles);
    CMessageBox box = Install("flow");
    ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");

    const CRemoteWindow status = App().Control(ids::kStatus), bar = App().Control(ids::kProgress);
    CStatusRecorder recorder(status);
    AnswerMessageBox(box, IDYES);
    // The bar, read between two readings of the same download text, shows that text's percentage.
    std::vector<std::pair<int, int>> barBesideText; // (percent in the text, bar position)
    bool shot = false;
    const std::string installing = texts::Installing(1, 2);
    WaitFor(
        "the downloads to end and the first installer to run",
        [&] {
            const std::string before = status.Caption();
            const int position = static_cast<int>(bar.Send(PBM_GETPOS));
            const std::string after = status.Caption();
            int percent = -1, current = 0, total = 0;
            if (before == after && ParseDownloadText(before, percent, current, total)) {
                barBesideText.emplace_back(percent, position);
                if (!shot && current == 1 && percent >= 30) {
                    EXPECT_EQ(ExpectedUiState(1), DescribeUiState(Dialog())) << "while downloading";
                    WritePng(CaptureScreen(Dialog().WindowRect()),
                             ScreenshotDir() + "flow-download-progress.png");
                    shot = true;
                }
            }
            return after == installing;
        },
        120000, 5);
    recorder.Stop();

    const std::vector<std::string> shown = recorder.Texts();
    std::string sequence; // for the failure messages
    for (const std::string& t : shown)
        sequence += "\n  \"" + t + "\"";
    int lastCurrent = 0, lastPercent = -1;
    int distinct[3] = {0, 0, 0};
    for (const std::string& t : shown) {
        if (t.empty())
            continue; // reset, before each file
        if (t == installing)
            break;
        int percent = -1, current = 0, total = 0;
        ASSERT_TRUE(ParseDownloadText(t, percent, current, total)) << "unexpected status \"" << t << "\"";
        EXPECT_EQ(2, total) << t;
        ASSERT_TRUE(current == 1 || current == 2) << t;
        ASSERT_GE(current, lastCurrent) << "the file number went back at \"" << t << "\"; shown:" << sequence;
        if (current != lastCurrent) {
            lastCurrent = current;
            lastPercent = -1;
        }
        EXPECT_GT(percent, lastPercent)
            << "the percentage did not rise at \"" << t << "\"; shown:" << sequence;
        EXPECT_LE(percent, 100) << t;
        lastPercent = percent;
        ++distinct[current];
    }
    EXPECT_EQ(2, lastCurrent) << "both files were seen downloading; shown:" << sequence;
    EXPECT_GE(distinct[1], 3) << "percentages shown for the first file; shown:" << sequence;
    EXPECT_GE(distinct[2], 3) << "percentages shown for the second file; shown:" << sequence;
    for (const auto& [percent, position] : barBesideText)
        EXPECT_EQ(percent, position) << "the bar beside the text of " << percent << "%";
    EXPECT_GE(barBesideText.size(), 3u) << "readings of the bar beside a download text";
    EXPECT_TRUE(shot) << "no screenshot of the download progress";

    box = WaitForBox(60000);
    ExpectBox(box, texts::kDone, BoxIcon::Information, "OK");
    const std::vector<CInstallerRun> runs = InstallerRuns();
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ("simplemode,", runs[1].parameters) << "a package without a launch address";
    AnswerMessageBox(box, IDOK);
    App().App().WaitForExit();
}

TEST_F(Download, AbortDuringTheSecondOfThreeKeepsTheFirstAndANewAttemptWorks) {
    for (const char* name : {"a_client.exe", "b_custom.exe", "c_custom.exe"})
        ServeInstaller(name);
    Start(kThreeInstallers, kSlowFiles);
    CMessageBox box = Install("flow");
    ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");
    AnswerMessageBox(box, IDYES);

    WaitForDownload("the second download to run", [](int, int current) { return current == 2; });
    EXPECT_TRUE(App().Control(ids::kAbort).IsEnabled());
    App().Control(ids::kAbort).Click();

    box = WaitForBox(60000);
    ExpectBox(box, texts::kAborted, BoxIcon::Warning, "OK");
    EXPECT_EQ(FileSize(ServedPath("a_client.exe")), FileSize(TempPath("a_client.exe")))
        << "the first installer stays in the attempt's folder, whole, while the box is up";
    EXPECT_EQ(std::vector<std::string>{"a_client.exe"}, TempFiles()) << "an aborted download writes no file";
    EXPECT_EQ((std::vector<std::string>{"a_client.exe", "b_custom.exe"}), FileRequests())
        << "the third download never starts";
    AnswerMessageBox(box, IDOK);
    ExpectIdle();
    EXPECT_EQ("", AttemptFolder()) << "the attempt's folder goes with the aborted attempt";
    EXPECT_TRUE(InstallerRuns().empty()) << "an aborted download runs nothing";

    // A new attempt starts afresh and goes all the way.
    box = Install("flow");
    ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");
    AnswerMessageBox(box, IDYES);
    box = WaitForBox(120000);
    ExpectBox(box, texts::kDone, BoxIcon::Information, "OK");
    const std::vector<std::string> fetched = {"a_client.exe", "b_custom.exe", "a_client.exe", "b_custom.exe",
                                              "c_custom.exe"};
    EXPECT_EQ(fetched, FileRequests());
    const std::vector<CInstallerRun> runs = InstallerRuns();
    ASSERT_EQ(3u, runs.size());
    ExpectInAttemptFolder(runs[0], "a_client.exe");
    ExpectInAttemptFolder(runs[1], "b_custom.exe");
    ExpectInAttemptFolder(runs[2], "c_custom.exe");
    EXPECT_TRUE(TempFiles().empty());
    AnswerMessageBox(box, IDOK);
    App().App().WaitForExit();
}

// A close request comes while a file downloads (Alt+F4 or the taskbar's Close under Wine, or
// another program): it waits for the end of the download, but the window keeps painting and
// taking clicks meanwhile, so the bar moves on and Abort works at once.
class CloseDuringDownload : public CFlowTest {
protected:
    void CloseThenAbort(UINT message, WPARAM wParam) {
        ServeInstaller("client_setup.exe");
        ServeInstaller("custom258_setup.exe");
        Start(kTwoInstallers, {"--drip", "files:20"});
        AnswerMessageBox(Install("flow"), IDYES);
        WaitForDownload("the first download to show progress", [](int percent, int) { return percent > 0; });
        const CRemoteWindow bar = App().Control(ids::kProgress);
        Dialog().Post(message, wParam);
        const LRESULT before = bar.Send(PBM_GETPOS);
        ::Sleep(1000);
        const LRESULT after = bar.Send(PBM_GETPOS);
        EXPECT_NE(before, after) << "the bar stood still behind the close request";
        // As the mouse clicks: input behind the held close (a posted BM_CLICK is no input and
        // waits with the close).
        const CRemoteWindow abort = App().Control(ids::kAbort);
        abort.Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        abort.Post(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        CMessageBox box = WaitForBox(2000);
        ExpectBox(box, texts::kAborted, BoxIcon::Warning, "OK");
        EXPECT_TRUE(InstallerRuns().empty()) << "an aborted download runs nothing";
        AnswerMessageBox(box, IDOK);
    }
};

TEST_F(CloseDuringDownload, TheSystemMenusCloseActsOnceTheAbortedAttemptIsOver) {
    CloseThenAbort(WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_EQ(0u, App().App().WaitForExit());
}

TEST_F(CloseDuringDownload, AWindowCloseIsACancelThatTheBusyDialogIgnores) {
    // Wine turns it into the cancel command, whose default ends the dialog.
    CloseThenAbort(WM_CLOSE, 0);
    ExpectIdle();
    EXPECT_TRUE(Dialog().IsVisible()) << "the dialog is still there after the attempt";
}

} // namespace
} // namespace flow
