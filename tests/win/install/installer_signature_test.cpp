// The publisher check against installers signed by the set-up step (signed-installers.sh): a
// test root that the prefix trusts, certificates made with openssl, signatures by osslsigncode.
#include "worker/InstallerSignature.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/Handle.h"
#include "framework/Resources.h"
#include "framework/Text.h"
#include "install/RunInstallers.h"
#include "tests/win/install/RecordingView.h"
#include "tests/win/support/LoopbackServer.h"
#include "tests/win/worker/FakeInstallerSetup.h"
#include "ui/resource.h"
#include "worker/DownloadWorker.h"

namespace {

const wchar_t* const kPin = L"Tavin Test Publisher";

// The fixture's Unix directory, seen through Wine's Z: drive.
std::string SignedFile(const std::string& name) {
    const char* dir = std::getenv("PLMO_SIG_DIR");
    std::string path = std::string("Z:") + (dir ? dir : "") + "/" + name;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

struct Case {
    const char* file;
    const wchar_t* pin;
    UINT reason; // 0: accepted
};

// Each refusal names its own reason; the library accepting a partial chain or a self-signed
// certificate on its own must not let either through.
const Case kCases[] = {
    {"genuine.exe", kPin, 0},
    {"launcher.exe", kPin, 0},
    {"intermediate.exe", kPin, 0}, // the issuing CA comes with the signature only
    {"unsigned.exe", kPin, IDS_SIG_NONE},
    {"tampered.exe", kPin, IDS_SIG_BAD_DIGEST},
    {"selfsigned.exe", kPin, IDS_SIG_UNTRUSTED},
    {"unknown-issuer.exe", kPin, IDS_SIG_UNTRUSTED},
    {"untrusted-root.exe", kPin, IDS_SIG_UNTRUSTED},
    {"serverauth.exe", kPin, IDS_SIG_NOT_CODE_SIGNING},
    {"other.exe", kPin, IDS_SIG_PUBLISHER},
    {"genuine.exe", L"tavin test publisher", IDS_SIG_PUBLISHER},
    // A name in Japanese matches as the certificate spells it, whatever the system's code page.
    {"japanese.exe", L"株式会社タヴィン・テスト発行元", 0},
    // Issued under a root that only the user's own store trusts, which any program of the user
    // can put there.
    {"user-root.exe", kPin, IDS_SIG_UNTRUSTED},
};

std::string Utf8(const wchar_t* s) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        ::WideCharToMultiByte(CP_UTF8, 0, s, -1, &out[0], n, nullptr, nullptr);
    return out;
}

} // namespace

TEST(InstallerSignature, EachFileGetsItsVerdict) {
    ASSERT_NE(nullptr, std::getenv("PLMO_SIG_DIR"))
        << "no signed files: run through ctest (win_install_sig_tests)";
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.file) + " pinned to " + Utf8(c.pin));
        const std::string path = SignedFile(c.file);
        CFileHandle file(
            ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file.IsValid());
        std::string error = "untouched";
        const bool ok = CheckInstallerSigner(file.Get(), path, c.pin, error);
        EXPECT_EQ(c.reason == 0, ok);
        if (c.reason == 0)
            EXPECT_EQ("untouched", error);
        else if (c.reason == IDS_SIG_PUBLISHER)
            EXPECT_EQ(text::Format(LoadResString(c.reason).c_str(),
                                   std::string(c.file) == "other.exe" ? "Other Test Publisher"
                                                                      : "Tavin Test Publisher"),
                      error);
        else
            EXPECT_EQ(LoadResString(c.reason), error);
    }
}

TEST(InstallerSignature, RefusalNamesFileAndReason) {
    const std::string text = SignatureRefusalText("client.exe", LoadResString(IDS_SIG_NONE));
    EXPECT_TRUE(text::Contains(text, "client.exe")) << text;
    EXPECT_TRUE(text::Contains(text, LoadResString(IDS_SIG_NONE))) << text;
}

// The whole pinned path: the worker checks the publisher on the file it holds, hands the hold on,
// and the installer runs from it.
using InstallerSignatureDownload = LoopbackServerTest;

TEST_F(InstallerSignatureDownload, AGenuineInstallerPassesTheDownloadAndRuns) {
    ASSERT_NE(nullptr, std::getenv("PLMO_SIG_DIR"));
    CTestFolder folder{"pinned"};
    const std::string path = folder / "genuine.exe", log = folder / "runs.log";
    ASSERT_TRUE(WriteFileBytes(path + ".ini", "[fake]\r\nWaitMs=0\r\nWindow=0\r\nLog=" + log + "\r\n"));
    server.Enqueue(ScriptedResponse::Ok(ReadFileBytes(SignedFile("genuine.exe"))));
    CDownloadWorker worker;
    worker.SetJob(nullptr, server.Url("/f/genuine.exe"), path);
    worker.SetSignerPin(kPin);
    ASSERT_TRUE(worker.Start(false, 50, THREAD_PRIORITY_NORMAL));
    for (int i = 0; worker.IsDone() != 1; ++i) {
        ASSERT_LT(i, 3000) << "the download never finished";
        ::Sleep(10);
    }
    worker.Stop(false);
    ASSERT_EQ(0, worker.m_bFailed) << worker.m_strError;
    CInstallerHolds holds;
    holds.Add(worker.TakeHold());
    CRecordingView view;
    std::string error;
    ASSERT_TRUE(RunInstallers(view, {path}, {""}, holds, "", error)) << error;
    const std::vector<FakeRun> runs = ReadFakeLog(log);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(path, runs[0].path);
    EXPECT_FALSE(FileExists(path));
}
