#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include "tests/e2e/driver/Driver.h"

using namespace e2e;

namespace {

const char kInstallerName[] = "plmo-e2e-not-a-program.exe";

// The program's proxy on 127.0.0.1 answers as the install service would: the catalogue given by
// the test, one download address on this same server, and a file that is no program at all.
class ServiceAnswers : public ::testing::Test {
protected:
    std::string m_catalogue;
    std::atomic<int> m_port{0};
    CLoopbackHttp m_net{[this](const CHttpRequest& req) { return Answer(req); }};
    std::unique_ptr<CLauncher> m_app;

    void Start(const std::string& catalogue, const std::string& exePath = "") {
        m_catalogue = catalogue;
        m_port = m_net.Port();
        m_app = std::make_unique<CLauncher>(CStartOptions{exePath, "", {m_net.ProxyEnvironment()}});
    }

    CHttpResponse Answer(const CHttpRequest& req) {
        if (req.target.find("?fp=3&") != std::string::npos)
            return {200, m_catalogue};
        if (req.target.find("?fp=4&") != std::string::npos)
            return {200, "http://127.0.0.1:" + std::to_string(m_port.load()) + "/files/" + kInstallerName};
        if (req.target.find(std::string("/files/") + kInstallerName) != std::string::npos)
            return {200, "this file is no program"};
        return {404, ""};
    }

    static std::string TempInstallerPath() {
        char dir[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, dir);
        return std::string(dir) + kInstallerName;
    }

    static RECT PrimaryWorkArea() {
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        ::GetMonitorInfoA(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
        return mi.rcWork;
    }

    void TearDown() override { ::DeleteFileA(TempInstallerPath().c_str()); }
};

TEST_F(ServiceAnswers, NoNeededInstallerReportsUpToDate) {
    Start("this line names no installer\r\n");
    m_app->TypeOrgId("abc");
    m_app->ClickInstall();
    const CMessageBox box = m_app->WaitForMessageBox();
    EXPECT_EQ("ご利用のアプリケーションは最新版です。\r\nアップデートの必要はありません。", box.text);
    EXPECT_STREQ("information", BoxIconName(box.icon));
    EXPECT_EQ("OK", ButtonsText(box.buttons));
    AnswerMessageBox(box, IDOK);
    WaitForUiState(m_app->Dialog(), 0);
    EXPECT_TRUE(m_app->App().IsRunning()) << "the dialog stays open";
    ASSERT_EQ(1u, m_net.RequestCount());
    EXPECT_NE(std::string::npos, m_net.Requests()[0].target.find("?fp=3&oid=v3_abc"))
        << m_net.Requests()[0].target;
}

TEST_F(ServiceAnswers, AnsweringNoToTheConfirmationDownloadsNothing) {
    Start("1.2.3.4\r\n");
    m_app->Control(ids::kForceUpdate).Click(); // whatever the registry says, the client is needed
    m_app->TypeOrgId("abc");
    m_app->ClickInstall();
    const CMessageBox box = m_app->WaitForMessageBox();
    EXPECT_EQ("インストーラが見つかりました。続行しますか？", box.text);
    EXPECT_STREQ("question", BoxIconName(box.icon));
    EXPECT_EQ("Yes,No", ButtonsText(box.buttons));
    AnswerMessageBox(box, IDNO);
    WaitForUiState(m_app->Dialog(), 0);
    const std::vector<CHttpRequest> requests = m_net.Requests();
    ASSERT_EQ(2u, requests.size()) << "catalogue and download address, no download";
    EXPECT_EQ("POST", requests[1].method);
    EXPECT_NE(std::string::npos, requests[1].target.find("?fp=4&mt=1&nv=01020304")) << requests[1].target;
}

TEST_F(ServiceAnswers, AnInstallerThatCannotStartIsReportedWithoutIcon) {
    Start("1.2.3.4\r\n");
    m_app->Control(ids::kForceUpdate).Click();
    m_app->TypeOrgId("abc");
    m_app->ClickInstall();
    AnswerMessageBox(m_app->WaitForMessageBox(), IDYES);

    // The download worked, the start fails: the box comes while the installers' phase shows.
    const CMessageBox box = m_app->WaitForMessageBox();
    EXPECT_EQ("PLMOInstApp", box.caption) << "the program's own name";
    EXPECT_STREQ("none", BoxIconName(box.icon));
    EXPECT_EQ("OK", ButtonsText(box.buttons));
    EXPECT_FALSE(box.text.empty());
    EXPECT_EQ(ExpectedUiState(2), DescribeUiState(m_app->Dialog()));
    EXPECT_TRUE(m_app->Dialog().IsTopmost());
    const RECT work = PrimaryWorkArea(), r = m_app->Dialog().WindowRect();
    const int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_EQ(work.right / 2 - w / 2, r.left) << "at the bottom centre of the primary monitor";
    EXPECT_EQ(work.bottom - h, r.top);
    EXPECT_EQ(::GetFileAttributesA(TempInstallerPath().c_str()), INVALID_FILE_ATTRIBUTES)
        << "the installer file is removed even though it did not start";
    ASSERT_EQ(3u, m_net.RequestCount());
    EXPECT_EQ("GET", m_net.Requests()[2].method);

    AnswerMessageBox(box, IDOK);
    WaitForUiState(m_app->Dialog(), 0);
    const RECT back = m_app->Dialog().WindowRect();
    EXPECT_NEAR((work.left + work.right) / 2, (back.left + back.right) / 2, 1) << "centred again";
    EXPECT_NEAR((work.top + work.bottom) / 2, (back.top + back.bottom) / 2, 1);
    EXPECT_TRUE(m_app->App().IsRunning()) << "a failed run leaves the dialog open";
}

TEST_F(ServiceAnswers, TheStartFailureCaptionKeepsADoubleByteProgramNameWhole) {
    // ソ and 表 end in the byte 0x5C, which is a backslash when taken alone.
    const std::string exe = TempInstallerPath().substr(0, TempInstallerPath().rfind('\\') + 1) + "ソフト表.exe";
    ASSERT_TRUE(::CopyFileA(BuiltProgramPath().c_str(), exe.c_str(), FALSE));
    Start("1.2.3.4\r\n", exe);
    m_app->Control(ids::kForceUpdate).Click();
    m_app->TypeOrgId("abc");
    m_app->ClickInstall();
    AnswerMessageBox(m_app->WaitForMessageBox(), IDYES);
    const CMessageBox box = m_app->WaitForMessageBox();
    EXPECT_EQ("ソフト表", box.caption);
    AnswerMessageBox(box, IDOK);
    WaitForUiState(m_app->Dialog(), 0);
    m_app->CloseAndWait();
    EXPECT_TRUE(::DeleteFileA(exe.c_str()));
}

} // namespace
