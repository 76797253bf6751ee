#include "install/DownloadInstallers.h"

#include <gtest/gtest.h>

#include "framework/Resources.h"
#include "tests/win/install/RecordingView.h"
#include "tests/win/support/LoopbackServer.h"
#include "tests/win/worker/TestFolder.h"
#include "ui/resource.h"
#include "worker/DownloadTexts.h"
#include "worker/DownloadWorker.h"
#include "worker/GivenUpWorkers.h"
#include "worker/MessagePump.h"

namespace {

const UINT kProgressMessage = ::RegisterWindowMessageA("CHttpAccess_InstDl_Message");

// Stands in for the dialog: receives the progress messages through the wait's pump and may
// press "abort" from its handler, as the dialog's button would.
struct DialogStandIn {
    CRecordingView* view = nullptr;
    int abortAtItem = 0;
    bool abortAtLastBlock = false;
    int progressMessages = 0;
};
DialogStandIn* g_dialog = nullptr;

LRESULT CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kProgressMessage && g_dialog) {
        ++g_dialog->progressMessages;
        CRecordingView* view = g_dialog->view;
        const bool last = g_dialog->abortAtLastBlock && wp == static_cast<WPARAM>(lp);
        if (view->runningWorker && (view->currentItem == g_dialog->abortAtItem || last))
            view->runningWorker->Abort();
        return 0;
    }
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

class DownloadInstallersTest : public LoopbackServerTest {
protected:
    void SetUp() override {
        LoopbackServerTest::SetUp();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DialogProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "PlmoDownloadTestDialog";
        ::RegisterClassA(&wc);
        dlg = ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
        ASSERT_NE(nullptr, dlg);
        dialog.view = &view;
        g_dialog = &dialog;
    }
    void TearDown() override {
        g_dialog = nullptr;
        ::DestroyWindow(dlg);
        LoopbackServerTest::TearDown();
    }

    bool Download(const std::vector<std::string>& urls) {
        return DownloadInstallers(view, dlg, folder.Path(), urls, files, holds, error);
    }

    HWND dlg = nullptr;
    CRecordingView view;
    DialogStandIn dialog;
    CTestFolder folder{"dlset"};
    std::vector<std::string> files;
    CInstallerHolds holds;
    std::string error = "untouched";
};

TEST_F(DownloadInstallersTest, NoAddressesMeansOneResetAndSuccess) {
    EXPECT_TRUE(Download({}));
    EXPECT_EQ(std::vector<std::string>{"reset"}, view.calls);
    EXPECT_TRUE(files.empty());
    EXPECT_EQ("untouched", error);
}

TEST_F(DownloadInstallersTest, FetchesEachFileUnderTheLastPartOfItsAddress) {
    server.Enqueue(ScriptedResponse::Ok("client bytes"));
    server.Enqueue(ScriptedResponse::Ok("custom bytes"));
    ASSERT_TRUE(Download({server.Url("/dl/client/setup.exe"), server.Url("/dl/custom/pkg.exe")}));
    EXPECT_EQ((std::vector<std::string>{folder / "setup.exe", folder / "pkg.exe"}), files);
    EXPECT_EQ("client bytes", ReadFileBytes(folder / "setup.exe"));
    EXPECT_EQ((std::vector<std::string>{"reset", "item 1", "worker", "no worker", "reset", "item 2", "worker",
                                        "no worker", "reset"}),
              view.calls);
    EXPECT_EQ(2u, server.RequestCount());
}

TEST_F(DownloadInstallersTest, AQueryStaysInTheNameAndItsWriteFails) {
    server.Enqueue(ScriptedResponse::Ok("bytes"));
    EXPECT_FALSE(Download({server.Url("/dl/get.aspx?id=7")}));
    EXPECT_EQ(0u, error.find("file save error:")) << error;
    EXPECT_TRUE(files.empty());
    EXPECT_EQ(1u, server.RequestCount());
}

TEST_F(DownloadInstallersTest, TwoAddressesWithOneNameShareOnePath) {
    server.Enqueue(ScriptedResponse::Ok("first"));
    server.Enqueue(ScriptedResponse::Ok("second"));
    ASSERT_TRUE(Download({server.Url("/a/setup.exe"), server.Url("/b/setup.exe")}));
    EXPECT_EQ((std::vector<std::string>{folder / "setup.exe", folder / "setup.exe"}), files);
    EXPECT_EQ("second", ReadFileBytes(folder / "setup.exe"));
}

TEST_F(DownloadInstallersTest, AnExistingFileIsReplaced) {
    ASSERT_TRUE(WriteFileBytes(folder / "setup.exe", "an older download that was much longer"));
    server.Enqueue(ScriptedResponse::Ok("new"));
    ASSERT_TRUE(Download({server.Url("/a/setup.exe")}));
    EXPECT_EQ("new", ReadFileBytes(folder / "setup.exe"));
}

TEST_F(DownloadInstallersTest, ALockedExistingFileStopsBeforeTheDownload) {
    const std::string path = folder / "setup.exe";
    ASSERT_TRUE(WriteFileBytes(path, "locked"));
    HANDLE lock =
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    server.Enqueue(ScriptedResponse::Ok("first"));
    server.Enqueue(ScriptedResponse::Ok("second"));
    EXPECT_FALSE(Download({server.Url("/a/first.exe"), server.Url("/a/setup.exe")}));
    ::CloseHandle(lock);
    EXPECT_EQ("既存のファイルを削除できません：" + path, error);
    EXPECT_EQ(std::vector<std::string>{folder / "first.exe"}, files);
    EXPECT_EQ(1u, server.RequestCount());
    EXPECT_EQ("locked", ReadFileBytes(path));
    EXPECT_EQ("reset", view.calls.back());
}

