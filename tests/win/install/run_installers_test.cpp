#include "install/RunInstallers.h"

#include <gtest/gtest.h>

#include <functional>

#include "framework/Resources.h"
#include "service/ServiceText.h"
#include "tests/win/install/RecordingView.h"
#include "tests/win/worker/FakeInstallerSetup.h"
#include "util/Registry.h"
#include "ui/resource.h"
#include "util/SystemError.h"

namespace {

const uint64_t kOneSecond = 10000000; // in 100 ns units

FileIdentity IdentityOf(const std::string& path) {
    CFileHandle f(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    FileIdentity identity;
    EXPECT_TRUE(f.IsValid() && QueryFileIdentity(f.Get(), identity)) << path;
    return identity;
}

class RunInstallersTest : public ::testing::Test {
protected:
    std::string Place(const std::string& name, int waitMs, int exitCode) {
        std::string path = PlaceFakeInstaller(folder, name,
                                              "WaitMs=" + std::to_string(waitMs) +
                                                  "\r\nWindow=0\r\nExitCode=" + std::to_string(exitCode) +
                                                  "\r\nLog=" + log + "\r\n");
        EXPECT_FALSE(path.empty());
        return path;
    }

    CTestFolder folder{"runset"};
    std::string log = folder / "runs.log";
    CRecordingView view;
    CInstallerHolds holds;
    std::string error = "untouched";
};

TEST_F(RunInstallersTest, NoInstallersMeansOneResetAndSuccess) {
    EXPECT_TRUE(RunInstallers(view, {}, {}, holds, "", error));
    EXPECT_EQ(std::vector<std::string>{"reset"}, view.calls);
    EXPECT_EQ("untouched", error);
}

TEST_F(RunInstallersTest, RunsInOrderEachToItsEndAndRemovesTheFiles) {
    const std::string a = Place("client.exe", 300, 0), b = Place("custom.exe", 100, 0);
    ASSERT_TRUE(RunInstallers(view, {a, b}, {"simplemode,nochkwiz,noiechk,", "simplemode,lnc_url=http://x/y"},
                              holds, folder.Path(), error));
    EXPECT_EQ("untouched", error);
    std::vector<FakeRun> runs = ReadFakeLog(log);
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ(a, runs[0].path);
    EXPECT_EQ("simplemode,nochkwiz,noiechk,", runs[0].parameters);
    EXPECT_EQ(b, runs[1].path);
    EXPECT_EQ("simplemode,lnc_url=http://x/y", runs[1].parameters);
    // What an installer unpacks lands in the work folder too.
    const std::string work = folder.Path().substr(0, folder.Path().size() - 1);
    for (const FakeRun& run : runs) {
        EXPECT_EQ(work, run.folder);
        EXPECT_EQ(work, run.temp);
        EXPECT_EQ(work, run.tmp);
    }
    ASSERT_NE(0u, runs[0].end);
    // The removal of the first file and its one-second pause lie between the two runs.
    EXPECT_GE(runs[1].start, runs[0].end + kOneSecond);
    EXPECT_FALSE(FileExists(a));
    EXPECT_FALSE(FileExists(b));
    EXPECT_EQ((std::vector<std::string>{"install 1/2", "install 2/2", "reset"}), view.calls);
}

TEST_F(RunInstallersTest, ANonZeroExitCodeDoesNotStopTheRun) {
    const std::string a = Place("a.exe", 0, 1603), b = Place("b.exe", 0, 0);
    EXPECT_TRUE(RunInstallers(view, {a, b}, {"", ""}, holds, "", error));
    std::vector<FakeRun> runs = ReadFakeLog(log);
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ(1603, runs[0].exitCode);
    EXPECT_EQ("untouched", error);
}

TEST_F(RunInstallersTest, AMissingInstallerEndsTheRunWithTheSystemText) {
    const std::string missing = folder / "gone.exe", b = Place("b.exe", 0, 0);
    EXPECT_FALSE(RunInstallers(view, {missing, b}, {"", ""}, holds, "", error));
    std::string expected;
    ASSERT_TRUE(FormatSystemError(ERROR_FILE_NOT_FOUND, expected));
    EXPECT_EQ(expected, error);
    EXPECT_TRUE(ReadFakeLog(log).empty()) << "no later installer runs";
    EXPECT_TRUE(FileExists(b));
    EXPECT_EQ((std::vector<std::string>{"install 1/2", "reset"}), view.calls);
}

TEST_F(RunInstallersTest, ALockedFileStaysAfterFourRemovalsAndTheRunGoesOn) {
    const std::string a = Place("a.exe", 0, 0), b = Place("b.exe", 0, 0);
    // Readable and runnable, but not deletable while this handle is open.
    HANDLE lock = ::CreateFileA(a.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    bool ok = RunInstallers(view, {a, b}, {"", ""}, holds, "", error);
    ::CloseHandle(lock);
    EXPECT_TRUE(ok) << error;
    EXPECT_TRUE(FileExists(a));
    EXPECT_FALSE(FileExists(b));
    std::vector<FakeRun> runs = ReadFakeLog(log);
    ASSERT_EQ(2u, runs.size());
    EXPECT_GE(runs[1].start, runs[0].end + 4 * kOneSecond)
        << "four removals, each followed by a second's pause";
}

// What another program of the user might try on a downloaded installer before it runs.
TEST_F(RunInstallersTest, AHeldInstallerCannotBeChangedYetRunsReadsItselfAndGoes) {
    const std::string a = Place("a.exe", 0, 0), other = Place("other.exe", 0, 0);
    const std::string bytes = ReadFileBytes(a);
    CInstallerHold hold;
    ASSERT_TRUE(hold.Acquire(a, IdentityOf(a), bytes.data(), static_cast<uint32_t>(bytes.size()), error)) << error;
    holds.Add(std::move(hold));
    const std::string moved = folder / "moved.exe";
    const struct {
        const char* attack;
        std::function<bool()> succeeds;
    } attacks[] = {
        {"overwrite", [&] { return ::CopyFileA(other.c_str(), a.c_str(), FALSE) != 0; }},
        {"truncate",
         [&] {
             CFileHandle f(::CreateFileA(a.c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         TRUNCATE_EXISTING, 0, nullptr));
             return f.IsValid();
         }},
        {"rename", [&] { return ::MoveFileA(a.c_str(), moved.c_str()) != 0; }},
        {"replace", [&] { return ::MoveFileExA(other.c_str(), a.c_str(), MOVEFILE_REPLACE_EXISTING) != 0; }},
        {"delete", [&] { return ::DeleteFileA(a.c_str()) != 0; }},
    };
    for (const auto& t : attacks)
        EXPECT_FALSE(t.succeeds()) << t.attack;
    EXPECT_EQ(bytes, ReadFileBytes(a)) << "others may still read it";

    ASSERT_TRUE(RunInstallers(view, {a}, {""}, holds, "", error)) << error;
    std::vector<FakeRun> runs = ReadFakeLog(log);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(static_cast<long long>(bytes.size()), runs[0].selfBytes) << "the installer reads its own file";
    EXPECT_FALSE(FileExists(a)) << "released before the removal";
}

TEST_F(RunInstallersTest, AHoldRefusesAFileThatDiffersOrThatAnotherProgramKeepsOpenForWriting) {
    const std::string a = Place("a.exe", 0, 0);
    std::string bytes = ReadFileBytes(a);
    const std::string frame = LoadResString(IDS_ERR_DOWNLOAD);
    bytes[bytes.size() / 2] ^= 1;
    const std::string changedText = service::FillMessage(frame, "ダウンロードの後でファイルが書き換えられました：" + a);
    const FileIdentity written = IdentityOf(a);
    // Made while a still stands, so that it cannot get a's freed file number.
    const std::string copy = Place("copy.exe", 0, 0);
    CInstallerHold changed;
    EXPECT_FALSE(changed.Acquire(a, written, bytes.data(), static_cast<uint32_t>(bytes.size()), error));
    EXPECT_EQ(changedText, error);
    EXPECT_FALSE(changed.IsHeld());
    EXPECT_TRUE(::DeleteFileA(a.c_str())) << "a refused file is not held";

    // The same bytes, but another file than the one the download wrote: put there in between.
    bytes = ReadFileBytes(copy);
    ASSERT_TRUE(::MoveFileA(copy.c_str(), a.c_str()));
    CInstallerHold swapped;
    EXPECT_FALSE(swapped.Acquire(a, written, bytes.data(), static_cast<uint32_t>(bytes.size()), error));
    EXPECT_EQ(changedText, error);
    EXPECT_TRUE(::DeleteFileA(a.c_str())) << "a refused file is not held";

    const std::string b = Place("b.exe", 0, 0);
    bytes = ReadFileBytes(b);
    CFileHandle writer(::CreateFileA(b.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer.IsValid());
    CInstallerHold contested;
    EXPECT_FALSE(contested.Acquire(b, IdentityOf(b), bytes.data(), static_cast<uint32_t>(bytes.size()), error));
    std::string reason;
    FormatSystemError(ERROR_SHARING_VIOLATION, reason);
    EXPECT_EQ(service::FillMessage(frame, "ダウンロードしたファイルを保護できません：" + b + "\r\n" + reason),
              error);
}

// The system's own msiexec installs a real package from the held file in the work folder, and
// takes it away again afterwards.
TEST_F(RunInstallersTest, APackageIsInstalledByMsiexecFromItsHeldFile) {
    const char* key = "Software\\Tavin\\PLMOTestPackage";
    const std::string package = folder / "package.msi";
    ASSERT_TRUE(::CopyFileA((ProgramFolder() + "plmo-test-package.msi").c_str(), package.c_str(), FALSE));
    const std::string bytes = ReadFileBytes(package);
    CInstallerHold hold;
    ASSERT_TRUE(hold.Acquire(package, IdentityOf(package), bytes.data(), static_cast<uint32_t>(bytes.size()), error))
        << error;
    holds.Add(std::move(hold));
    ASSERT_TRUE(RunInstallers(view, {package}, {"/qn"}, holds, folder.Path(), error)) << error;
    std::string installed;
    EXPECT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, key, "Installed", installed)) << "not installed";
    EXPECT_EQ("1.0.0.0", installed);
    EXPECT_FALSE(FileExists(package));

    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    PROCESS_INFORMATION pi{};
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string command = std::string("\"") + system + "\\msiexec.exe\" /x {6A1B4C2E-3D5F-4E7A-9B8C-0D1E2F3A4B5C} /qn";
    ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ::WaitForSingleObject(pi.hProcess, 120000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, key, "Installed", installed)) << "removed again";
}

TEST_F(RunInstallersTest, TheFakeInstallerShowsItselfAndRecordsTheVersionItInstalls) {
    const char* key = "SOFTWARE\\Tavin\\PLMOlb\\KorvenalisClient";
    const std::string value = "Custom_998.999";
    const std::string exe = PlaceFakeInstaller(folder, "custom.exe",
                                               "WaitMs=300\r\nWindow=1\r\nRegValue=" + value +
                                                   "\r\nRegData=1.2.3.4\r\nLog=" + log + "\r\n");
    ASSERT_FALSE(exe.empty());
    EXPECT_TRUE(RunInstallers(view, {exe}, {"simplemode,"}, holds, "", error));
    std::string installed;
    EXPECT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, key, value, installed));
    EXPECT_EQ("1.2.3.4", installed);
    HKEY k = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
        ::RegDeleteValueA(k, value.c_str());
        ::RegCloseKey(k);
    }
    EXPECT_EQ(1u, ReadFakeLog(log).size());
}

} // namespace
