#include <gtest/gtest.h>

#include <cstdint>

#include "ui/DialogPlacement.h"
#include "ui/OrgId.h"
#include "ui/ProgressText.h"
#include "ui/ServiceAddress.h"

TEST(OrgId, PrefixAddedUnlessPresentInAnyCase) {
    EXPECT_EQ(NormaliseOrgId("abc"), "v3_abc");
    EXPECT_EQ(NormaliseOrgId("ab"), "v3_ab");
    EXPECT_EQ(NormaliseOrgId("v3_"), "v3_");
    EXPECT_EQ(NormaliseOrgId("V3_abc"), "V3_abc");
    EXPECT_EQ(NormaliseOrgId("v3_abc"), "v3_abc");
    EXPECT_EQ(NormaliseOrgId("v3abc"), "v3_v3abc");
    EXPECT_EQ(NormaliseOrgId("v"), "v3_v");
    // Half-width katakana are single bytes and pass through untouched.
    EXPECT_EQ(NormaliseOrgId("ｱｲｳ"), "v3_ｱｲｳ");
}

TEST(DialogPlacement, BottomCentreOfPrimaryWorkArea) {
    DialogPosition p = BottomCentrePosition(1920, 1040, 400, 200);
    EXPECT_EQ(p.x, 760);
    EXPECT_EQ(p.y, 840);
    // Odd sizes: each half truncates toward zero.
    p = BottomCentrePosition(1025, 767, 333, 101);
    EXPECT_EQ(p.x, 512 - 166);
    EXPECT_EQ(p.y, 666);
    // A work area whose right edge is negative (monitor left of the origin) truncates toward zero too.
    p = BottomCentrePosition(-3, 100, 5, 10);
    EXPECT_EQ(p.x, -1 - 2);
}

TEST(DownloadPercent, RisesInOrderOverTheWhole32BitRange) {
    for (uint32_t total : {1u, 99u, 100u, 1000u, 204801u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        uint32_t last = 0;
        for (int step = 0; step <= 1000; ++step) {
            uint32_t received = static_cast<uint32_t>(static_cast<uint64_t>(total) * step / 1000);
            uint32_t percent = DownloadPercent(received, total);
            EXPECT_GE(percent, last) << total << " " << received;
            EXPECT_LE(percent, 100u);
            last = percent;
        }
        EXPECT_EQ(DownloadPercent(0, total), 0u);
        EXPECT_EQ(DownloadPercent(total, total), 100u);
    }
    // 32-bit arithmetic would overflow here and show a small number.
    EXPECT_EQ(DownloadPercent(0xFFFFFFFEu, 0xFFFFFFFFu), 99u);
    EXPECT_EQ(DownloadPercent(50000000u, 100000000u), 50u);
}

TEST(DownloadPercent, MoreThanAnnouncedShowsAHundred) {
    EXPECT_EQ(DownloadPercent(2000, 1000), 100u);
    EXPECT_EQ(DownloadPercent(0xFFFFFFFFu, 1), 100u);
}

TEST(ProgressText, StatusLines) {
    EXPECT_EQ(DownloadStatusText(5, 3, 2), "ダウンロードしています...  5%  [2/3]");
    EXPECT_EQ(DownloadStatusText(100, 1, 1), "ダウンロードしています...100%  [1/1]");
    EXPECT_EQ(InstallStatusText(2, 1), "インストールしています...  [1/2]");
}

TEST(ServiceAddress, ShortHostIsTheFirstLabel) {
    EXPECT_EQ(ShortHostName("http://instsvc.korvenalis.example/plmocuif/index.aspx"), "instsvc");
    EXPECT_EQ(ShortHostName("http://localhost:8080/plmocuif/index.aspx"), "localhost");
    EXPECT_EQ(ShortHostName("https://user:pw@a.b.c/x"), "a");
    EXPECT_EQ(ShortHostName("http://single/"), "single");
    std::string url = BuiltInServiceUrl();
    EXPECT_EQ(url.substr(0, 7), "http://");
    EXPECT_NE(url.find("/plmocuif/index.aspx"), std::string::npos);
}
