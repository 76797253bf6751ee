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

} // namespace
