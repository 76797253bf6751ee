#include "worker/DownloadWorker.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/Resources.h"
#include "worker/InstallerSignature.h"
#include "tests/win/support/LoopbackServer.h"
#include "tests/win/worker/FakeInstallerSetup.h"
#include "tests/win/worker/TestFolder.h"
#include "ui/resource.h"
#include "util/SystemError.h"
#include "worker/DownloadTexts.h"
#include "http/HttpAccess.h"

namespace {

const UINT kProgressMessage = ::RegisterWindowMessageA("CHttpAccess_InstDl_Message");

struct Progress {
    WPARAM received;
    LPARAM total;
};

std::string Generated(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(PatternByte(i));
    return s;
}

class DownloadWorkerTest : public LoopbackServerTest {
protected:
    void SetUp() override {
        LoopbackServerTest::SetUp();
        // A message-only window of this thread: the worker posts into this thread's queue.
        wnd = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, wnd);
    }
    void TearDown() override {
        ::DestroyWindow(wnd);
        LoopbackServerTest::TearDown();
    }

    // Starts the worker as the installer download does and waits for its done flag.
    void RunToDone(CDownloadWorker& w) {
        ASSERT_TRUE(w.Start(false, 50, THREAD_PRIORITY_ABOVE_NORMAL));
        for (int i = 0; w.IsDone() != 1; ++i) {
            ASSERT_LT(i, 3000) << "the download never finished";
            ::Sleep(10);
        }
        w.Stop(false);
    }

    std::vector<Progress> TakeProgress() {
        std::vector<Progress> out;
        MSG msg;
        while (::PeekMessageA(&msg, wnd, kProgressMessage, kProgressMessage, PM_REMOVE))
            out.push_back({msg.wParam, msg.lParam});
        return out;
    }

    static std::string Frame() { return LoadResString(IDS_ERR_DOWNLOAD); }

    HWND wnd = nullptr;
    CTestFolder folder{"dlworker"};
};

TEST_F(DownloadWorkerTest, WritesTheWholeBodyAndReportsRisingProgress) {
    const size_t size = 100000;
    ScriptedResponse r;
    r.Header("Content-Length: " + std::to_string(size));
    r.generatedBytes = size;
    r.generatedBlock = 7000;
    server.Enqueue(r);
    CDownloadWorker w;
    w.m_strError = "kept on success";
    w.SetJob(wnd, server.Url("/files/setup.exe"), folder / "setup.exe");
    RunToDone(w);

    EXPECT_EQ(0, w.m_bFailed);
    EXPECT_EQ("kept on success", w.m_strError);
    EXPECT_EQ(0, w.IsAborted());
    EXPECT_EQ(Generated(size), ReadFileBytes(folder / "setup.exe"));
    ASSERT_EQ(1u, server.RequestCount());
    RecordedRequest req = server.Requests()[0];
    EXPECT_EQ("GET", req.method);
    EXPECT_EQ("/files/setup.exe", req.target);
    EXPECT_EQ("korvenalis-installapp [pc]", req.Header("User-Agent"));

    std::vector<Progress> p = TakeProgress();
    ASSERT_GE(p.size(), 7u) << "one message per read of at most 16383 bytes";
    WPARAM last = 0;
    for (const Progress& m : p) {
        EXPECT_EQ(static_cast<LPARAM>(size), m.total);
        EXPECT_GT(m.received, last);
        EXPECT_LE(m.received - last, 16383u);
        last = m.received;
    }
    EXPECT_EQ(size, last);
}

TEST_F(DownloadWorkerTest, NoContentLengthMeansNoProgressMessages) {
    ScriptedResponse r;
    r.Piece("first part ").Piece("second part", 100);
    server.Enqueue(r);
    CDownloadWorker w;
    w.SetJob(wnd, server.Url("/f/a.exe"), folder / "a.exe");
    RunToDone(w);
    EXPECT_TRUE(TakeProgress().empty());
}

TEST_F(DownloadWorkerTest, ABodyWithoutLengthEndsWhenTheServerCloses) {
    ScriptedResponse r;
    r.Piece("first part ").Piece("second part", 100);
    server.Enqueue(r);
    CDownloadWorker w;
    w.SetJob(wnd, server.Url("/f/a.exe"), folder / "a.exe");
    RunToDone(w);
    EXPECT_EQ(0, w.m_bFailed) << w.m_strError;
    EXPECT_EQ("first part second part", ReadFileBytes(folder / "a.exe"));
}

