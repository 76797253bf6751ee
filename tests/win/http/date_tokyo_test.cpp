// Run with TZ=Asia/Tokyo (its own test entry): the server's GMT Date in local time.
#include <gtest/gtest.h>

#include "tests/win/http/HttpTestSupport.h"
#include "tests/win/support/LoopbackServer.h"

using HttpTokyo = LoopbackServerTest;

TEST_F(HttpTokyo, MidnightGmtIsNineInTheMorningLocal) {
    TIME_ZONE_INFORMATION tz{};
    ::GetTimeZoneInformation(&tz);
    ASSERT_EQ(tz.Bias, -540) << "this test needs the time zone Asia/Tokyo (TZ)";
    ScriptedResponse r = ScriptedResponse::Ok("x");
    r.Header("Date: Tue, 08 Dec 2026 00:00:00 GMT");
    server.Enqueue(r);
    CRecordingAccess h;
    ASSERT_TRUE(h.HttpGetText(server.Url("/d").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_stDate.wYear, 2026);
    EXPECT_EQ(h.m_stDate.wDay, 8);
    EXPECT_EQ(h.m_stDate.wHour, 0);
    EXPECT_EQ(h.m_stDateLocal.wYear, 2026);
    EXPECT_EQ(h.m_stDateLocal.wMonth, 12);
    EXPECT_EQ(h.m_stDateLocal.wDay, 8);
    EXPECT_EQ(h.m_stDateLocal.wHour, 9);
    EXPECT_EQ(h.m_stDateLocal.wMinute, 0);
    EXPECT_EQ(h.m_stDateLocal.wSecond, 0);
}
