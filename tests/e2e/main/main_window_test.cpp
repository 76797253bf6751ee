#include <gtest/gtest.h>

#include "tests/e2e/driver/Driver.h"

#include <commctrl.h>

using namespace e2e;

namespace {

TEST(MainWindow, IdleStateIsAsTheTableGivesIt) {
    CLauncher app;
    const CRemoteWindow& dlg = app.Dialog();
    EXPECT_EQ(ExpectedUiState(0), DescribeUiState(dlg));

    EXPECT_EQ("#32770", dlg.ClassName());
    EXPECT_EQ("PLMOInstApp", dlg.Caption());
    EXPECT_TRUE(dlg.IsTopmost()) << "the dialog stays in the topmost band for its whole life";
    EXPECT_TRUE(dlg.ExStyle() & WS_EX_APPWINDOW);
    EXPECT_FALSE(dlg.Style() & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    EXPECT_EQ("Korvenalisクライアント インストールランチャ", app.Control(ids::kTitle).Text());
    EXPECT_TRUE(app.Control(ids::kTitle).IsVisible());
    EXPECT_EQ("インストール", app.Control(ids::kInstall).Text());
    EXPECT_EQ("中断", app.Control(ids::kAbort).Text());
    EXPECT_EQ("強制アップデートする", app.Control(ids::kForceUpdate).Text());
    EXPECT_EQ(BST_UNCHECKED, app.Control(ids::kForceUpdate).CheckState());
    EXPECT_EQ("組織ID", app.Control(ids::kOrgIdLabel).Text());
    EXPECT_TRUE(app.Control(ids::kOrgIdLabel).IsEnabled());
    EXPECT_EQ("", app.Control(ids::kOrgId).Text());
    EXPECT_TRUE(app.Control(ids::kOrgId).IsEnabled()) << "the ID field takes input when idle";
    EXPECT_EQ("", app.Control(ids::kStatus).Text()) << "the status line starts empty";

    for (int id : {ids::kOk, ids::kCancel}) {
        EXPECT_FALSE(app.Control(id).IsVisible()) << "button " << id;
        EXPECT_FALSE(app.Control(id).IsEnabled()) << "button " << id;
    }

    const CRemoteWindow progress = app.Control(ids::kProgress);
    EXPECT_TRUE(progress.IsVisible());
    EXPECT_EQ(0, progress.Send(PBM_GETPOS));
    EXPECT_FALSE(progress.Style() & PBS_MARQUEE);
    EXPECT_EQ(0, progress.Send(PBM_GETRANGE, TRUE, 0));
    EXPECT_EQ(100, progress.Send(PBM_GETRANGE, FALSE, 0));

    const RECT r = dlg.WindowRect();
    EXPECT_GT(r.right - r.left, 200);
    EXPECT_GT(r.bottom - r.top, 100);
}

TEST(MainWindow, CloseFromTheSystemMenuEndsTheProgram) {
    CLauncher app;
    ASSERT_TRUE(CloseLooksEnabled(app.Dialog()));
    app.CloseAndWait();
    EXPECT_FALSE(app.App().IsRunning());
}

TEST(MainWindow, TheForceUpdateBoxTicksAndTheIdStaysAsTyped) {
    CLauncher app;
    const CRemoteWindow check = app.Control(ids::kForceUpdate);
    check.Click();
    WaitFor("the check box to be ticked", [&] { return check.CheckState() == BST_CHECKED; });
    app.TypeOrgId("V3_abc");
    EXPECT_EQ("V3_abc", app.Control(ids::kOrgId).Text());
    EXPECT_EQ(ExpectedUiState(0), DescribeUiState(app.Dialog()));
}

TEST(MainWindow, TheStaticTextsEndTheGroupOfTheArrowKeys) {
    CLauncher app;
    for (int id : {ids::kTitle, ids::kStatus, ids::kOrgIdLabel})
        EXPECT_TRUE(app.Control(id).Style() & WS_GROUP) << id;
    // The buttons up to the check box belong to the group that the ID label, the last control,
    // opens (groups wrap round the template): Down from the check box comes round to the label,
    // where without the statics' group style it runs on into the title line. Tab goes by tab
    // stops, round to the install button.
    const CRemoteWindow check = app.Control(ids::kForceUpdate);
    for (auto [key, id] : {std::pair<WPARAM, int>{VK_DOWN, ids::kOrgIdLabel}, {VK_TAB, ids::kInstall}}) {
        app.Dialog().Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(check.Handle()), TRUE);
        WaitFor("the focus on the check box", [&] { return FocusOfThread(check.ThreadId()) == check.Handle(); });
        check.Post(WM_KEYDOWN, key, 1);
        WaitFor("the focus to move", [&] { return FocusOfThread(check.ThreadId()) != check.Handle(); });
        EXPECT_EQ(app.Control(id).Handle(), FocusOfThread(check.ThreadId()))
            << "key " << key << ": " << CRemoteWindow(FocusOfThread(check.ThreadId())).Describe();
    }
}

} // namespace
