#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/SplitToken.h"
#include "util/TextTokenizer.h"

namespace {

std::vector<std::string> AllTokens(const std::string& text, const std::string& delimiters) {
    CTextTokenizer tokenizer(CLeadByteTable::Cp932());
    tokenizer.SetText(text);
    std::vector<std::string> tokens;
    std::string token = "stale";
    while (tokenizer.NextToken(token, delimiters))
        tokens.push_back(token);
    EXPECT_EQ(token, "");
    return tokens;
}

using Tokens = std::vector<std::string>;

} // namespace

TEST(TextTokenizer, EmptyFieldBetweenAdjacentDelimiters) {
    EXPECT_EQ(AllTokens("a/b//c", "/"), (Tokens{"a", "b", "", "c"}));
}

TEST(TextTokenizer, LeadingDelimiterGivesEmptyFirstField) {
    EXPECT_EQ(AllTokens("/abc", "/"), (Tokens{"", "abc"}));
}

TEST(TextTokenizer, TrailingDelimiterGivesNoFieldAfterIt) {
    EXPECT_EQ(AllTokens("a/b/", "/"), (Tokens{"a", "b"}));
    EXPECT_EQ(AllTokens("//", "/"), (Tokens{"", ""}));
}

TEST(TextTokenizer, EmptyTextGivesNothing) {
    EXPECT_EQ(AllTokens("", "/"), Tokens{});
    CTextTokenizer fresh;
    std::string token = "x";
    EXPECT_FALSE(fresh.NextToken(token, "\n"));
    EXPECT_EQ(token, "");
}

TEST(TextTokenizer, EveryCharacterOfTheSetDelimits) {
    EXPECT_EQ(AllTokens("1\r\n2,3", "\r\n,"), (Tokens{"1", "", "2", "3"}));
}

TEST(TextTokenizer, TextWithoutDelimiterIsOneField) {
    EXPECT_EQ(AllTokens("setup.exe", "/"), (Tokens{"setup.exe"}));
}

TEST(TextTokenizer, TrailByteIsNeverADelimiter) {
    // ソ is 83 5C and 表 is 95 5C: their second bytes equal a backslash.
    ASSERT_EQ(std::string("ソ"), "\x83\x5C");
    EXPECT_EQ(AllTokens("ソフト\\表示", "\\"), (Tokens{"ソフト", "表示"}));
    EXPECT_EQ(AllTokens("表\\", "\\"), (Tokens{"表"}));
    // ＠ is 81 97, ｀ is 81 4D; @ (0x40) is the smallest trail byte.
    EXPECT_EQ(AllTokens("\x81\x40@x", "@"), (Tokens{"\x81\x40", "x"}));
}

TEST(TextTokenizer, SingleByteCodePageSplitsEveryByte) {
    CTextTokenizer tokenizer(CLeadByteTable::SingleByte());
    tokenizer.SetText("\x83\x5C"
                      "a");
    std::string token;
    ASSERT_TRUE(tokenizer.NextToken(token, "\\"));
    EXPECT_EQ(token, "\x83");
    ASSERT_TRUE(tokenizer.NextToken(token, "\\"));
    EXPECT_EQ(token, "a");
}

TEST(TextTokenizer, LoneLeadByteAtEndStaysInTheField) {
    EXPECT_EQ(AllTokens("a/\x83", "/"), (Tokens{"a", "\x83"}));
}

TEST(SplitToken, LeadingSeparator) {
    std::string token = "x", rest = "y";
    EXPECT_TRUE(SplitToken(",5", ",", token, rest));
    EXPECT_EQ(token, "");
    EXPECT_EQ(rest, "5");
}

TEST(SplitToken, NoSeparatorLeavesEmptyRest) {
    std::string token, rest = "y";
    EXPECT_TRUE(SplitToken("7", ",", token, rest));
    EXPECT_EQ(token, "7");
    EXPECT_EQ(rest, "");
}

TEST(SplitToken, EmptyTextLeavesRestUntouched) {
    std::string token = "x", rest = "keep";
    EXPECT_FALSE(SplitToken("", ",", token, rest));
    EXPECT_EQ(token, "");
    EXPECT_EQ(rest, "keep");
}

TEST(SplitToken, TextAndRestMayBeTheSameString) {
    std::string rest = "1, 0,2", token;
    ASSERT_TRUE(SplitToken(rest, ",", token, rest));
    EXPECT_EQ(token, "1");
    EXPECT_EQ(rest, " 0,2");
    ASSERT_TRUE(SplitToken(rest, ",", token, rest));
    EXPECT_EQ(token, " 0");
    ASSERT_TRUE(SplitToken(rest, ",", token, rest));
    EXPECT_EQ(token, "2");
    EXPECT_EQ(rest, "");
    EXPECT_FALSE(SplitToken(rest, ",", token, rest));
}

TEST(SplitToken, DoubleByteSeparatorMatchesOnlyWholeCharacters) {
    // 、 is 81 41; the A (0x41) inside it and alone must not match the other way round.
    std::string token, rest;
    ASSERT_TRUE(SplitToken("aA、b", "、", token, rest, CLeadByteTable::Cp932()));
    EXPECT_EQ(token, "aA");
    EXPECT_EQ(rest, "b");
    ASSERT_TRUE(SplitToken("x、y", "A", token, rest, CLeadByteTable::Cp932()));
    EXPECT_EQ(token, "x、y");
    EXPECT_EQ(rest, "");
}
