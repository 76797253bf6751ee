#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "TempFolder.h"
#include "util/FileOps.h"
#include "util/FilePath.h"
#include "util/PrivateFolder.h"
#include "util/SystemError.h"

namespace {

const char kFileNotFound[] = "ファイルが見つかりません。\r\n";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

class FileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_temp.IsValid()); }
    CTempFolder m_temp;
};

} // namespace

TEST(SystemError, JapaneseTextWithItsLineBreak) {
    std::string text = "old";
    ASSERT_TRUE(FormatSystemError(ERROR_FILE_NOT_FOUND, text));
    EXPECT_EQ(text, kFileNotFound);
    EXPECT_TRUE(CFilePath::FormatSystemError(ERROR_ACCESS_DENIED, text));
    EXPECT_NE(text, kFileNotFound);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(SystemError, UnknownCodeLeavesTheText) {
    std::string text = "keep";
    EXPECT_FALSE(FormatSystemError(0x2000BEEF, text));
    EXPECT_EQ(text, "keep");
}

TEST(FilePath, ModulePathIsThisProgram) {
    char buffer[MAX_PATH] = {};
    ASSERT_NE(::GetModuleFileNameA(nullptr, buffer, sizeof buffer), 0u);
    CFilePath self;
    self.SetModulePath();
    EXPECT_EQ(self.GetPath(), buffer);
    EXPECT_EQ(self.GetName() + self.GetExt(), "win_util_tests.exe");
    EXPECT_EQ(self.GetDrive() + self.GetDir() + self.GetName() + self.GetExt(), buffer);
    EXPECT_EQ(self.GetDrive().size(), 2u);
}

TEST(FilePath, NullPathEmptiesEveryPartButTheError) {
    CFilePath path;
    path.SetPath("C:\\nowhere\\missing.bin");
    EXPECT_FALSE(path.WriteData("x", 1, 0));
    std::string error = path.GetErrorText();
    ASSERT_FALSE(error.empty());
    path.SetPath(nullptr);
    EXPECT_EQ(path.GetPath(), "");
    EXPECT_EQ(path.GetDrive(), "");
    EXPECT_EQ(path.GetDir(), "");
    EXPECT_EQ(path.GetName(), "");
    EXPECT_EQ(path.GetExt(), "");
    EXPECT_EQ(path.GetErrorText(), error);
}

TEST_F(FileTest, CreateTruncatesAndOtherModesAppend) {
    CFilePath path;
    path.SetPath(m_temp.File("data.bin"));
    const std::string withZero("ab\0c", 4);
    ASSERT_TRUE(path.WriteData(withZero.data(), 4, 1));
    EXPECT_EQ(ReadAll(path.GetPath()), withZero);
    ASSERT_TRUE(path.WriteData("def", 3, 0));
    ASSERT_TRUE(path.WriteData("g", 1, 2));
    EXPECT_EQ(ReadAll(path.GetPath()), withZero + "defg");
    ASSERT_TRUE(path.WriteData("xy", 2, 1));
    EXPECT_EQ(ReadAll(path.GetPath()), "xy");
    EXPECT_EQ(path.GetErrorText(), "");
}

TEST_F(FileTest, AppendToMissingFileFailsWithTheSystemText) {
    CFilePath path;
    path.SetPath(m_temp.File("missing.bin"));
    EXPECT_FALSE(path.WriteData("x", 1, 0));
    EXPECT_EQ(path.GetErrorText(), kFileNotFound);
    EXPECT_EQ(IsExistingFile(path.GetPath()), 0);
}

TEST_F(FileTest, NullBlockWithoutSizeCreatesOrEmpties) {
    CFilePath path;
    path.SetPath(m_temp.File("empty.bin"));
    ASSERT_TRUE(path.WriteData(nullptr, 0, 1));
    EXPECT_EQ(IsExistingFile(path.GetPath()), 1);
    EXPECT_EQ(ReadAll(path.GetPath()), "");

    WriteAll(path.GetPath(), "content");
    ASSERT_TRUE(path.WriteData(nullptr, 0, 0));
    EXPECT_EQ(ReadAll(path.GetPath()), "content");
    ASSERT_TRUE(path.WriteData(nullptr, 0, 1));
    EXPECT_EQ(ReadAll(path.GetPath()), "");
}

TEST_F(FileTest, NullBlockWithSizeFailsWithoutText) {
    CFilePath path;
    path.SetPath(m_temp.File("never.bin"));
    EXPECT_FALSE(path.WriteData(nullptr, 5, 1));
    EXPECT_EQ(path.GetErrorText(), "");
    EXPECT_EQ(IsExistingFile(path.GetPath()), 0);
}

TEST_F(FileTest, OpenFailureKeepsTheLastSystemText) {
    CFilePath path;
    path.SetPath(m_temp.Path()); // a directory cannot be opened as a file
    EXPECT_FALSE(path.WriteData("x", 1, 1));
    EXPECT_FALSE(path.GetErrorText().empty());
    EXPECT_NE(path.GetErrorText(), kFileNotFound);
}

TEST_F(FileTest, WriteFailureGivesTheErrorText) {
    // A block the process cannot read makes the write itself fail after a successful open.
    void* block = ::VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(block, nullptr);
    CFilePath path;
    path.SetPath(m_temp.File("unreadable.bin"));
    bool written = path.WriteData(block, 4096, 1);
    ::VirtualFree(block, 0, MEM_RELEASE);
    EXPECT_FALSE(written);
    EXPECT_FALSE(path.GetErrorText().empty());
    EXPECT_LE(path.GetErrorText().size(), 1023u);
    EXPECT_EQ(IsExistingFile(path.GetPath()), 1); // opened (created) before the write failed
}

TEST_F(FileTest, DoubleByteFileName) {
    CFilePath path;
    path.SetPath(m_temp.File("ソフト表.exe"));
    EXPECT_EQ(path.GetName(), "ソフト表");
    EXPECT_EQ(path.GetExt(), ".exe");
    ASSERT_TRUE(path.WriteData("z", 1, 1));
    EXPECT_EQ(IsExistingFile(m_temp.File("ソフト表.exe")), 1);
}

TEST_F(FileTest, ExistingFileAndRemoval) {
    std::string file = m_temp.File("x.txt");
    EXPECT_EQ(IsExistingFile(file), 0);
    WriteAll(file, "1");
    EXPECT_EQ(IsExistingFile(file), 1);
    EXPECT_EQ(IsExistingFile(m_temp.Path()), 0);
    EXPECT_EQ(RemoveFile(m_temp.Path()), 0);
    EXPECT_EQ(RemoveFile(file), 1);
    EXPECT_EQ(IsExistingFile(file), 0);
    EXPECT_EQ(RemoveFile(file), 0);
    EXPECT_EQ(IsExistingFile(""), 0);
}

// The attempt's folder: new under the Windows folder's Temp, writable by administrators and the
// system only, and gone with everything in it, links as links.
TEST(PrivateFolder, IsNewProtectedAndGoesWithItsContents) {
    CPrivateFolder first;
    auto second = std::make_unique<CPrivateFolder>();
    std::string error = "untouched";
    ASSERT_TRUE(first.Create(error)) << error;
    ASSERT_TRUE(second->Create(error)) << error;
    EXPECT_EQ("untouched", error);
    const std::string root = CPrivateFolder::SystemTempRoot();
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    EXPECT_EQ(0u, first.Path().find(root)) << first.Path();
    EXPECT_NE(0u, first.Path().find(temp)) << "never in the user's temporary folder";
    EXPECT_NE(first.Path(), second->Path()) << "each attempt its own";

    // Wine keeps no security of files (it shows one made from the Unix mode), so what is checked
    // is the security the folder is made with.
    CLocalMem made;
    ASSERT_TRUE(CPrivateFolder::FolderSecurity(made));
    PSECURITY_DESCRIPTOR sd = made.Get();
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    ASSERT_TRUE(::GetSecurityDescriptorOwner(sd, &owner, &defaulted));
    ASSERT_TRUE(::GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted));
    ASSERT_TRUE(present);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(::GetSecurityDescriptorControl(sd, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "nothing inherited from the Temp folder";
    BYTE systemSid[SECURITY_MAX_SID_SIZE], adminsSid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof systemSid;
    ASSERT_TRUE(::CreateWellKnownSid(WinLocalSystemSid, nullptr, systemSid, &size));
    size = sizeof adminsSid;
    ASSERT_TRUE(::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, adminsSid, &size));
    EXPECT_TRUE(::EqualSid(owner, adminsSid));
    ASSERT_NE(nullptr, dacl);
    EXPECT_EQ(2u, dacl->AceCount);
    bool system = false, admins = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(::GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->Header.AceFlags) << "entry " << i;
        EXPECT_EQ(static_cast<DWORD>(FILE_ALL_ACCESS), ace->Mask) << "entry " << i;
        PSID sid = &ace->SidStart;
        system = system || ::EqualSid(sid, systemSid);
        admins = admins || ::EqualSid(sid, adminsSid);
    }
    EXPECT_TRUE(system && admins) << "SYSTEM and Administrators, nobody else";

    // A folder that cannot be made says which and why, and leaves nothing to remove.
    CPrivateFolder nowhere;
    const std::string missing = first.Path() + "missing\\";
    EXPECT_FALSE(nowhere.Create(error, missing));
    EXPECT_EQ(0u, error.find("作業フォルダを作成できません：" + missing + "PLMO-")) << error;
    std::string reason;
    ASSERT_TRUE(FormatSystemError(ERROR_PATH_NOT_FOUND, reason));
    EXPECT_EQ(reason, error.substr(error.size() - std::min(error.size(), reason.size()))) << error;
    EXPECT_FALSE(nowhere.IsMade());

    // What an installer might leave: nested folders and a read-only file.
    const std::string path = first.Path();
    ASSERT_TRUE(::CreateDirectoryA((path + "unpacked").c_str(), nullptr));
    WriteAll(path + "unpacked\\data.cab", "cab");
    WriteAll(path + "setup.exe", "exe");
    ASSERT_TRUE(::SetFileAttributesA((path + "setup.exe").c_str(), FILE_ATTRIBUTE_READONLY));
    first.Remove();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(path.c_str())) << path;
    EXPECT_TRUE(first.Path().empty());
    const std::string other = second->Path();
    second.reset();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(other.c_str())) << "removed when it goes";
}
