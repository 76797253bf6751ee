// The fault matrix: one install attempt per fault, then the checks every fault must pass (the
// message, no file left half-written or outside the temporary folder, the idle dialog, a good
// attempt afterwards). The table of all rows is printed at the end.
#include "tests/e2e/flow/FlowFixture.h"
#include "tests/e2e/matrix/UnixCommand.h"

#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <algorithm>
#include <random>

#include "framework/Handle.h"

using namespace e2e;

namespace flow {
namespace {

const char kCatalogue[] = "catalogue v3_mx = 1.2.3.4\n"
                          "download 1 01020304 = {self}/files/setup.exe\n";

std::string DownloadFailed(const std::string& detail) {
    return "ダウンロードエラー\r\n\r\n詳細エラー：" + detail + "\r\n\r\n対応：管理者にご相談ください。";
}

std::string WinInetText(DWORD code) {
    char buffer[2048] = {};
    HMODULE wininet = ::LoadLibraryA("wininet.dll");
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, wininet, code, 0,
                               buffer, sizeof buffer, nullptr);
    std::string s(buffer, n);
    for (size_t p; (p = s.find_first_of("\r\n")) != std::string::npos;)
        s.erase(p, 1);
    return s;
}

std::string ToUtf8(const std::string& cp932) {
    std::wstring wide(cp932.size() + 1, L'\0');
    int n = ::MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), &wide[0],
                                  static_cast<int>(wide.size()));
    std::string out(n * 3 + 1, '\0');
    int m = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, &out[0], static_cast<int>(out.size()), nullptr,
                                  nullptr);
    out.resize(m);
    return out;
}

// What the box said, short: the string id with its detail where the text is one of the program's
// frames, else the start of the text.
std::string Summary(const std::string& text) {
    struct Frame {
        const char* id;
        std::string before, after;
    };
    const std::string d = "\x01";
    const Frame frames[] = {
        {"104", texts::CheckFailedNoStatus(d).substr(0, texts::CheckFailedNoStatus(d).find(d)),
         texts::CheckFailedNoStatus(d).substr(texts::CheckFailedNoStatus(d).find(d) + 1)},
        {"105", texts::CheckFailedStatus(d).substr(0, texts::CheckFailedStatus(d).find(d)),
         texts::CheckFailedStatus(d).substr(texts::CheckFailedStatus(d).find(d) + 1)},
        {"107", DownloadFailed(d).substr(0, DownloadFailed(d).find(d)),
         DownloadFailed(d).substr(DownloadFailed(d).find(d) + 1)},
        {"108", texts::UrlFailed(d).substr(0, texts::UrlFailed(d).find(d)),
         texts::UrlFailed(d).substr(texts::UrlFailed(d).find(d) + 1)},
    };
    for (const Frame& f : frames) {
        if (text.size() >= f.before.size() + f.after.size() &&
            text.compare(0, f.before.size(), f.before) == 0 &&
            text.compare(text.size() - f.after.size(), f.after.size(), f.after) == 0)
            return std::string(f.id) + " (" +
                   text.substr(f.before.size(), text.size() - f.before.size() - f.after.size()) + ")";
    }
    if (text == texts::kNotAnOrganisation)
        return "106";
    if (text == texts::kUpToDate)
        return "110";
    if (text == texts::kConfirm)
        return "111";
    if (text == texts::kDone)
        return "112";
    std::string shown;
    for (char c : text)
        shown += c == '\r' ? std::string() : c == '\n' ? std::string(" ") : std::string(1, c);
    return "\"" + (shown.size() > 70 ? shown.substr(0, 70) + "..." : shown) + "\"";
}

struct Row {
    std::string name, message, result;
};
std::vector<Row>& Table() {
    static std::vector<Row> rows;
    return rows;
}