TEST_F(DownloadWorkerTest, ANullWindowGetsNothingPosted) {
    server.Enqueue(ScriptedResponse::Ok("body"));
    CDownloadWorker w;
    w.SetJob(nullptr, server.Url("/f/a.exe"), folder / "a.exe");
    RunToDone(w);
    EXPECT_EQ(0, w.m_bFailed);
    EXPECT_EQ("body", ReadFileBytes(folder / "a.exe"));
    EXPECT_TRUE(TakeProgress().empty());
}

TEST_F(DownloadWorkerTest, AnEmptyBodyFailsAndWritesNothing) {
    server.Enqueue(ScriptedResponse::Status(200, "OK"));
    CDownloadWorker w;
    w.SetJob(wnd, server.Url("/f/a.exe"), folder / "a.exe");
    RunToDone(w);
    EXPECT_EQ(1, w.m_bFailed);
    EXPECT_EQ(download::EmptyResponseText(Frame()), w.m_strError);
    EXPECT_NE(std::string::npos, w.m_strError.find("Responce size 0."));
    EXPECT_FALSE(FileExists(folder / "a.exe"));
    EXPECT_TRUE(TakeProgress().empty());
}

TEST_F(DownloadWorkerTest, AStatusOtherThan200IsNamedAndAnExistingFileIsNeverCut) {
    ASSERT_TRUE(WriteFileBytes(folder / "a.exe", "old contents"));
    server.Enqueue(ScriptedResponse::Status(404, "Not Found"));
    CDownloadWorker w;
    w.SetJob(wnd, server.Url("/f/a.exe"), folder / "a.exe");
    RunToDone(w);
    EXPECT_EQ(1, w.m_bFailed);
    EXPECT_EQ(download::RequestFailureText(Frame(), 404, ""), w.m_strError);
    EXPECT_NE(std::string::npos, w.m_strError.find("http status 404"));
    EXPECT_EQ("old contents", ReadFileBytes(folder / "a.exe"));

    // The caller removed its file before: one there now was put by somebody else, maybe as a link
    // to a file that this elevated program must not cut.
    server.Enqueue(ScriptedResponse::Ok("body"));
    CDownloadWorker again;
    again.SetJob(wnd, server.Url("/f/a.exe"), folder / "a.exe");
    RunToDone(again);
    EXPECT_EQ(1, again.m_bFailed);
    EXPECT_EQ(0u, again.m_strError.find("file save error:")) << again.m_strError;
    EXPECT_EQ("old contents", ReadFileBytes(folder / "a.exe"));
}

TEST_F(DownloadWorkerTest, AMissingDestinationFolderIsAFileSaveError) {
    server.Enqueue(ScriptedResponse::Ok("body"));
    CDownloadWorker w;
    const std::string target = folder / "missing\\a.exe";
    w.SetJob(wnd, server.Url("/f/a.exe"), target);
    RunToDone(w);
    EXPECT_EQ(1, w.m_bFailed);
    std::string systemText;
    ASSERT_TRUE(FormatSystemError(ERROR_PATH_NOT_FOUND, systemText));
    EXPECT_EQ("file save error:" + systemText, w.m_strError);
    EXPECT_FALSE(FileExists(target));
}

TEST_F(DownloadWorkerTest, ADemandedPublisherRefusesAnUnsignedProgramAndLetsGoOfIt) {
    server.Enqueue(ScriptedResponse::Ok(ReadFileBytes(FakeInstallerProgram())));
    CDownloadWorker w;
    const std::string target = folder / "a.exe";
    w.SetJob(wnd, server.Url("/f/a.exe"), target);
    w.SetSignerPin(L"Tavin Test Publisher");
    RunToDone(w);
    EXPECT_EQ(1, w.m_bFailed);
    EXPECT_EQ(SignatureRefusalText(target, LoadResString(IDS_SIG_NONE)), w.m_strError);
    EXPECT_TRUE(::DeleteFileA(target.c_str())) << "no hold stays on a refused file";
}

// A build that demands sound certificates takes nothing over plain http: not a byte is asked for.
TEST_F(DownloadWorkerTest, StrictTlsRefusesAPlainHttpAddressInTheFrame) {
    server.Enqueue(ScriptedResponse::Ok(ReadFileBytes(FakeInstallerProgram())));
    CDownloadWorker w;
    w.SetJob(wnd, server.Url("/f/a.exe"), folder / "a.exe");
    w.SetStrictTls(true);
    RunToDone(w);
    EXPECT_EQ(1, w.m_bFailed);
    EXPECT_EQ(download::RequestFailureText(Frame(), 0, CHttpAccess::kPlainHttpRefused), w.m_strError);
    EXPECT_EQ(0u, server.Requests().size());
    EXPECT_FALSE(FileExists(folder / "a.exe"));
}

