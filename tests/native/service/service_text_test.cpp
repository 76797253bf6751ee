#include <gtest/gtest.h>

#include "service/InstallerCatalogue.h"
#include "service/LaunchParameters.h"
#include "service/ServiceText.h"

using namespace service;

namespace {
const std::string kUrl = "http://svc.example/plmocuif/index.aspx";
}

TEST(ServiceQueryUrls, ValuesInsertedUnescaped) {
    EXPECT_EQ(CatalogueQueryUrl(kUrl, "v3_a&b c"), kUrl + "?fp=3&oid=v3_a&b c");
    EXPECT_EQ(LaunchQueryUrl(kUrl, "v3_%41"), kUrl + "?fp=5&oid=v3_%41");
    // A "%" in the service URL itself is data, not a format directive.
    EXPECT_EQ(CatalogueQueryUrl("http://h/%s%d", "x"), "http://h/%s%d?fp=3&oid=x");
}

TEST(ServiceQueryUrls, DownloadQueryNamesTypeAndEightDigitUpperHexVersion) {
    EXPECT_EQ(DownloadQueryUrl(kUrl, Client, 0x01020304u), kUrl + "?fp=4&mt=1&nv=01020304");
    EXPECT_EQ(DownloadQueryUrl(kUrl, Custom, 0x00050006u), kUrl + "?fp=4&mt=2&nv=00050006");
    EXPECT_EQ(DownloadQueryUrl(kUrl, Custom, 0x01022C04u), kUrl + "?fp=4&mt=2&nv=01022C04");
    EXPECT_EQ(DownloadQueryUrl(kUrl, 7, 0xFFFFFFFFu), kUrl + "?fp=4&mt=2&nv=FFFFFFFF");
}

TEST(ServiceAnswer, DoubleLineBreaksCollapseInOnePassThenEndsTrimmed) {
    EXPECT_EQ(NormaliseAnswer("a\r\n\r\nb"), "a\r\nb");
    // Four in a row are two occurrences: they become two, not one.
    EXPECT_EQ(NormaliseAnswer("a\r\n\r\n\r\n\r\nb"), "a\r\n\r\nb");
    // Three in a row: the first two collapse, the third stays.
    EXPECT_EQ(NormaliseAnswer("a\r\n\r\n\r\nb"), "a\r\n\r\nb");
    EXPECT_EQ(NormaliseAnswer("a\n\nb"), "a\n\nb");
    EXPECT_EQ(NormaliseAnswer(" \t\r\n http://x/a b \r\n"), "http://x/a b");
    EXPECT_EQ(NormaliseAnswer(" \r\n\t "), "");
}

TEST(ServiceFailure, StatusCodeWinsOverTransportText) {
    EXPECT_EQ(FailureDetail(404, "ignored"), "http status 404");
    EXPECT_EQ(FailureDetail(500, ""), "http status 500");
    EXPECT_EQ(FailureDetail(200, ""), "http status 200");
    EXPECT_EQ(FailureDetail(200, "記憶域がありません。\r\n"), "記憶域がありません。"); // a 200 that failed on its own
}

TEST(ServiceFailure, TransportTextLosesEveryLineBreak) {
    EXPECT_EQ(FailureDetail(0, "サーバーへの接続試行は失敗しました。\r\n"),
              "サーバーへの接続試行は失敗しました。");
    // CR LF pairs go first, then lone LFs; a lone CR stays.
    EXPECT_EQ(FailureDetail(0, "a\r\nb\nc\n\rd\r"), "abc\rd\r");
    EXPECT_EQ(FailureDetail(0, ""), "");
}

TEST(ServiceFailure, DetailFillsTheTemplateLiterally) {
    EXPECT_EQ(FillMessage("エラー：%s\r\n対応", "http status 500"), "エラー：http status 500\r\n対応");
    EXPECT_EQ(FillMessage("x%sy", "%s%d%n"), "x%s%d%ny");
    EXPECT_EQ(FillMessage("no slot", "d"), "no slot");
}

TEST(LaunchParameterText, FixedSwitchesAndOptionalLaunchAddress) {
    EXPECT_STREQ(kClientParameters, "simplemode,nochkwiz,noiechk,");
    EXPECT_EQ(CustomParameters(""), "simplemode,");
    EXPECT_EQ(CustomParameters("http://l.example/a?b=%41&c"),
              "simplemode,lnc_url=http://l.example/a?b=%41&c");
}
