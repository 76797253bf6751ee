#include "worker/DownloadTexts.h"

#include <gtest/gtest.h>

namespace {

const std::string kFrame = "ダウンロードエラー\r\n\r\n詳細エラー：%s\r\n\r\n対応：管理者にご相談ください。";

std::string Framed(const std::string& detail) {
    return "ダウンロードエラー\r\n\r\n詳細エラー：" + detail + "\r\n\r\n対応：管理者にご相談ください。";
}

TEST(DownloadTexts, AStatusCodeIsTheDetail) {
    EXPECT_EQ(Framed("http status 404"), download::RequestFailureText(kFrame, 404, "ignored"));
    EXPECT_EQ(Framed("http status 200"), download::RequestFailureText(kFrame, 200, ""));
}

TEST(DownloadTexts, WithoutAStatusTheTransportTextLosesItsLineBreaks) {
    EXPECT_EQ(Framed("サーバーへの接続試行は失敗しました。"),
              download::RequestFailureText(kFrame, 0, "サーバーへの接続試行は失敗しました。\r\n"));
    EXPECT_EQ(Framed("ab"), download::RequestFailureText(kFrame, 0, "a\nb\r\n"));
    EXPECT_EQ(Framed(""), download::RequestFailureText(kFrame, 0, ""));
}

TEST(DownloadTexts, TheDetailIsInsertedLiterally) {
    EXPECT_EQ(Framed("100%s %d"), download::RequestFailureText(kFrame, 0, "100%s %d"));
}

TEST(DownloadTexts, EmptyAnswerAndFileSave) {
    EXPECT_EQ(Framed("Responce size 0."), download::EmptyResponseText(kFrame));
    EXPECT_EQ("file save error:パスが見つかりません。\r\n",
              download::FileSaveErrorText("パスが見つかりません。\r\n"));
}

} // namespace