// Prints the table once every row has run.
class CTablePrinter : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult& r) override {
        if (r.failed() && m_reason.empty()) {
            m_reason = r.summary();
            m_reason = m_reason.substr(0, m_reason.find('\n'));
        }
    }
    void OnTestStart(const ::testing::TestInfo&) override { m_reason.clear(); }
    void OnTestEnd(const ::testing::TestInfo& info) override {
        if (Table().empty() || Table().back().result != "?")
            Table().push_back({info.name(), "-", "?"});
        Row& row = Table().back();
        row.result = info.result()->Skipped()  ? "SKIPPED"
                     : info.result()->Failed() ? "FAIL: " + m_reason
                                               : "PASS";
    }
    void OnTestProgramEnd(const ::testing::UnitTest&) override {
        std::fflush(stdout);
        _setmode(_fileno(stdout), _O_BINARY);
        std::printf("\nFault matrix\n%-34s | %-60s | %s\n", "row", "message", "result");
        for (const Row& r : Table())
            std::printf("%-34s | %s | %s\n", r.name.c_str(), ToUtf8(r.message).c_str(),
                        ToUtf8(r.result).c_str());
        std::fflush(stdout);
    }
    std::string m_reason;
};

const bool kRegistered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new CTablePrinter);
    return true;
}();