TEST_F(DownloadInstallersTest, AFailedTransferEndsTheRunWithTheWorkersText) {
    server.Enqueue(ScriptedResponse::Status(404, "Not Found"));
    EXPECT_FALSE(Download({server.Url("/a/setup.exe"), server.Url("/a/next.exe")}));
    EXPECT_EQ(download::RequestFailureText(LoadResString(IDS_ERR_DOWNLOAD), 404, ""), error);
    EXPECT_TRUE(files.empty());
    EXPECT_FALSE(FileExists(folder / "setup.exe"));
    EXPECT_EQ(1u, server.RequestCount());
    EXPECT_EQ(nullptr, view.runningWorker);
}

TEST_F(DownloadInstallersTest, AnAbortDuringTheSecondOfThreeKeepsOnlyTheFirst) {
    server.Enqueue(ScriptedResponse::Ok("first"));
    ScriptedResponse slow;
    slow.Header("Content-Length: 60000");
    slow.Piece(std::string(20000, 'x')).Piece(std::string(40000, 'y'), 1500);
    server.Enqueue(slow);
    server.Enqueue(ScriptedResponse::Ok("third"));
    dialog.abortAtItem = 2;
    EXPECT_FALSE(Download({server.Url("/a/one.exe"), server.Url("/a/two.exe"), server.Url("/a/three.exe")}));
    EXPECT_EQ("中断しました", error);
    EXPECT_EQ(std::vector<std::string>{folder / "one.exe"}, files);
    EXPECT_FALSE(FileExists(folder / "two.exe"));
    EXPECT_EQ(2u, server.RequestCount());
    EXPECT_GT(dialog.progressMessages, 0) << "progress reached the window through the wait's pump";
    EXPECT_EQ("reset", view.calls.back());
    EXPECT_EQ(nullptr, view.runningWorker);
}

TEST_F(DownloadInstallersTest, AnAbortAfterTheFileWasWrittenStillCountsAsAborted) {
    server.Enqueue(ScriptedResponse::Ok("complete"));
    const std::string path = folder / "setup.exe";
    view.onWorker = [&](CDownloadWorker& worker) {
        // Press abort only once the transfer is over and its file is on disk.
        for (int i = 0; worker.IsDone() != 1 && i < 3000; ++i)
            ::Sleep(10);
        ASSERT_TRUE(FileExists(path));
        worker.Abort();
    };
    EXPECT_FALSE(Download({server.Url("/a/setup.exe")}));
    EXPECT_EQ("中断しました", error);
    EXPECT_TRUE(files.empty());
    EXPECT_FALSE(FileExists(path)) << "a file stayed behind after the abort was decided";
}

// The abort lands just as the worker decides whether to write: before or after, no file may be
// there once the attempt counts as aborted, nor appear later from a worker that was given up.
TEST_F(DownloadInstallersTest, AnAbortRacingTheEndOfTheBodyNeverLeavesAFile) {
    dialog.abortAtLastBlock = true;
    const std::string path = folder / "race.exe";
    for (int round = 0; round < 20; ++round) {
        server.Enqueue(ScriptedResponse::Ok(std::string(30000 + round * 97, 'r')));
        std::vector<std::string> out;
        std::string e;
        EXPECT_FALSE(
            DownloadInstallers(view, dlg, folder.Path(), {server.Url("/a/race.exe")}, out, holds, e));
        EXPECT_EQ("中断しました", e) << "round " << round;
        EXPECT_FALSE(FileExists(path)) << "round " << round;
        PumpUntil(nullptr, [] { return GivenUpWorkerCount() == 0; });
        EXPECT_FALSE(FileExists(path)) << "written by a given-up worker, round " << round;
    }
}

TEST_F(DownloadInstallersTest, NamesThatCouldLeaveTheFolderAreRefusedUnfetched) {
    const std::string parent = TempRoot() + "evil.exe";
    ::DeleteFileA(parent.c_str());
    for (const std::string path :
         {"/a/..\\evil.exe", "/a/..", "/a/.", "/a/x:stream", "/a/C:evil.exe", "/a/nul"}) {
        const std::string url = server.Url(path);
        std::string e;
        std::vector<std::string> out;
        EXPECT_FALSE(DownloadInstallers(view, dlg, folder.Path(), {url}, out, holds, e)) << path;
        EXPECT_NE(std::string::npos, e.find(url)) << path;
        EXPECT_TRUE(out.empty());
    }
    EXPECT_EQ(0u, server.RequestCount());
    EXPECT_FALSE(FileExists(parent));
}

TEST_F(DownloadInstallersTest, AnAddressEndingInASlashWritesNothing) {
    server.SetDefault(ScriptedResponse::Ok("listing"));
    const std::string url = server.Url("/a/dir/");
    EXPECT_FALSE(Download({url}));
    EXPECT_NE(std::string::npos, error.find(url));
    EXPECT_TRUE(files.empty());
    EXPECT_EQ(0u, server.RequestCount());
}

TEST_F(DownloadInstallersTest, NoTemporaryFolderWritesNothing) {
    server.SetDefault(ScriptedResponse::Ok("bytes"));
    std::vector<std::string> out;
    std::string e;
    EXPECT_FALSE(DownloadInstallers(view, dlg, "", {server.Url("/a/plmo-no-folder.exe")}, out, holds, e));
    EXPECT_FALSE(e.empty());
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(0u, server.RequestCount());
    EXPECT_FALSE(FileExists("plmo-no-folder.exe"));
}

} // namespace
