#include <gtest/gtest.h>

#include "tests/e2e/driver/Driver.h"

using namespace e2e;

namespace {

TEST(SingleInstance, SecondStartRestoresTheFirstAndEndsWithoutADialog) {
    CLauncher first;
    first.Dialog().SysCommand(SC_MINIMIZE);
    WaitFor("the first dialog to be minimised", [&] { return first.Dialog().IsIconic(); });

    CAppProcess second;
    bool secondShowedAWindow = false;
    WaitFor("the second copy to end", [&] {
        secondShowedAWindow = secondShowedAWindow || !second.TopLevelWindows().empty();
        return !second.IsRunning();
    });
    EXPECT_FALSE(secondShowedAWindow) << "the second copy must not show a window of its own";

    WaitFor("the first dialog to be restored", [&] { return !first.Dialog().IsIconic(); });
    WaitFor("the first dialog to come to the front",
            [&] { return ::GetForegroundWindow() == first.Dialog().Handle(); });
    EXPECT_TRUE(first.App().IsRunning());
    EXPECT_EQ(ExpectedUiState(0), DescribeUiState(first.Dialog()));
    first.CloseAndWait();
}

TEST(SingleInstance, AfterTheFirstCopyEndedANewOneShowsItsDialog) {
    {
        CLauncher first;
        first.CloseAndWait();
    }
    CLauncher again;
    EXPECT_EQ(ExpectedUiState(0), DescribeUiState(again.Dialog()));
}

} // namespace
