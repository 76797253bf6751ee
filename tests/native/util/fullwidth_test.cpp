#include <gtest/gtest.h>

#include "util/FullWidth.h"

TEST(ContainsFullWidthChars, AsciiAndHalfWidthKatakanaPass) {
    const CLeadByteTable cp932 = CLeadByteTable::Cp932();
    EXPECT_FALSE(ContainsFullWidthChars("", cp932));
    EXPECT_FALSE(ContainsFullWidthChars("v3_Org-01.x", cp932));
    EXPECT_FALSE(ContainsFullWidthChars("ｱｲｳｴｵﾊﾞｰｼﾞｮﾝ", cp932)); // A1..DF
    EXPECT_FALSE(ContainsFullWidthChars("\xA1\xDF~\x7F", cp932));
}

TEST(ContainsFullWidthChars, AnyFullWidthCharacterFails) {
    const CLeadByteTable cp932 = CLeadByteTable::Cp932();
    EXPECT_TRUE(ContainsFullWidthChars("ａｂｃ", cp932));
    EXPECT_TRUE(ContainsFullWidthChars("org１", cp932));
    EXPECT_TRUE(ContainsFullWidthChars("カナ", cp932));
    EXPECT_TRUE(ContainsFullWidthChars("ｶな", cp932));
    EXPECT_TRUE(ContainsFullWidthChars("a　b", cp932)); // ideographic space 81 40
    EXPECT_TRUE(ContainsFullWidthChars("表", cp932));
    EXPECT_TRUE(ContainsFullWidthChars("\xFC", cp932)); // a lone lead byte counts too
    EXPECT_TRUE(ContainsFullWidthChars("\xE0", cp932));
}

TEST(ContainsFullWidthChars, SingleByteCodePageNeverMatches) {
    const CLeadByteTable single = CLeadByteTable::SingleByte();
    std::string all;
    for (int c = 1; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    EXPECT_FALSE(ContainsFullWidthChars(all, single));
    EXPECT_FALSE(ContainsFullWidthChars("ａｂｃ", single));
}

TEST(ContainsFullWidthChars, DefaultsToTheActiveCodePage) {
    EXPECT_TRUE(ContainsFullWidthChars("ａ"));
    SetActiveLeadBytes(CLeadByteTable::SingleByte());
    EXPECT_FALSE(ContainsFullWidthChars("ａ"));
    SetActiveLeadBytes(CLeadByteTable::Cp932());
}
