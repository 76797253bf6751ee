#include "install/InstallerFileName.h"

#include <gtest/gtest.h>

namespace {

const CLeadByteTable kCp932 = CLeadByteTable::Cp932();

TEST(FileNameFromUrl, TakesTheTextAfterTheLastSlash) {
    EXPECT_EQ("setup.exe", FileNameFromUrl("http://dl.example/dir/setup.exe", kCp932));
    EXPECT_EQ("get.aspx?id=3&v=1.0", FileNameFromUrl("http://h/a/get.aspx?id=3&v=1.0", kCp932));
    EXPECT_EQ("setup.exe", FileNameFromUrl("setup.exe", kCp932));
    EXPECT_EQ("", FileNameFromUrl("", kCp932));
    EXPECT_EQ("", FileNameFromUrl("http://dl.example/dir/", kCp932));
    EXPECT_EQ("", FileNameFromUrl("/", kCp932));
}

TEST(FileNameFromUrl, KeepsDoubleByteCharactersWhole) {
    // ソ is 83 5C and 表 is 95 5C: their trail byte is a backslash.
    const std::string so = "\x83\x5C", hyo = "\x95\x5C";
    EXPECT_EQ(so + hyo + ".exe", FileNameFromUrl("http://h/d/" + so + hyo + ".exe", kCp932));
    // A folder and a name of double-byte characters: both reversals keep each pair in order.
    const std::string a = "\x88\x9F", i = "\x88\xC9";
    EXPECT_EQ(a + i + "setup.exe", FileNameFromUrl("http://h/" + a + "/" + a + i + "setup.exe", kCp932));
}

TEST(FileNameFromUrl, ReadsBytesAsSingleCharactersUnderASingleByteCodePage) {
    const CLeadByteTable single = CLeadByteTable::SingleByte();
    EXPECT_EQ("\x83\x5C.exe", FileNameFromUrl("http://h/\x83\x5C.exe", single));
}

TEST(CheckInstallerFileName, AcceptsPlainNames) {
    std::string error = "untouched";
    EXPECT_TRUE(CheckInstallerFileName("u", "setup.exe", error, kCp932));
    EXPECT_TRUE(CheckInstallerFileName("u", "get.aspx?id=3", error, kCp932));
    EXPECT_TRUE(CheckInstallerFileName("u", ".setup", error, kCp932));
    EXPECT_TRUE(CheckInstallerFileName("u", "console.exe", error, kCp932));
    EXPECT_TRUE(CheckInstallerFileName("u", "com10.exe", error, kCp932));
    // A double-byte character whose trail byte is a backslash is no path separator.
    EXPECT_TRUE(CheckInstallerFileName("u", "\x83\x5C\x95\x5C.exe", error, kCp932));
    EXPECT_EQ("untouched", error);
}

TEST(CheckInstallerFileName, RefusesNamesThatLeaveTheFolderOrNameNoPlainFile) {
    const std::string url = "http://dl.example/x";
    for (const char* name : {"..\\evil.exe", "a\\b.exe", "C:evil.exe", "setup.exe:stream", ".", "..", "...",
                             ". .", "CON", "nul.exe", "Com1.txt", "LPT9", "aux .exe", "conout$"}) {
        std::string error;
        EXPECT_FALSE(CheckInstallerFileName(url, name, error, kCp932)) << name;
        EXPECT_NE(std::string::npos, error.find(url)) << name;
    }
    // Under a single-byte code page the same bytes hold a real backslash.
    std::string error;
    EXPECT_FALSE(CheckInstallerFileName(url, "\x83\x5C.exe", error, CLeadByteTable::SingleByte()));
}

TEST(CheckInstallerFileName, RefusesAnEmptyNameWithItsOwnText) {
    std::string empty, bad;
    EXPECT_FALSE(CheckInstallerFileName("http://h/dir/", "", empty, kCp932));
    EXPECT_FALSE(CheckInstallerFileName("http://h/dir/", "..", bad, kCp932));
    EXPECT_NE(std::string::npos, empty.find("http://h/dir/"));
    EXPECT_NE(empty, bad);
}

} // namespace
