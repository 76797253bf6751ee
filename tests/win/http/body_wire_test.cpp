// Response metadata and the body end rules with real WinINet reads.
#include <gtest/gtest.h>

#include "tests/win/http/HttpTestSupport.h"
#include "tests/win/support/LoopbackServer.h"

using HttpBody = LoopbackServerTest;

TEST_F(HttpBody, ContentLengthZeroIsCompleteWithoutProgress) {
    server.Enqueue(ScriptedResponse::Ok(""));
    CRecordingAccess h;
    EXPECT_TRUE(h.HttpGetBinary(server.Url("/empty").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_bHasContentLength, 1);
    EXPECT_EQ(h.m_pData, nullptr);
    EXPECT_EQ(h.m_dwDataSize, 0u);
    EXPECT_TRUE(h.progress.empty());
    EXPECT_EQ(h.abortQuestions, 0);
}

TEST_F(HttpBody, OneBlockOfAnnouncedLengthInBinaryMode) {
    std::string body(1000, '\0');
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(i % 7); // zero bytes included
    server.Enqueue(ScriptedResponse::Ok(body, "application/octet-stream"));
    CRecordingAccess h;
    EXPECT_TRUE(h.HttpGetBinary(server.Url("/f.exe").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.progress, (std::vector<std::pair<DWORD, DWORD>>{{1000, 1000}}));
    EXPECT_EQ(h.Data(), body);
    EXPECT_EQ(h.m_strContentType, "application/octet-stream");
    EXPECT_TRUE(h.m_strResponse.empty());
}

TEST_F(HttpBody, ProgressFollowsEveryBlockOfALargerBody) {
    ScriptedResponse r;
    r.headers = {"Content-Length: 300000"};
    r.generatedBytes = 300000;
    server.Enqueue(r);
    CRecordingAccess h;
    h.SetReadBufferSize(16384);
    EXPECT_TRUE(h.HttpGetBinary(server.Url("/big").c_str(), nullptr, nullptr));
    ASSERT_EQ(h.m_dwDataSize, 300000u);
    for (DWORD i = 0; i < h.m_dwDataSize; ++i)
        ASSERT_EQ(h.m_pData[i], PatternByte(i)) << i;
    ASSERT_GE(h.progress.size(), 19u); // at most 16383 bytes a read
    DWORD last = 0;
    for (auto& p : h.progress) {
        EXPECT_GT(p.first, last);
        EXPECT_LE(p.first - last, 16383u);
        EXPECT_EQ(p.second, 300000u);
        last = p.first;
    }
    EXPECT_EQ(last, 300000u);
}

TEST_F(HttpBody, ServerClosingBeforeTheAnnouncedLengthFailsKeepingThePart) {
    ScriptedResponse r;
    r.headers = {"Content-Length: 1000"};
    r.Piece(std::string(1000, 'z'));
    r.closeAfterBodyBytes = 600;
    server.Enqueue(r);
    CRecordingAccess h;
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(h.HttpGetBinary(server.Url("/cut").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_dwStatusCode, 200u);
    EXPECT_EQ(h.m_dwDataSize, 600u);
    EXPECT_EQ(h.Data(), std::string(600, 'z'));
    EXPECT_TRUE(h.m_strError.empty());
    EXPECT_EQ(h.m_dwLastError, 0u);
    // 201 waits of 50 ms happened before giving up.
    EXPECT_GE(::GetTickCount() - start, 10000u);
}

TEST_F(HttpBody, UnannouncedLengthEndsWhenTheServerCloses) {
    ScriptedResponse r;
    r.Piece("first,").Piece("second", 100);
    server.Enqueue(r);
    CRecordingAccess h;
    EXPECT_TRUE(h.HttpGetText(server.Url("/stream").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_strResponse, "first,second");
    EXPECT_EQ(h.m_bHasContentLength, 0);
    EXPECT_EQ(h.m_dwContentLength, 0u);
}

TEST_F(HttpBody, UnannouncedLengthOnAConnectionHeldOpenFailsWithTheWholeBody) {
    ScriptedResponse r;
    r.Piece("the whole body");
    // Longer than any bound on silence: Wine keeps the head's 30 s wait for the body.
    r.holdOpenMs = 40000;
    server.Enqueue(r);
    CRecordingAccess h;
    EXPECT_FALSE(h.HttpGetBinary(server.Url("/held").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_dwStatusCode, 200u);
    EXPECT_EQ(h.Data(), "the whole body");
    EXPECT_TRUE(h.m_strError.empty());
    EXPECT_EQ(h.m_dwLastError, 0u);
    EXPECT_EQ(h.progress, (std::vector<std::pair<DWORD, DWORD>>{{14, 0}}));
}

TEST_F(HttpBody, ContentLengthNamedInsideAnotherHeaderCountsAsAnnouncedEmpty) {
    ScriptedResponse r;
    r.headers = {"X-Note: no content-length: here"};
    r.Piece("ignored");
    server.Enqueue(r);
    CRecordingAccess h;
    EXPECT_TRUE(h.HttpGetText(server.Url("/odd").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_bHasContentLength, 1);
    EXPECT_EQ(h.m_dwContentLength, 0u);
    EXPECT_TRUE(h.m_strResponse.empty());
}

TEST_F(HttpBody, TransferEncodingIsNoted) {
    ScriptedResponse r;
    r.headers = {"Transfer-Encoding: chunked"};
    r.Piece("5\r\nhello\r\n0\r\n\r\n");
    server.Enqueue(r);
    CRecordingAccess h;
    EXPECT_TRUE(h.HttpGetText(server.Url("/chunked").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_bHasTransferEncoding, 1);
    EXPECT_EQ(h.m_strResponse, "hello"); // the library decodes; the loop takes what it delivers
}

TEST_F(HttpBody, CookieIsTheFirstSetCookieBeforeItsAttributes) {
    ScriptedResponse r = ScriptedResponse::Ok("x");
    r.Header("Set-Cookie: SID=abc; path=/").Header("Set-Cookie: OTHER=1");
    server.Enqueue(r);
    CRecordingAccess h;
    EXPECT_TRUE(h.HttpGetText(server.Url("/c").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_strCookie, "SID=abc");
}

TEST_F(HttpBody, MissingDateAndCookieLeaveTheirFieldsEmpty) {
    server.Enqueue(ScriptedResponse::Ok("x"));
    CRecordingAccess h;
    EXPECT_TRUE(h.HttpGetText(server.Url("/c").c_str(), nullptr, nullptr));
    EXPECT_TRUE(h.m_strCookie.empty());
    EXPECT_EQ(h.m_stDate.wYear, 0);
    EXPECT_EQ(h.m_stDateLocal.wYear, 0);
    EXPECT_EQ(h.m_stDateLocal.wHour, 0);
}

TEST_F(HttpBody, DateIsReadForEveryStatus) {
    ScriptedResponse r = ScriptedResponse::Status(403, "Forbidden");
    r.Header("Date: Sun, 06 Nov 1994 08:49:37 GMT");
    server.Enqueue(r);
    CRecordingAccess h;
    EXPECT_FALSE(h.HttpGetText(server.Url("/d").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_stDate.wYear, 1994);
    EXPECT_EQ(h.m_stDate.wMonth, 11);
    EXPECT_EQ(h.m_stDate.wDay, 6);
    EXPECT_EQ(h.m_stDate.wHour, 8);
    EXPECT_EQ(h.m_stDate.wMinute, 49);
    EXPECT_EQ(h.m_stDate.wSecond, 37);
    EXPECT_NE(h.m_stDateLocal.wYear, 0);
}

TEST_F(HttpBody, TextModeDropsTheRestOfABlockAfterAZeroByte) {
    server.Enqueue(ScriptedResponse::Ok(std::string("abc\0def", 7)));
    CRecordingAccess h;
    EXPECT_TRUE(h.HttpGetText(server.Url("/z").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_strResponse, "abc");
    EXPECT_EQ(h.m_dwDataSize, 0u);
}

TEST_F(HttpBody, AbortAfterTheFirstBlockKeepsIt) {
    ScriptedResponse r;
    r.headers = {"Content-Length: 200"};
    r.Piece(std::string(100, 'a')).Piece(std::string(100, 'b'), 500);
    server.Enqueue(r);
    CRecordingAccess h;
    h.SetReadBufferSize(101); // the library fills a read as far as it can: one block is 100 bytes
    h.abortOnQuestion = 1;
    EXPECT_FALSE(h.HttpGetBinary(server.Url("/abort").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_dwStatusCode, 200u);
    EXPECT_EQ(h.Data(), std::string(100, 'a'));
    EXPECT_EQ(h.progress.size(), 1u);
    EXPECT_TRUE(h.m_strError.empty());
}
