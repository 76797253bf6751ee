#include <gtest/gtest.h>

#include <stdexcept>

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

namespace {

// A copy of the program under another file name, removed again at the end.
class CRenamedCopy {
public:
    explicit CRenamedCopy(const std::string& name) {
        char dir[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, dir);
        m_path = std::string(dir) + name;
        if (!::CopyFileA(BuiltProgramPath().c_str(), m_path.c_str(), FALSE))
            throw std::runtime_error("cannot copy the program to " + m_path);
    }
    ~CRenamedCopy() { ::DeleteFileA(m_path.c_str()); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

TEST(SingleInstance, ACopyUnderAnotherLetterCaseIsNotTheRunningCopy) {
    CRenamedCopy copy("plmoinstapp.exe");
    CLauncher first;
    CLauncher second(CStartOptions{copy.Path(), "", {}});
    EXPECT_NE(first.Dialog().Handle(), second.Dialog().Handle());
    EXPECT_TRUE(first.App().IsRunning());
    second.CloseAndWait();
    first.CloseAndWait();
}

TEST(SingleInstance, AProcessWhoseNameBeginsWithTheProgramsNameCounts) {
    CRenamedCopy copy("PLMOInstApp.exe-previous.exe");
    CLauncher older(CStartOptions{copy.Path(), "", {}});
    CAppProcess started;
    started.WaitForExit();
    EXPECT_TRUE(started.TopLevelWindows().empty());
    WaitFor("the older copy to come to the front",
            [&] { return ::GetForegroundWindow() == older.Dialog().Handle(); });
    older.CloseAndWait();
}

} // namespace
