#include <gtest/gtest.h>

#include "framework/Text.h"

TEST(Text, FindOnlyMatchesAtCharacterBoundaries) {
    // "ソ" is 83 5C: its trail byte is a backslash that must not be found.
    std::string s = "ソ\\x";
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(text::Find(s, "\\"), 2u);
    EXPECT_EQ(text::Find("abc", ""), std::string::npos);
}
