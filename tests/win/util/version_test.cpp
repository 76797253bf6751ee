#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "TempFolder.h"
#include "util/ModuleVersion.h"

namespace {

std::string BesideThisProgram(const std::string& name) {
    char buffer[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    std::string path = buffer;
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

std::string Self() {
    char buffer[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return buffer;
}

} // namespace

TEST(ModuleVersion, OwnFileVersion) {
    CModuleVersion version;
    unsigned char n[4] = {9, 9, 9, 9};
    ASSERT_TRUE(version.GetModuleVersion("FileVersion", n));
    EXPECT_EQ(n[0], 1);
    EXPECT_EQ(n[1], 0);
    EXPECT_EQ(n[2], 0);
    EXPECT_EQ(n[3], 2);

    std::string text;
    ASSERT_TRUE(version.QueryVersionString(Self(), "FileVersion", text));
    EXPECT_EQ(text, "1, 0, 0, 2");
    ASSERT_TRUE(version.QueryVersionString(Self(), "FileDescription", text));
    EXPECT_EQ(text, "ユーティリティ試験");
}

TEST(ModuleVersion, DottedVersionGivesOnlyTheFirstNumber) {
    CModuleVersion version;
    unsigned char n[4] = {9, 9, 9, 9};
    ASSERT_TRUE(version.ParseVersionNumbers(Self(), "ProductVersion", n));
    EXPECT_EQ(n[0], 1);
    EXPECT_EQ(n[1], 9);
    EXPECT_EQ(n[2], 9);
    EXPECT_EQ(n[3], 9);
}

TEST(ModuleVersion, EmptyStringIsFoundButChangesNothing) {
    CModuleVersion version;
    std::string text = "old";
    EXPECT_TRUE(version.QueryVersionString(Self(), "Comments", text));
    EXPECT_EQ(text, "old");
    unsigned char n[4] = {9, 9, 9, 9};
    EXPECT_TRUE(version.ParseVersionNumbers(Self(), "Comments", n));
    EXPECT_EQ(n[0], 9);
}

TEST(ModuleVersion, MissingKeyOrFileFails) {
    CModuleVersion version;
    std::string text = "old";
    unsigned char n[4] = {9, 9, 9, 9};
    EXPECT_FALSE(version.QueryVersionString(Self(), "NoSuchKey", text));
    EXPECT_FALSE(version.QueryVersionString(Self(), "", text));
    EXPECT_FALSE(version.QueryVersionString("", "FileVersion", text));
    EXPECT_FALSE(version.QueryVersionString(BesideThisProgram("no_such_file.dll"), "FileVersion", text));
    EXPECT_FALSE(version.GetModuleVersion("NoSuchKey", n));
    EXPECT_EQ(text, "old");
    EXPECT_EQ(n[0], 9);
}

TEST(ModuleVersion, FileWithoutVersionResourceFails) {
    CTempFolder temp;
    ASSERT_TRUE(temp.IsValid());
    std::string file = temp.File("plain.dll");
    std::ofstream(file, std::ios::binary) << "not a program";
    CModuleVersion version;
    std::string text = "old";
    EXPECT_FALSE(version.QueryVersionString(file, "FileVersion", text));
    EXPECT_EQ(text, "old");
}

TEST(ModuleVersion, TwoTranslationsAreRefused) {
    CModuleVersion version;
    std::string text = "old";
    unsigned char n[4] = {9, 9, 9, 9};
    std::string dll = BesideThisProgram("util_fixture_twolang.dll");
    ASSERT_NE(::GetFileVersionInfoSizeA(dll.c_str(), nullptr), 0u);
    EXPECT_FALSE(version.QueryVersionString(dll, "FileVersion", text));
    EXPECT_FALSE(version.ParseVersionNumbers(dll, "FileVersion", n));
    EXPECT_EQ(text, "old");
    EXPECT_EQ(n[0], 9);
}

TEST(ModuleVersion, StringTableOfTheListedTranslation) {
    // The fixture also has a 041104b0 table with other numbers; only 040904e4 is listed.
    CModuleVersion version;
    unsigned char n[4] = {9, 9, 9, 9};
    ASSERT_TRUE(version.ParseVersionNumbers(BesideThisProgram("util_fixture_v300.dll"), "FileVersion", n));
    EXPECT_EQ(n[0], 44);
    EXPECT_EQ(n[1], 1);
    EXPECT_EQ(n[2], 0);
    EXPECT_EQ(n[3], 0);
}

TEST(ModuleVersion, SplitTokenMember) {
    std::string token, rest;
    EXPECT_TRUE(CModuleVersion::SplitToken(",5", ",", token, rest));
    EXPECT_EQ(token, "");
    EXPECT_EQ(rest, "5");
}

TEST(ModuleVersion, TranslationTableTooShortIsRefused) {
    // A copy of a fixture whose translation value claims 2 bytes instead of 4.
    CTempFolder temp;
    ASSERT_TRUE(temp.IsValid());
    std::ifstream in(BesideThisProgram("util_fixture_v300.dll"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const char key[] = "T\0r\0a\0n\0s\0l\0a\0t\0i\0o\0n\0";
    size_t at = bytes.find(std::string(key, sizeof key - 1));
    ASSERT_NE(at, std::string::npos);
    ASSERT_GE(at, 6u);
    ASSERT_EQ(bytes[at - 4], 4); // wValueLength of the one pair
    bytes[at - 4] = 2;
    std::string dll = temp.File("short.dll");
    std::ofstream(dll, std::ios::binary) << bytes;

    CModuleVersion version;
    std::string text = "old";
    ASSERT_NE(::GetFileVersionInfoSizeA(dll.c_str(), nullptr), 0u);
    EXPECT_FALSE(version.QueryVersionString(dll, "FileVersion", text));
    EXPECT_EQ(text, "old");
}
