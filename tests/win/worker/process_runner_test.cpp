#include "worker/ProcessRunner.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/win/worker/FakeInstallerSetup.h"
#include "util/SystemError.h"

namespace {

class ProcessRunnerTest : public ::testing::Test {
protected:
    CTestFolder folder{"runner"};
    std::string log = folder / "runs.log";
    std::string Settings(int waitMs, int exitCode) {
        return "WaitMs=" + std::to_string(waitMs) + "\r\nWindow=0\r\nExitCode=" + std::to_string(exitCode) +
               "\r\nLog=" + log + "\r\n";
    }
};

TEST_F(ProcessRunnerTest, AFreshRunnerHasNoErrorText) {
    CProcessRunner runner;
    EXPECT_STREQ("", runner.GetErrorText());
}

TEST_F(ProcessRunnerTest, RunsWithTheParametersAndDeliversTheExitCode) {
    const std::string exe = PlaceFakeInstaller(folder, "setup.exe", Settings(200, 7));
    ASSERT_FALSE(exe.empty());
    CProcessRunner runner;
    DWORD code = 12345;
    ASSERT_TRUE(
        runner.RunAndWait(exe, "simplemode,nochkwiz,noiechk,", SW_SHOWNORMAL, nullptr, &code, 1, nullptr));
    EXPECT_EQ(7u, code);
    std::vector<FakeRun> runs = ReadFakeLog(log);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ("simplemode,nochkwiz,noiechk,", runs[0].parameters);
    EXPECT_NE(0u, runs[0].end) << "RunAndWait returned before the process ended";
    EXPECT_STREQ("", runner.GetErrorText());
}

// Nothing but programs and packages starts: whatever else the shell would open, it would open with
// a program the user can choose.
TEST_F(ProcessRunnerTest, AMissingFileOrOneOfAnotherTypeFailsAtOnceWithTheSystemText) {
    const std::string script = folder / "setup.bat", page = folder / "setup.hta", marker = folder / "ran.txt";
    ASSERT_TRUE(WriteFileBytes(script, "echo ran > \"" + marker + "\"\r\n"));
    ASSERT_TRUE(WriteFileBytes(page, "<script>new ActiveXObject('WScript.Shell').Run('cmd /c echo > " +
                                         marker + "')</script>"));
    const struct {
        std::string file;
        DWORD error;
    } cases[] = {{folder / "missing.exe", ERROR_FILE_NOT_FOUND},
                 {script, ERROR_NO_ASSOCIATION},
                 {page, ERROR_NO_ASSOCIATION},
                 {folder / "noextension", ERROR_NO_ASSOCIATION}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CProcessRunner runner;
        DWORD code = 12345;
        EXPECT_FALSE(runner.RunAndWait(c.file, "", SW_SHOWNORMAL, nullptr, &code, 1, nullptr));
        EXPECT_EQ(12345u, code) << "no process, no exit code";
        std::string expected;
        ASSERT_TRUE(FormatSystemError(c.error, expected));
        EXPECT_EQ(expected, runner.GetErrorText());
    }
    ::Sleep(500);
    EXPECT_FALSE(FileExists(marker)) << "nothing ran";
}

TEST_F(ProcessRunnerTest, ASuccessLeavesTheTextOfAnEarlierFailure) {
    const std::string exe = PlaceFakeInstaller(folder, "setup.exe", Settings(0, 0));
    CProcessRunner runner;
    EXPECT_FALSE(runner.RunAndWait(folder / "missing.exe", "", SW_SHOWNORMAL, nullptr, nullptr, 1, nullptr));
    std::string failure = runner.GetErrorText();
    ASSERT_FALSE(failure.empty());
    EXPECT_TRUE(runner.RunAndWait(exe, "", SW_SHOWNORMAL, nullptr, nullptr, 1, nullptr));
    EXPECT_EQ(failure, runner.GetErrorText());
}

TEST_F(ProcessRunnerTest, RunProgramHandsOverTheProcessOnlyWhenAskedToWait) {
    const std::string exe = PlaceFakeInstaller(folder, "setup.exe", Settings(100, 3));
    CProcessRunner runner;
    HANDLE process = nullptr;
    ASSERT_TRUE(runner.RunProgram(exe, "", SW_SHOWNORMAL, nullptr, false, &process));
    ASSERT_NE(nullptr, process);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process, 30000));
    DWORD code = 0;
    EXPECT_TRUE(::GetExitCodeProcess(process, &code));
    EXPECT_EQ(3u, code);
    ::CloseHandle(process);

    HANDLE none = reinterpret_cast<HANDLE>(1);
    ASSERT_TRUE(runner.RunProgram(exe, "", SW_SHOWNORMAL, nullptr, true, &none));
    EXPECT_EQ(reinterpret_cast<HANDLE>(1), none);
    for (int i = 0; ReadFakeLog(log).size() < 2 || ReadFakeLog(log)[1].end == 0; ++i) {
        ASSERT_LT(i, 3000);
        ::Sleep(10);
    }
}

} // namespace