TEST_F(DownloadWorkerTest, ABodyBeyondTheAddressSpaceFailsWithTheMemoryTextUnread) {
    ScriptedResponse r;
    r.headers = {"Content-Length: 4000000000"};
    r.generatedBytes = 1u << 20;
    server.Enqueue(r);
    CDownloadWorker w;
    w.SetJob(wnd, server.Url("/f/a.exe"), folder / "a.exe");
    RunToDone(w);
    EXPECT_EQ(1, w.m_bFailed);
    std::string memory;
    ASSERT_TRUE(FormatSystemError(ERROR_NOT_ENOUGH_MEMORY, memory));
    EXPECT_EQ(download::RequestFailureText(Frame(), 0, memory), w.m_strError) << "not \"http status 200\"";
    EXPECT_TRUE(TakeProgress().empty());
    EXPECT_FALSE(FileExists(folder / "a.exe"));
}

TEST_F(DownloadWorkerTest, NoServerGivesTheTransportTextInTheFrame) {
    const std::string url = server.Url("/f/a.exe");
    server.Stop();
    CDownloadWorker w;
    w.SetJob(wnd, url, folder / "a.exe");
    RunToDone(w);
    EXPECT_EQ(1, w.m_bFailed);
    // The frame around the library's one-line text for the refused connection.
    const std::string frame = Frame();
    const size_t at = frame.find("%s");
    ASSERT_NE(std::string::npos, at);
    const std::string head = frame.substr(0, at), tail = frame.substr(at + 2);
    ASSERT_GT(w.m_strError.size(), head.size() + tail.size());
    EXPECT_EQ(head, w.m_strError.substr(0, head.size()));
    EXPECT_EQ(tail, w.m_strError.substr(w.m_strError.size() - tail.size()));
    const std::string detail =
        w.m_strError.substr(head.size(), w.m_strError.size() - head.size() - tail.size());
    EXPECT_EQ(std::string::npos, detail.find('\n'));
    EXPECT_EQ(std::string::npos, detail.find("http status"));
    EXPECT_FALSE(FileExists(folder / "a.exe"));
}

TEST_F(DownloadWorkerTest, AnAbortStopsTheTransferAndKeepsTheExistingFile) {
    ASSERT_TRUE(WriteFileBytes(folder / "a.exe", "old contents"));
    ScriptedResponse r;
    r.Header("Content-Length: 60000");
    r.Piece(std::string(20000, 'x')).Piece(std::string(40000, 'y'), 1500);
    server.Enqueue(r);
    CDownloadWorker w;
    w.SetJob(wnd, server.Url("/f/a.exe"), folder / "a.exe");
    ASSERT_TRUE(w.Start(false, 50, THREAD_PRIORITY_ABOVE_NORMAL));
    // Abort once the first block has been reported, as the dialog's button would.
    MSG msg;
    for (int i = 0; !::PeekMessageA(&msg, wnd, kProgressMessage, kProgressMessage, PM_REMOVE); ++i) {
        ASSERT_LT(i, 1000);
        ::Sleep(10);
    }
    w.Abort();
    for (int i = 0; w.IsDone() != 1; ++i) {
        ASSERT_LT(i, 3000);
        ::Sleep(10);
    }
    w.Stop(false);
    EXPECT_EQ(1, w.IsAborted());
    EXPECT_EQ(1, w.m_bFailed);
    EXPECT_EQ(download::RequestFailureText(Frame(), 200, ""), w.m_strError);
    EXPECT_EQ("old contents", ReadFileBytes(folder / "a.exe"));
}

// An abort while the library is blocked on a silent server. Closing the request ends the blocked
// call on Windows at once; some library versions only let it return at the receive time-out. Either
// way the transfer counts as cancelled the moment Abort returns, and nothing it receives afterwards
// may reach the disk.
class StalledAbortTest : public DownloadWorkerTest {
protected:
    static constexpr DWORD kStallMs = 2000;

