// What the engine puts on the wire and how it reports failures, against the loopback server.
#include <gtest/gtest.h>

#include <winsock2.h>

#include "http/InternetFailure.h"
#include "tests/win/http/HttpTestSupport.h"
#include "tests/win/support/LoopbackServer.h"

namespace {

// A loopback port nobody listens on: bound once, then closed.
uint16_t DeadPort() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof addr;
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    ::closesocket(s);
    ::WSACleanup();
    return ntohs(addr.sin_port);
}

std::string DeadUrl(const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(DeadPort()) + path;
}

} // namespace

using HttpWire = LoopbackServerTest;

TEST(HttpSettings, DefaultsAndReadBufferLimit) {
    CHttpAccess h;
    EXPECT_EQ(h.m_bNoCookies, 1);
    EXPECT_EQ(h.m_bKeepAlive, 1);
    EXPECT_EQ(h.m_dwReadBufferSize, 32768u);
    EXPECT_EQ(h.m_dwWaitWithLength, 10000u);
    EXPECT_EQ(h.m_dwWaitWithoutLength, 2000u);
    EXPECT_EQ(h.m_pData, nullptr);
    EXPECT_EQ(h.m_dwConnectTimeout, 0u);
    EXPECT_EQ(h.m_bUseProxy, 0);
    h.SetReadBufferSize(16384);
    EXPECT_EQ(h.m_dwReadBufferSize, 16384u);
    h.SetReadBufferSize(2097152);
    EXPECT_EQ(h.m_dwReadBufferSize, 16384u);
    h.SetReadBufferSize(1048576);
    EXPECT_EQ(h.m_dwReadBufferSize, 1048576u);
}

