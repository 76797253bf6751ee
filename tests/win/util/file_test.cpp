#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "TempFolder.h"
#include "util/FileOps.h"
#include "util/FilePath.h"
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
