#include <gtest/gtest.h>

#include "tests/e2e/driver/Driver.h"

using namespace e2e;

namespace {

const char kEnterId[] = "組織IDを入力してください。";
const char kFullWidth[] = "全角文字が含まれています。\r\n半角で入力してください。";

// The program's proxy is a recorder on 127.0.0.1: every request it would send shows up there,
// and none can leave the machine.
class OrgIdCheck : public ::testing::Test {
protected:
    CLoopbackHttp m_net;
    CLauncher m_app{CStartOptions{"", "", {m_net.ProxyEnvironment()}}};

    // Types the ID, presses install and expects a warning box with the text, answered with OK,
    // after which the dialog is idle with the focus in the ID field.
    void ExpectRejected(const std::string& id, const std::string& message) {
        SCOPED_TRACE("ID \"" + id + "\"");
        m_app.TypeOrgId(id);
        m_app.ClickInstall();
        const CMessageBox box = m_app.WaitForMessageBox();
        EXPECT_EQ(message, box.text);
        EXPECT_EQ("PLMOInstApp", box.caption);
        EXPECT_STREQ("warning", BoxIconName(box.icon));
        EXPECT_EQ("OK", ButtonsText(box.buttons));
        EXPECT_FALSE(m_app.Dialog().IsEnabled()) << "the box is modal to the dialog";
        EXPECT_EQ(ExpectedUiState(0), DescribeUiState(m_app.Dialog())) << "checked before anything starts";
        AnswerMessageBox(box, IDOK);
        WaitForUiState(m_app.Dialog(), 0);
        const CRemoteWindow edit = m_app.Control(ids::kOrgId);
        WaitFor("the focus in the ID field", [&] { return FocusOfThread(edit.ThreadId()) == edit.Handle(); });
        EXPECT_EQ(id, edit.Text()) << "the ID field is never changed";
        EXPECT_EQ(0u, m_net.RequestCount()) << "a rejected ID sends nothing";
    }
};

TEST_F(OrgIdCheck, BlankIdAsksForTheIdAndSendsNothing) {
    ExpectRejected("", kEnterId);
    ExpectRejected("   ", kEnterId);
    ExpectRejected(" \t  ", kEnterId);
}

TEST_F(OrgIdCheck, FullWidthCharactersAreRejected) {
    ExpectRejected("ＡＢＣ", kFullWidth);
    ExpectRejected("ab　c", kFullWidth); // full-width space inside
    ExpectRejected("　", kFullWidth);    // trimming removes only single-byte blanks
    ExpectRejected("組織", kFullWidth);
}

TEST_F(OrgIdCheck, HalfWidthKatakanaPassesTheCheck) {
    m_app.TypeOrgId("ｱｲｳ");
    m_app.ClickInstall();
    WaitFor("the catalogue query for the katakana ID", [&] { return m_net.RequestCount() > 0; });
    const CHttpRequest first = m_net.Requests().front();
    EXPECT_EQ("GET", first.method);
    EXPECT_NE(std::string::npos, first.target.find("/plmocuif/index.aspx?fp=3&oid=v3_")) << first.target;

    // The stand-in answers 404: the service failure, not the full-width message.
    const CMessageBox box = m_app.WaitForMessageBox();
    EXPECT_NE(kFullWidth, box.text);
    EXPECT_NE(std::string::npos, box.text.find("http status 404")) << box.text;
    EXPECT_STREQ("warning", BoxIconName(box.icon));
    EXPECT_EQ(ExpectedUiState(1), DescribeUiState(m_app.Dialog())) << "the failure shows while still busy";
    EXPECT_EQ("ｱｲｳ", m_app.Control(ids::kOrgId).Text());
    AnswerMessageBox(box, IDOK);
    WaitForUiState(m_app.Dialog(), 0);
    EXPECT_EQ(1u, m_net.RequestCount()) << "one failed query, nothing after it";
}

} // namespace
