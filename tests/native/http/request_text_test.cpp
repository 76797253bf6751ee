#include <gtest/gtest.h>

#include "http/RequestText.h"

using namespace http;

TEST(RequestText, EncodedLineBreaksAreEscapedInBothCasesOnly) {
    EXPECT_EQ(EscapeEncodedLineBreaks("http://h/p?x=a%0D%0Ab"), "http://h/p?x=a%5Cr%5Cnb");
    EXPECT_EQ(EscapeEncodedLineBreaks("http://h/p?x=a%0d%0ab&y=%0D%0A"),
              "http://h/p?x=a%5Cr%5Cnb&y=%5Cr%5Cn");
    EXPECT_EQ(EscapeEncodedLineBreaks("a%0D%0ab%0d%0Ac%0Dd%0Ae"), "a%0D%0ab%0d%0Ac%0Dd%0Ae");
}

TEST(RequestText, PostBodyIsTheQueryAfterTheFirstQuestionMark) {
    EXPECT_EQ(PostBodyFromObject("/p/index.aspx?fp=5&oid=X"), "fp=5&oid=X");
    EXPECT_EQ(PostBodyFromObject("/p/index.aspx?a=1?b=2"), "a=1?b=2");
    EXPECT_EQ(PostBodyFromObject("/p/index.aspx"), "");
    EXPECT_EQ(PostBodyFromObject("/p?"), "");
}

TEST(RequestText, HeaderComposition) {
    EXPECT_EQ(ComposeGetHeaders(true, ""), "");
    EXPECT_EQ(ComposeGetHeaders(false, ""), "Connection: close\r\n");
    EXPECT_EQ(ComposeGetHeaders(false, "SID=1"), "Connection: close\r\nCookie: SID=1\r\n");
    EXPECT_EQ(ComposeGetHeaders(true, "SID=1"), "Cookie: SID=1\r\n");
    const std::string post = "Pragma: no-cache\r\nContent-Type: application/x-www-form-urlencoded\r\n";
    EXPECT_EQ(ComposePostHeaders(true, ""), post);
    EXPECT_EQ(ComposePostHeaders(false, "a=b"), post + "Connection: close\r\nCookie: a=b\r\n");
}

TEST(RequestText, ElapsedTicksWrapRule) {
    EXPECT_EQ(ElapsedTicks(1500, 1000), 500u);
    EXPECT_EQ(ElapsedTicks(1000, 1000), 0u);
    EXPECT_EQ(ElapsedTicks(950, 1000), 0u);
    EXPECT_EQ(ElapsedTicks(901, 1000), 0u);
    EXPECT_EQ(ElapsedTicks(900, 1000), 4294967195u);
    EXPECT_EQ(ElapsedTicks(500, 4294967000u), 795u);
    EXPECT_EQ(ElapsedTicks(800, 1000), 4294967095u);
}

TEST(RequestText, HeaderContainsIsACaseFreeSubstringTest) {
    const std::string raw =
        "HTTP/1.1 200 OK\r\nX-Note: has content-length inside\r\ncontent-TYPE: text/plain\r\n";
    EXPECT_TRUE(HeaderContains(raw, "Content-Length"));
    EXPECT_TRUE(HeaderContains(raw, "Content-Type:"));
    EXPECT_FALSE(HeaderContains(raw, "Content-Length:"));
    EXPECT_FALSE(HeaderContains(raw, "Transfer-Encoding:"));
    // Double-byte characters are compared unchanged; a trail byte that looks like a letter is no letter.
    const std::string fullWidthA = "\x82\x60"; // "Ａ" in code page 932
    EXPECT_TRUE(HeaderContains("X: " + fullWidthA + "\r\n", fullWidthA));
    EXPECT_FALSE(HeaderContains("X: \x83\x41\r\n", "a")); // "ア": trail byte 0x41 is not a letter
}

TEST(RequestText, CookieIsTheTextBeforeTheFirstSemicolon) {
    EXPECT_EQ(CookieFromSetCookie("SID=abc; path=/"), "SID=abc");
    EXPECT_EQ(CookieFromSetCookie("SID=abc"), "SID=abc");
    EXPECT_EQ(CookieFromSetCookie(";x"), "");
}