// Every file below a folder, with its size, as "path size" lines.
void Snapshot(const std::string& dir, const std::string& skipA, const std::string& skipB,
              std::vector<std::string>& out) {
    for (const std::string& name : ListFolder(dir)) {
        const std::string path = dir + name;
        if (path + "\\" == skipA || path + "\\" == skipB)
            continue;
        if (::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            Snapshot(path + "\\", skipA, skipB, out);
        else
            out.push_back(path);
    }
}

class Matrix : public CFlowTest {
protected:
    void SetUp() override {
        CFlowTest::SetUp();
        ServeInstaller("setup.exe");
    }
    void TearDown() override {
        if (m_rowStarted) {
            std::vector<std::string> after;
            Snapshot(m_root, m_tempDir, m_workDir, after);
            Snapshot(ProgramDir(), "", "", after);
            EXPECT_EQ(m_before, after) << "files appeared outside the temporary folder";
        }
        CFlowTest::TearDown();
    }

    // The stand-in with the fault, then the program; the row is in the table from here on.
    void Begin(const std::string& row, const std::vector<std::string>& faults, int proxyPort = 0) {
        Table().push_back({row, "-", "?"});
        m_faults = faults;
        Snapshot(m_root, m_tempDir, m_workDir, m_before);
        Snapshot(ProgramDir(), "", "", m_before);
        m_rowStarted = true;
        if (proxyPort != 0) {
            m_port = proxyPort;
            StartProgram(proxyPort);
        } else {
            Start(kCatalogue + m_extraCatalogue, faults);
            m_port = m_service.Port();
        }
    }
    // The box of the attempt, checked and recorded.
    void Expect(const CMessageBox& box, const std::string& text, BoxIcon icon) {
        Table().back().message = Summary(box.text);
        ExpectBox(box, text, icon, "OK");
        AnswerMessageBox(box, IDOK);
        ExpectIdle();
    }
    // The same stand-in without faults on the same port, the served files again.
    void Heal() {
        const std::string oldFolder = m_service.Folder();
        m_service.Stop();
        ASSERT_TRUE(m_service.PrepareFolder());
        ServeInstaller("setup.exe");
        ASSERT_TRUE(m_service.Start(kCatalogue + m_extraCatalogue, {"--port", std::to_string(m_port)}))
            << "the stand-in did not start again on port " << m_port;
        // Our own temporary folder now holds the new stand-in's folder instead of the old one.
        const std::string oldName = oldFolder.substr(oldFolder.rfind('\\') + 1);
        const std::string newName = m_service.Folder().substr(m_service.Folder().rfind('\\') + 1);
        for (std::string& name : m_ownTempBefore)
            if (name == oldName)
                name = newName;
        std::sort(m_ownTempBefore.begin(), m_ownTempBefore.end());
    }
    // A good attempt afterwards: up to the confirmation, answered No, or all the way.
    // A row whose fault should still succeed makes that attempt under the fault (heal false).
    void GoodAttempt(bool full = false, bool heal = true) {
        if (heal && !m_faults.empty())
            Heal();
        CMessageBox box = Install("mx");
        ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");
        if (!full) {
            AnswerMessageBox(box, IDNO);
            ExpectIdle();
            return;
        }
        AnswerMessageBox(box, IDYES);
        box = WaitForBox(60000);
        ExpectBox(box, texts::kDone, BoxIcon::Information, "OK");
        AnswerMessageBox(box, IDOK);
        EXPECT_EQ(0u, App().App().WaitForExit());
        EXPECT_TRUE(TempFiles().empty()) << "the installer is removed after its run";
    }
    void ExpectNoDownloadLeft() {
        EXPECT_TRUE(TempFiles().empty()) << "a failed transfer creates no file";
        EXPECT_TRUE(InstallerRuns().empty()) << "nothing was run";
    }

    std::string m_extraCatalogue;
    std::vector<std::string> m_faults;
    std::vector<std::string> m_before;
    bool m_rowStarted = false;
    int m_port = 0;
};

TEST_F(Matrix, ConnectionRefused) {
    const int port = ClosedLoopbackPort();
    Begin("connection refused (service)", {"--port", std::to_string(port)}, port);
    Expect(Install("mx"), texts::CheckFailedNoStatus(WinInetText(12029)), BoxIcon::Warning);
    EXPECT_TRUE(TempFiles().empty());
    GoodAttempt();
}

TEST_F(Matrix, ResetMidBody) {
    Begin("reset mid-body (download)", {"--reset", "files:100000"});
    CMessageBox box = Install("mx");
    AnswerMessageBox(box, IDYES);
    Expect(WaitForBox(60000), DownloadFailed("http status 200"), BoxIcon::Warning);
    ExpectNoDownloadLeft();
    GoodAttempt(true);
}

TEST_F(Matrix, ResetMidBodyOfTheCatalogue) {
    Begin("reset mid-body (fp=3)", {"--reset", "fp=3:4"});
    Expect(Install("mx"), texts::CheckFailedStatus("http status 200"), BoxIcon::Warning);
    GoodAttempt();
}

TEST_F(Matrix, StallBeforeHeaders) {
    Begin("stall before headers (fp=3)", {"--stall-headers", "fp=3"});
    const DWORD start = ::GetTickCount();
    // The head is waited for as long as the library waits (Wine has no limit of its own, so the
    // program gives it the 30 s of Windows' library).
    CMessageBox box = Install("mx", false, 90000);
    std::printf("note: a service that says nothing was given up after %lu ms\n", ::GetTickCount() - start);
    // Wine ends the silent wait with the request's receive time-out and no status line, which the
    // program reports as the closed connection; a time-out text would do as well.
    const std::string expected = box.text == texts::CheckFailedNoStatus(WinInetText(12002))
                                     ? box.text
                                     : texts::CheckFailedNoStatus(WinInetText(12030));
    Expect(box, expected, BoxIcon::Warning);
    GoodAttempt();
}

TEST_F(Matrix, StallMidBody) {
    Begin("stall mid-body (download)", {"--stall-body", "files:100000"});
    AnswerMessageBox(Install("mx"), IDYES);
    Expect(WaitForBox(90000), DownloadFailed("http status 200"), BoxIcon::Warning);
    ExpectNoDownloadLeft();
    GoodAttempt();
}

TEST_F(Matrix, LengthLargerThanBody) {
    Begin("Content-Length > body (download)", {"--length", "files:+1000"});
    AnswerMessageBox(Install("mx"), IDYES);
    Expect(WaitForBox(90000), DownloadFailed("http status 200"), BoxIcon::Warning);
    ExpectNoDownloadLeft();
    GoodAttempt();
}

TEST_F(Matrix, NoLength) {
    Begin("no Content-Length (download)", {"--no-length", "files"});
    Table().back().message = "112";
    GoodAttempt(true, false);
}

TEST_F(Matrix, Chunked) {
    Begin("chunked (download)", {"--chunked", "files"});
    Table().back().message = "112";
    GoodAttempt(true, false);
}

TEST_F(Matrix, NotFound) {
    Begin("404 (download)", {"--status", "files:404"});
    AnswerMessageBox(Install("mx"), IDYES);
    Expect(WaitForBox(60000), DownloadFailed("http status 404"), BoxIcon::Warning);
    ExpectNoDownloadLeft();
    GoodAttempt();
}

TEST_F(Matrix, ServerError) {
    Begin("500 (fp=3)", {"--status", "fp=3:500"});
    Expect(Install("mx"), texts::CheckFailedStatus("http status 500"), BoxIcon::Warning);
    GoodAttempt();
}

TEST_F(Matrix, ServerErrorOnTheAddress) {
    Begin("500 (fp=4)", {"--status", "fp=4:500"});
    Expect(Install("mx"), texts::UrlFailed("http status 500"), BoxIcon::Warning);
    GoodAttempt();
}

TEST_F(Matrix, AbortMidway) {
    ServeBytes("setup.exe", 200 * 1024);
    Begin("abort mid-way (download)", {"--drip", "files:20"});
    AnswerMessageBox(Install("mx"), IDYES);
    WaitForDownload("the download to pass 30 %", [](int percent, int) { return percent >= 30; });
    App().Control(ids::kAbort).Click();
    Expect(WaitForBox(60000), texts::kAborted, BoxIcon::Warning);
    ExpectNoDownloadLeft();
    GoodAttempt();
}

// Abort while the server has gone silent mid-body, so the library keeps the worker blocked.
class SilentAbort : public Matrix {
protected:
    void AbortWhileSilent(const std::string& row) {
        Begin(row, {"--stall-body", "files:100000"});
        AnswerMessageBox(Install("mx"), IDYES);
        WaitForDownload("the download to stall", [](int percent, int) { return percent > 0; });
        ::Sleep(300);
        // Twice, as an impatient user does; the dialog answers throughout, whatever the library
        // does with the request meanwhile.
        App().Control(ids::kAbort).Click();
        App().Control(ids::kAbort).Click();
        for (int i = 0; i < 10; ++i) {
            EXPECT_NO_THROW(Dialog().Send(WM_NULL, 0, 0, 500));
            ::Sleep(20);
        }
        Expect(WaitForBox(60000), texts::kAborted, BoxIcon::Warning);
        ExpectNoDownloadLeft();
    }
};

TEST_F(SilentAbort, ThenANewAttemptSucceeds) {
    AbortWhileSilent("abort twice on a silent server, then again");
    GoodAttempt(true);
}

TEST_F(SilentAbort, ThenTheProgramEnds) {
    AbortWhileSilent("abort on a silent server, then close");
    // The given-up download is still blocked on the silent server: the process does not wait
    // for it, and a new start finds no copy left that would take it for a second one.
    const DWORD posted = ::GetTickCount();
    Dialog().Post(WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_EQ(0u, App().App().WaitForExit(1000));
    std::printf("note: the process ended %lu ms after the close\n", ::GetTickCount() - posted);
    ExpectNoDownloadLeft();
    StartProgram(m_port);
    EXPECT_TRUE(Dialog().IsVisible()) << "a new start right after the close shows its own dialog";
}

TEST_F(Matrix, PlantedInTheUsersTemporaryFolder) {
    Begin("installer planted in the user's temporary folder", {});
    // What any program of the user could do: put its own program where installers used to land,
    // and keep it locked. The program neither removes it nor runs it.
    const std::string planted = m_tempDir + "setup.exe";
    CFileHandle held(::CreateFileA(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(held);
    Table().back().message = "112";
    GoodAttempt(true, false);
    ASSERT_EQ(1u, InstallerRuns().size());
    ExpectInAttemptFolder(InstallerRuns()[0], "setup.exe");
    held.Reset();
    EXPECT_TRUE(::DeleteFileA(planted.c_str())) << "the planted file is left as it was";
}

std::string WriteRaw(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST_F(Matrix, SixtyLineCatalogue) {
    std::string answer;
    for (int i = 0; i < 49; ++i)
        answer += "x\r\n";
    answer += "1.2.3.4\r\n";
    for (int i = 0; i < 10; ++i)
        answer += "258,3\r\n";
    Begin("fp=3 answer of 60 lines", {"--raw-answer", "fp=3:" + WriteRaw(m_workDir + "sixty.txt", answer)});
    CMessageBox box = Install("mx");
    Table().back().message = Summary(box.text);
    ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");
    int addressQueries = 0;
    for (const CLoggedRequest& r : Requests())
        addressQueries += r.Fp() == "fp=4";
    EXPECT_EQ(1, addressQueries) << "only the 50th line of the answer is an offer that counts";
    AnswerMessageBox(box, IDNO);
    ExpectIdle();
    GoodAttempt();
}

TEST_F(Matrix, BinaryJunkCatalogue) {
    std::mt19937 random(7);
    std::string junk = "J";
    while (junk.size() < 4096) {
        const char c = static_cast<char>(random() & 0xFF);
        if (c != '.' && c != ',')
            junk += c;
    }
    Begin("fp=3 answer of binary junk", {"--raw-answer", "fp=3:" + WriteRaw(m_workDir + "junk.bin", junk)});
    Expect(Install("mx"), texts::kUpToDate, BoxIcon::Information);
    GoodAttempt();
}

TEST_F(Matrix, OneLongLineCatalogue) {
    Begin("fp=3 answer of one 100 kB line",
          {"--raw-answer", "fp=3:" + WriteRaw(m_workDir + "long.txt", std::string(100000, 'a') + "\r\n")});
    Expect(Install("mx"), texts::kUpToDate, BoxIcon::Information);
    GoodAttempt();
}

TEST_F(Matrix, AddressLongerThan2084) {
    m_extraCatalogue = "catalogue v3_long = 1.2.3.5\ndownload 1 01020305 = {self}/files/" +
                       std::string(2100, 'a') + ".exe\n";
    Begin("fp=4 address of 2100+ characters", {});
    AnswerMessageBox(Install("long"), IDYES);
    Expect(WaitForBox(60000), DownloadFailed(""), BoxIcon::Warning);
    ExpectNoDownloadLeft();
    EXPECT_TRUE(FileRequests().empty());
    GoodAttempt();
}

TEST_F(Matrix, FileNameLeavingTheTemporaryFolder) {
    m_extraCatalogue =
        "catalogue v3_bad = 1.2.3.6\ndownload 1 01020306 = {self}/files/..\\\\..\\\\evil.exe\n";
    Begin("file name ..\\..\\evil.exe", {});
    AnswerMessageBox(Install("bad"), IDYES);
    Expect(WaitForBox(60000),
           "ダウンロードアドレスのファイル名は使用できません：" + m_service.Base() +
               "/files/..\\..\\evil.exe",
           BoxIcon::Warning);
    ExpectNoDownloadLeft();
    EXPECT_TRUE(FileRequests().empty());
    GoodAttempt();
}

TEST_F(Matrix, HtmlPageAsInstaller) {
    WriteRaw(ServedPath("setup.exe"), "<html><body>Not found</body></html>\r\n");
    Begin("HTML page with 200 as installer", {});
    AnswerMessageBox(Install("mx"), IDYES);
    CMessageBox box = WaitForBox(60000);
    Table().back().message = Summary(box.text);
    EXPECT_STREQ("none", BoxIconName(box.icon)) << "the failed start of an installer has no icon";
    EXPECT_FALSE(box.text.empty());
    AnswerMessageBox(box, IDOK);
    ExpectIdle();
    ExpectNoDownloadLeft();
    ServeInstaller("setup.exe");
    GoodAttempt(true);
}

TEST_F(Matrix, MissingTemporaryFolder) {
    // The user's temporary folder is not the program's: without it the install goes all the way.
    m_tempDir = m_root + "missing\\";
    Begin("user's temporary folder missing", {});
    Table().back().message = "112";
    GoodAttempt(true, false);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(m_tempDir.c_str())) << "nothing made it";
}

TEST_F(Matrix, Redirect) {
    ServeInstaller("moved.exe");
    Begin("302 redirect (download)", {"--redirect", "files:{self}/files/moved.exe"});
    Table().back().message = "112";
    GoodAttempt(true, false);
    EXPECT_EQ((std::vector<std::string>{"setup.exe", "moved.exe"}), FileRequests());
    ASSERT_EQ(1u, InstallerRuns().size());
    ExpectInAttemptFolder(InstallerRuns()[0], "setup.exe"); // saved under the address's own name
}

TEST_F(Matrix, AbortAtZero) {
    ServeBytes("setup.exe", 200 * 1024);
    Begin("abort at 0 %", {"--drip", "files:50"});
    AnswerMessageBox(Install("mx"), IDYES);
    WaitFor(
        "the download to start", [&] { return !FileRequests().empty(); }, 60000, 5);
    EXPECT_EQ("", App().Control(ids::kStatus).Text()) << "nothing shown yet: 0 %";
    App().Control(ids::kAbort).Click();
    Expect(WaitForBox(60000), texts::kAborted, BoxIcon::Warning);
    ExpectNoDownloadLeft();
    GoodAttempt();
}

TEST_F(Matrix, AbortAfterTheTransfer) {
    // No length: the body ends with the close, which comes three seconds after the last byte.
    Begin("abort after the transfer completed", {"--no-length", "files", "--hold", "files:3000"});
    AnswerMessageBox(Install("mx"), IDYES);
    WaitFor(
        "the download to start", [&] { return !FileRequests().empty(); }, 60000, 5);
    ::Sleep(1000);
    App().Control(ids::kAbort).Click();
    Expect(WaitForBox(60000), texts::kAborted, BoxIcon::Warning);
    EXPECT_TRUE(InstallerRuns().empty()) << "an aborted download is never run";
    const unsigned long long size = FileSize(TempPath("setup.exe"));
    std::printf("note: after the abort the file is %s\n", size == ~0ull ? "absent" : "there, whole");
    if (size != ~0ull) {
        EXPECT_EQ(FileSize(ServedPath("setup.exe")), size) << "if the file is there, it is whole";
    }
    GoodAttempt(true);
}

TEST_F(Matrix, LengthSmallerThanBody) {
    // The installer with 4096 bytes behind it, announced without them: what the program keeps is
    // the announced length, or more where the read that reached it carried some of the rest.
    // Either way the file starts with the whole installer, so it must run.
    ServeInstaller("setup.exe", {{"WaitMs", "5000"}});
    const unsigned long long installerSize = FileSize(ServedPath("setup.exe"));
    std::ofstream(ServedPath("setup.exe"), std::ios::binary | std::ios::app) << std::string(4096, 'S');
    Begin("Content-Length < body (download)", {"--length", "files:-4096"});
    AnswerMessageBox(Install("mx"), IDYES);
    // Every progress shown, until the installer runs and its file can be looked at.
    const CRemoteWindow status = App().Control(ids::kStatus);
    const CRemoteWindow progress = App().Control(ids::kProgress);
    int highest = 0;
    std::vector<std::string> odd;
    WaitFor(
        "the installer to start",
        [&] {
            const std::string text = status.Text();
            int percent = 0, current = 0, total = 0;
            if (ParseDownloadText(text, percent, current, total))
                highest = std::max(highest, percent);
            else if (!text.empty() && text.find("インストールしています") != 0)
                odd.push_back(text);
            highest = std::max(highest, static_cast<int>(progress.Send(PBM_GETPOS)));
            return !InstallerRuns().empty();
        },
        90000, 5);
    EXPECT_LE(highest, 100) << "no progress beyond 100 %";
    EXPECT_TRUE(odd.empty()) << (odd.empty() ? "" : odd.front());
    const unsigned long long saved = FileSize(TempPath("setup.exe"));
    std::printf("note: announced %llu of %llu bytes, saved %llu, highest progress %d %%\n", installerSize,
                installerSize + 4096, saved, highest);
    EXPECT_GE(saved, installerSize) << "the announced length is all there";
    EXPECT_LE(saved, installerSize + 4096);
    std::ifstream savedFile(TempPath("setup.exe"), std::ios::binary),
        served(ServedPath("setup.exe"), std::ios::binary);
    const std::string savedBytes((std::istreambuf_iterator<char>(savedFile)),
                                 std::istreambuf_iterator<char>());
    const std::string servedBytes((std::istreambuf_iterator<char>(served)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(servedBytes.compare(0, savedBytes.size(), savedBytes) == 0) << "what was saved is what came";
    savedFile.close();
    // The row's attempt is the good one: the program ends after its final box.
    CMessageBox box = WaitForBox(60000);
    Table().back().message = Summary(box.text);
    ExpectBox(box, texts::kDone, BoxIcon::Information, "OK");
    AnswerMessageBox(box, IDOK);
    App().App().WaitForExit();
    EXPECT_EQ(1u, InstallerRuns().size());
    EXPECT_TRUE(TempFiles().empty()) << "the installer is removed after its run";
}

TEST_F(Matrix, StallBeforeHeadersOfTheDownload) {
    Begin("stall before headers (download)", {"--stall-headers", "files"});
    AnswerMessageBox(Install("mx"), IDYES);
    const DWORD start = ::GetTickCount();
    CMessageBox box = WaitForBox(90000);
    std::printf("note: a download that never answered was given up after %lu ms\n", ::GetTickCount() - start);
    // As for the catalogue: Wine ends the silent wait with the receive time-out and no status line.
    const std::string expected =
        box.text == DownloadFailed(WinInetText(12002)) ? box.text : DownloadFailed(WinInetText(12030));
    Expect(box, expected, BoxIcon::Warning);
    ExpectNoDownloadLeft();
    EXPECT_EQ(std::vector<std::string>{"setup.exe"}, FileRequests());
    GoodAttempt(true);
}

// A small tmpfs over the folder where the program makes its attempts' folders, mounted from the Unix side (as root only)
// and confirmed from the Windows side by the folder's size; unmounted again on every way out.
class CSmallDisk {
public:
    static constexpr unsigned long long kBytes = 256 * 1024;

    CSmallDisk(const std::string& folder, const std::string& workDir) : m_folder(folder), m_work(workDir) {}
    ~CSmallDisk() {
        std::string ignored;
        if (m_mounted)
            Unmount(ignored);
    }
    CSmallDisk(const CSmallDisk&) = delete;
    CSmallDisk& operator=(const CSmallDisk&) = delete;

    // False with why not: not root, no mount, or the folder does not show the small size.
    bool Mount(std::string& why) {
        const std::string dir = UnixPath(m_folder);
        if (dir.empty()) {
            why = "not under Wine: no tmpfs to mount";
            return false;
        }
        std::string answer;
        if (!RunUnixScript(
                m_work + "mount.sh",
                "if [ \"$(id -u)\" != 0 ]; then echo \"not root\"\n"
                "else mount -t tmpfs -o size=256k plmo-full \"$(realpath \"$1\")\" && echo mounted\n"
                "fi",
                {dir}, 60000, answer) ||
            answer != "mounted") {
            why = answer;
            return false;
        }
        m_mounted = true;
        const unsigned long long total = TotalBytes();
        if (total > 4 * kBytes) {
            why = "mounted, but the folder shows " + std::to_string(total) + " bytes";
            return false;
        }
        return true;
    }
    bool Unmount(std::string& why) {
        std::string answer;
        if (!RunUnixScript(m_work + "umount.sh", "umount \"$(realpath \"$1\")\" && echo unmounted",
                           {UnixPath(m_folder)}, 60000, answer) ||
            answer != "unmounted") {
            why = answer;
            return false;
        }
        m_mounted = false;
        return TotalBytes() > 4 * kBytes;
    }
    unsigned long long TotalBytes() const {
        ULARGE_INTEGER available{}, total{}, free{};
        if (!::GetDiskFreeSpaceExA(m_folder.c_str(), &available, &total, &free))
            return 0;
        return total.QuadPart;
    }

private:
    std::string m_folder, m_work;
    bool m_mounted = false;
};

TEST_F(Matrix, DiskFull) {
    const char row[] = "disk full (Windows Temp folder)";
    auto disk = std::make_unique<CSmallDisk>(SystemTempDir(), m_workDir);
    std::string why;
    if (!disk->Mount(why)) {
        disk.reset();
        Table().push_back({row, "not run: " + why, "?"});
        GTEST_SKIP() << "no small disk for the Windows Temp folder: " << why;
    }
    std::printf("note: the Windows Temp folder now holds %llu bytes\n", disk->TotalBytes());
    // The installer with padding behind it, twice the size of the disk.
    ServeInstaller("setup.exe");
    std::ofstream(ServedPath("setup.exe"), std::ios::binary | std::ios::app)
        << std::string(2 * CSmallDisk::kBytes - FileSize(ServedPath("setup.exe")), '\0');
    Begin(row, {});
    AnswerMessageBox(Install("mx"), IDYES);
    Expect(WaitForBox(60000), "file save error:" + SystemText(ERROR_DISK_FULL), BoxIcon::Warning);
    for (const std::string& name : TempFiles())
        ADD_FAILURE() << "left in the attempt's folder: " << name << ", " << FileSize(TempPath(name))
                      << " of " << FileSize(ServedPath("setup.exe")) << " bytes";
    EXPECT_TRUE(InstallerRuns().empty()) << "nothing was run";
    ASSERT_TRUE(disk->Unmount(why)) << "the small disk did not go: " << why;
    disk.reset();
    ServeInstaller("setup.exe");
    GoodAttempt(true, false);
}

} // namespace
} // namespace flow