TEST_F(HttpWire, GetSendsTargetUserAgentAndNoBody) {
    server.Enqueue(ScriptedResponse::Ok("hello"));
    CRecordingAccess h;
    ASSERT_TRUE(h.HttpGetText(server.Url("/plmocuif/index.aspx?fp=3&oid=v3_abc").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_dwStatusCode, 200u);
    EXPECT_EQ(h.m_strResponse, "hello");
    EXPECT_EQ(h.m_strContentType, "text/plain");
    EXPECT_EQ(h.m_dwContentLength, 5u);
    EXPECT_EQ(h.m_bHasContentLength, 1);
    EXPECT_EQ(h.m_bHasTransferEncoding, 0);
    EXPECT_EQ(h.m_strRawHeaders.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << h.m_strRawHeaders;
    EXPECT_NE(h.m_strRawHeaders.find("Content-Length: 5\r\n"), std::string::npos);
    EXPECT_EQ(h.m_pData, nullptr);
    EXPECT_TRUE(h.m_strError.empty());
    EXPECT_EQ(h.m_dwLastError, 0u);

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const RecordedRequest& r = requests[0];
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.target, "/plmocuif/index.aspx?fp=3&oid=v3_abc");
    EXPECT_EQ(r.version, "HTTP/1.0");
    EXPECT_EQ(r.Header("User-Agent"), kUserAgent);
    EXPECT_TRUE(r.body.empty());
    EXPECT_FALSE(r.HasHeader("Cookie"));
    EXPECT_FALSE(r.HasHeader("Pragma"));
    EXPECT_NE(r.Header("Connection"), "close");
    // Text requests report 0 bytes received: the count belongs to binary bodies.
    EXPECT_EQ(h.progress, (std::vector<std::pair<DWORD, DWORD>>{{0, 5}}));
    // Every notification reaches the hook with the request's context.
    EXPECT_TRUE(h.SawStatus(INTERNET_STATUS_SENDING_REQUEST));
    EXPECT_TRUE(h.SawStatus(INTERNET_STATUS_RESPONSE_RECEIVED));
    for (DWORD_PTR c : h.contexts)
        EXPECT_EQ(c, 1u);
}

TEST_F(HttpWire, PostCarriesTheQueryInTargetAndBody) {
    server.Enqueue(ScriptedResponse::Ok("http://127.0.0.1/x.exe"));
    server.Enqueue(ScriptedResponse::Ok(""));
    CRecordingAccess h;
    ASSERT_TRUE(h.HttpPostText(server.Url("/p/index.aspx?fp=5&oid=X").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_strResponse, "http://127.0.0.1/x.exe");
    ASSERT_TRUE(h.HttpPostText(server.Url("/p/index.aspx").c_str(), nullptr, nullptr));

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const RecordedRequest& r = requests[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.target, "/p/index.aspx?fp=5&oid=X");
    EXPECT_EQ(r.version, "HTTP/1.0");
    EXPECT_EQ(r.body, "fp=5&oid=X");
    EXPECT_EQ(r.Header("Content-Length"), "10");
    EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(r.Header("Pragma"), "no-cache");
    EXPECT_EQ(r.Header("User-Agent"), kUserAgent);
    EXPECT_NE(r.headerBlock.find("Pragma: no-cache\r\nContent-Type: application/x-www-form-urlencoded\r\n"),
              std::string::npos)
        << r.headerBlock;

    const RecordedRequest& empty = requests[1];
    EXPECT_EQ(empty.method, "POST");
    EXPECT_EQ(empty.target, "/p/index.aspx");
    EXPECT_TRUE(empty.body.empty());
    EXPECT_EQ(empty.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(empty.Header("Pragma"), "no-cache");
}

TEST_F(HttpWire, EncodedLineBreaksAreEscapedInTargetAndBody) {
    server.SetDefault(ScriptedResponse::Ok("ok"));
    CRecordingAccess h;
    ASSERT_TRUE(
        h.HttpGetText(server.Url("/p?a=x%0D%0Ay&b=x%0d%0ay&c=x%0D%0ay&d=%0D").c_str(), nullptr, nullptr));
    ASSERT_TRUE(h.HttpPostText(server.Url("/p?a=x%0D%0Ay&c=x%0d%0Ay").c_str(), nullptr, nullptr));
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "/p?a=x%5Cr%5Cny&b=x%5Cr%5Cny&c=x%0D%0ay&d=%0D");
    EXPECT_EQ(requests[1].target, "/p?a=x%5Cr%5Cny&c=x%0d%0Ay");
    EXPECT_EQ(requests[1].body, "a=x%5Cr%5Cny&c=x%0d%0Ay");
}

TEST_F(HttpWire, CookieExtraHeadersAndConnectionClose) {
    server.SetDefault(ScriptedResponse::Ok("ok"));
    CRecordingAccess h;
    h.m_bKeepAlive = 0;
    ASSERT_TRUE(h.HttpGetText(server.Url("/g").c_str(), "SID=1", "X-One: 1\r\nX-Two: 2\r\n"));
    ASSERT_TRUE(h.HttpPostText(server.Url("/p?q=1").c_str(), "SID=2", nullptr));
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Header("Cookie"), "SID=1");
    EXPECT_EQ(requests[0].Header("X-One"), "1");
    EXPECT_EQ(requests[0].Header("X-Two"), "2");
    EXPECT_EQ(requests[0].Header("Connection"), "close");
    EXPECT_EQ(requests[1].Header("Cookie"), "SID=2");
    EXPECT_EQ(requests[1].Header("Connection"), "close");
    EXPECT_EQ(requests[1].body, "q=1");
}

TEST_F(HttpWire, NamedProxyReceivesTheAbsoluteTarget) {
    server.Enqueue(ScriptedResponse::Ok("via proxy"));
    CRecordingAccess h;
    h.m_bUseProxy = 1;
    h.m_strProxyServer = "127.0.0.1";
    h.m_nProxyPort = server.Port();
    const std::string url = DeadUrl("/p/index.aspx?fp=3");
    ASSERT_TRUE(h.HttpGetText(url.c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_strResponse, "via proxy");
    ASSERT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(server.Requests()[0].target, url);
}

TEST_F(HttpWire, UrlsThatAreNotHttpSendNothing) {
    CRecordingAccess h;
    EXPECT_FALSE(
        h.HttpGetText(("ftp://127.0.0.1:" + std::to_string(server.Port()) + "/f").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_dwStatusCode, 0u);
    EXPECT_TRUE(h.m_strError.empty());
    EXPECT_EQ(h.m_dwLastError, 0u);
    EXPECT_FALSE(h.HttpGetText(nullptr, nullptr, nullptr));
    EXPECT_FALSE(h.HttpPostText("no url at all", nullptr, nullptr));
    EXPECT_TRUE(h.m_strError.empty());
    EXPECT_FALSE(h.HttpGetBinary("file:///c:/windows/win.ini", nullptr, nullptr));
    EXPECT_EQ(h.m_pData, nullptr);
    EXPECT_TRUE(h.statuses.empty());
    ::Sleep(200);
    EXPECT_EQ(server.ConnectionCount(), 0u);
}

TEST_F(HttpWire, StatusOtherThan200ReadsNoBody) {
    ScriptedResponse notFound = ScriptedResponse::Status(404, "Not Found");
    notFound.headers = {"Content-Length: 9", "Set-Cookie: A=1"};
    notFound.Piece("not found");
    server.Enqueue(notFound);
    CRecordingAccess h;
    EXPECT_FALSE(h.HttpGetBinary(server.Url("/missing").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_dwStatusCode, 404u);
    EXPECT_EQ(h.m_pData, nullptr);
    EXPECT_EQ(h.m_dwDataSize, 0u);
    EXPECT_TRUE(h.m_strResponse.empty());
    EXPECT_TRUE(h.m_strRawHeaders.empty());
    EXPECT_TRUE(h.m_strCookie.empty());
    EXPECT_TRUE(h.m_strError.empty());
    EXPECT_TRUE(h.progress.empty());
}

TEST_F(HttpWire, RefusedConnectionGivesTheLibraryMessageInJapanese) {
    CRecordingAccess h;
    EXPECT_FALSE(h.HttpGetText(DeadUrl("/p").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_dwStatusCode, 0u);
    EXPECT_EQ(h.m_dwLastError, static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));
    EXPECT_EQ(h.m_strError, "サーバーへの接続試行は失敗しました。\r\n");
    EXPECT_EQ(h.m_strError, InternetErrorText(ERROR_INTERNET_CANNOT_CONNECT));
}

TEST_F(HttpWire, ARequestAfterAnotherStartsFromClearedFields) {
    ScriptedResponse full = ScriptedResponse::Ok("abc");
    full.Header("Set-Cookie: SID=1; path=/").Header("Date: Tue, 08 Dec 2026 01:02:03 GMT");
    server.Enqueue(full);
    CRecordingAccess h;
    ASSERT_TRUE(h.HttpGetBinary(server.Url("/a").c_str(), nullptr, nullptr));
    ASSERT_EQ(h.Data(), "abc");
    ASSERT_EQ(h.m_strCookie, "SID=1");
    ASSERT_EQ(h.m_stDate.wYear, 2026);

    EXPECT_FALSE(h.HttpGetBinary(DeadUrl("/b").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_dwStatusCode, 0u);
    EXPECT_EQ(h.m_pData, nullptr);
    EXPECT_EQ(h.m_dwDataSize, 0u);
    EXPECT_TRUE(h.m_strRawHeaders.empty());
    EXPECT_TRUE(h.m_strCookie.empty());
    EXPECT_TRUE(h.m_strContentType.empty());
    EXPECT_EQ(h.m_dwContentLength, 0u);
    EXPECT_EQ(h.m_bHasContentLength, 0);
    EXPECT_EQ(h.m_stDate.wYear, 0);
    EXPECT_EQ(h.m_stDateLocal.wYear, 0);
    EXPECT_EQ(h.m_dwReceiveTime, 0u);
    EXPECT_FALSE(h.m_strError.empty());

    // And a failure's error fields do not survive into the next answer.
    server.Enqueue(ScriptedResponse::Status(500, "Internal Server Error"));
    EXPECT_FALSE(h.HttpGetText(server.Url("/c").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_dwStatusCode, 500u);
    EXPECT_TRUE(h.m_strError.empty());
    EXPECT_EQ(h.m_dwLastError, 0u);
}

TEST_F(HttpWire, ServerDropsTheConnectionWithoutAnswer) {
    ScriptedResponse drop;
    drop.dropWithoutAnswer = true;
    server.Enqueue(drop);
    CRecordingAccess h;
    EXPECT_FALSE(h.HttpGetText(server.Url("/drop").c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_dwStatusCode, 0u);
    EXPECT_NE(h.m_dwLastError, 0u);
    EXPECT_FALSE(h.m_strError.empty());
    EXPECT_TRUE(h.m_strResponse.empty());
}

TEST_F(HttpWire, AHeadThatComesAfter15SecondsIsStillRead) {
    // The wait for the head is the library's, not the bound on silence inside the body: a
    // service page or a download server that takes long to answer is waited for.
    ScriptedResponse slow = ScriptedResponse::Ok("late, but whole");
    slow.pauseBeforeHeadersMs = 15000;
    server.Enqueue(slow);
    server.Enqueue(slow);
    CRecordingAccess h;
    EXPECT_TRUE(h.HttpPostText(server.Url("/p/index.aspx?fp=3&oid=v3_slow").c_str(), nullptr, nullptr))
        << h.m_strError;
    EXPECT_EQ(h.m_strResponse, "late, but whole");
    EXPECT_TRUE(h.HttpGetBinary(server.Url("/files/setup.exe").c_str(), nullptr, nullptr)) << h.m_strError;
    EXPECT_EQ(h.Data(), "late, but whole");
}