    void StartAndWaitUntil(CDownloadWorker& w, const std::function<bool()>& ready) {
        w.SetJob(wnd, server.Url("/f/a.exe"), folder / "a.exe");
        ASSERT_TRUE(w.Start(false, 50, THREAD_PRIORITY_ABOVE_NORMAL));
        for (int i = 0; !ready(); ++i) {
            ASSERT_LT(i, 1000) << "the transfer never got going";
            ::Sleep(10);
        }
        ::Sleep(200); // the worker is now inside the blocked call
    }
    void AbortAndExpectNothingWritten(CDownloadWorker& w) {
        EXPECT_EQ(0, w.IsTransferCancelled());
        w.Abort();
        EXPECT_EQ(1, w.IsTransferCancelled()) << "the running transfer was not cancelled";
        // A second click while the request is being closed returns without waiting for the library.
        const DWORD before = ::GetTickCount();
        w.Abort();
        EXPECT_LT(::GetTickCount() - before, 1000u) << "the second abort waited for the close";
        // The server resumes and completes the body after the abort; it must be thrown away.
        RunToDoneAfterStart(w);
        EXPECT_EQ(1, w.IsAborted());
        EXPECT_EQ(1, w.m_bFailed);
        EXPECT_FALSE(FileExists(folder / "a.exe"));
    }
    void RunToDoneAfterStart(CDownloadWorker& w) {
        for (int i = 0; w.IsDone() != 1; ++i) {
            ASSERT_LT(i, 3000) << "the cancelled download never finished";
            ::Sleep(10);
        }
        w.Stop(false);
    }
};

TEST_F(StalledAbortTest, AnAbortInsideABlockedReadCancelsAndDiscardsTheRest) {
    ScriptedResponse r;
    r.Header("Content-Length: 100000");
    r.Piece(std::string(20000, 'x')).Piece(std::string(80000, 'y'), kStallMs);
    server.Enqueue(r);
    CDownloadWorker w;
    StartAndWaitUntil(w, [this] {
        MSG msg;
        return ::PeekMessageA(&msg, wnd, kProgressMessage, kProgressMessage, PM_REMOVE) != 0;
    });
    AbortAndExpectNothingWritten(w);
    EXPECT_TRUE(TakeProgress().empty()) << "no progress is reported after the abort";
}

TEST_F(StalledAbortTest, AnAbortWhileWaitingForTheHeadersCancelsTheRequest) {
    ScriptedResponse r = ScriptedResponse::Ok("late body");
    r.pauseBeforeHeadersMs = kStallMs;
    server.Enqueue(r);
    CDownloadWorker w;
    StartAndWaitUntil(w, [this] { return server.RequestCount() > 0; });
    AbortAndExpectNothingWritten(w);
}

TEST_F(StalledAbortTest, AnAbortBeforeTheRequestOpensEndsItBeforeItIsAnswered) {
    ScriptedResponse r = ScriptedResponse::Ok("never seen");
    r.pauseBeforeHeadersMs = 30000;
    server.SetDefault(r);
    CDownloadWorker w;
    w.SetJob(wnd, server.Url("/f/a.exe"), folder / "a.exe");
    w.Abort();
    // Nothing runs yet, but nothing can be written any more: the request ends itself as soon as
    // it opens, long before the server would answer.
    EXPECT_EQ(1, w.IsTransferCancelled());
    const DWORD start = ::GetTickCount();
    RunToDone(w);
    EXPECT_LT(::GetTickCount() - start, 10000u);
    EXPECT_EQ(1, w.IsAborted());
    EXPECT_EQ(1, w.m_bFailed);
    EXPECT_FALSE(FileExists(folder / "a.exe"));
}

TEST_F(DownloadWorkerTest, ABodyCutShortNeverCreatesTheFile) {
    ScriptedResponse r;
    r.Header("Content-Length: 1000");
    r.Piece(std::string(1000, 'z'));
    r.closeAfterBodyBytes = 600;
    server.Enqueue(r);
    CDownloadWorker w;
    w.SetJob(wnd, server.Url("/f/a.exe"), folder / "a.exe");
    RunToDone(w);
    EXPECT_EQ(1, w.m_bFailed);
    EXPECT_EQ(download::RequestFailureText(Frame(), 200, ""), w.m_strError);
    EXPECT_FALSE(FileExists(folder / "a.exe"));
}

TEST_F(DownloadWorkerTest, AnAbortAfterTheRunStaysVisible) {
    server.Enqueue(ScriptedResponse::Ok("body"));
    CDownloadWorker w;
    w.SetJob(wnd, server.Url("/f/a.exe"), folder / "a.exe");
    RunToDone(w);
    w.Abort();
    EXPECT_EQ(1, w.IsAborted());
    EXPECT_EQ(0, w.IsTransferCancelled()) << "nothing was running to cancel";
    EXPECT_EQ(1, w.IsDone());
    EXPECT_EQ(0, w.m_bFailed);
    EXPECT_TRUE(FileExists(folder / "a.exe"));
}

} // namespace
