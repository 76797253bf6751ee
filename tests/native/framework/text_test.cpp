#include <gtest/gtest.h>

#include "framework/Mbcs.h"
#include "framework/Text.h"

// Shift-JIS characters whose trail byte looks like ASCII: ソ 83 5C ('\\'), 表 95 5C, ポ 83 7C ('|'),
// 機 8B 40 ('@'), ア 83 41 ('A').
TEST(Text, FindAndReplaceOnlyMatchAtCharacterBoundaries) {
    std::string s = "ソ\\x";
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(text::Find(s, "\\"), 2u);
    EXPECT_EQ(text::Find("abc", ""), std::string::npos);
    EXPECT_EQ(text::Find("ab", "abc"), std::string::npos);
    EXPECT_EQ(text::Find("abcabc", "abc", 1), 3u);

    std::string t = "表示\\表";
    EXPECT_EQ(text::ReplaceAll(t, "\\", "/"), 1u);
    EXPECT_EQ(t, "表示/表");

    std::string u = "アA";
    EXPECT_EQ(text::ReplaceAll(u, "A", "b"), 1u);
    EXPECT_EQ(u, "アb");
}

TEST(Text, ReplaceAllIsOnePassWithoutOverlaps) {
    std::string s = "a\r\n\r\n\r\nb\r\n\r\n\r\n\r\nc";
    text::ReplaceAll(s, "\r\n\r\n", "\r\n");
    EXPECT_EQ(s, "a\r\n\r\nb\r\n\r\nc");
    std::string t = "aaa";
    EXPECT_EQ(text::ReplaceAll(t, "aa", "a"), 1u);
    EXPECT_EQ(t, "aa");
    std::string grow = "xx";
    text::ReplaceAll(grow, "x", "xx");
    EXPECT_EQ(grow, "xxxx");
}

TEST(Text, TrimRemovesSingleByteWhiteSpaceOnly) {
    EXPECT_EQ(text::TrimBoth(" \t\r\n\v\fabc \r\n"), "abc");
    EXPECT_EQ(text::TrimBoth("   "), "");
    EXPECT_EQ(text::TrimBoth(""), "");
    // The ideographic space is a double-byte character, not white space.
    EXPECT_EQ(text::TrimBoth("　a　"), "　a　");
    EXPECT_EQ(text::TrimBoth(" a b "), "a b");
}

TEST(Text, LowerCaseLeavesDoubleByteCharactersAlone) {
    EXPECT_EQ(text::ToLower("V3_ABC"), "v3_abc");
    // ア's trail byte 0x41 is 'A': lower-casing it would corrupt the character.
    EXPECT_EQ(text::ToLower("アA"), "アa");
    EXPECT_EQ(text::ToLower("ＡＢ"), "ＡＢ");
    EXPECT_EQ(text::ToLower("ｱｲ"), "ｱｲ");
}

TEST(Text, LeftKeepsDoubleByteCharactersWhole) {
    EXPECT_EQ(text::Left("abcdef", 3), "abc");
    EXPECT_EQ(text::Left("ab", 3), "ab");
    EXPECT_EQ(text::Left("aア", 2), "a");
    EXPECT_EQ(text::Left("aア", 3), "aア");
    EXPECT_EQ(text::Left("", 3), "");
}

TEST(Text, CountCharSkipsTrailBytes) {
    EXPECT_EQ(text::CountChar("1.2.3.4", '.'), 3u);
    EXPECT_EQ(text::CountChar("ソ\\", '\\'), 1u);
}

TEST(Text, AtoIFollowsTheRuntimeRules) {
    EXPECT_EQ(text::AtoI("258"), 258);
    EXPECT_EQ(text::AtoI("  -12x"), -12);
    EXPECT_EQ(text::AtoI("+7"), 7);
    EXPECT_EQ(text::AtoI("x1"), 0);
    EXPECT_EQ(text::AtoI(""), 0);
    EXPECT_EQ(text::AtoI(" 300"), 300);
    // Too many digits wrap instead of invoking undefined behaviour.
    EXPECT_EQ(static_cast<unsigned>(text::AtoI("4294967297")), 1u);
}

TEST(Text, FormatGrowsToAnyLength) {
    std::string big(5000, 'x');
    EXPECT_EQ(text::Format("[%s]", big.c_str()).size(), 5002u);
    EXPECT_EQ(text::Format("http status %d", 404), "http status 404");
    EXPECT_EQ(text::Format("%08X", 0x50006u), "00050006");
}

TEST(Mbcs, ReverseKeepsBothBytesOfEachCharacterInOrder) {
    EXPECT_EQ(ReverseChars("abc"), "cba");
    EXPECT_EQ(ReverseChars("aソb"), "bソa");
    EXPECT_EQ(ReverseChars(ReverseChars("x/表/y.exe")), "x/表/y.exe");
    EXPECT_EQ(ReverseChars(""), "");
    // A lead byte at the very end has no trail byte and stays a single byte.
    std::string lone = "a\x83";
    EXPECT_EQ(ReverseChars(lone), "\x83"
                                  "a");
}

TEST(Mbcs, CodePageTables) {
    CLeadByteTable cp932 = CLeadByteTable::Cp932();
    EXPECT_TRUE(cp932.IsLead(static_cast<unsigned char>(0x81)));
    EXPECT_TRUE(cp932.IsLead(static_cast<unsigned char>(0x9F)));
    EXPECT_FALSE(cp932.IsLead(static_cast<unsigned char>(0xA0)));
    EXPECT_FALSE(cp932.IsLead(static_cast<unsigned char>(0xB1))); // half-width katakana
    EXPECT_TRUE(cp932.IsLead(static_cast<unsigned char>(0xE0)));
    EXPECT_TRUE(cp932.IsLead(static_cast<unsigned char>(0xFC)));
    EXPECT_FALSE(cp932.IsLead(static_cast<unsigned char>(0xFD)));

    SetActiveLeadBytes(CLeadByteTable::SingleByte());
    EXPECT_EQ(ReverseChars("aソ"), "\\\x83"
                                   "a");
    SetActiveLeadBytes(CLeadByteTable::Cp932());
}
