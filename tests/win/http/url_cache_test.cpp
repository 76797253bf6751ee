// The engine's answers never pass through the library's URL cache: a cached copy of an installer is
// a file outside the temporary folder that nobody removes, and an answer served from the cache is
// one the service never gave.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <vector>

#include "framework/Handle.h"
#include "tests/win/http/HttpTestSupport.h"
#include "tests/win/support/LoopbackServer.h"

namespace {

bool IsCached(const std::string& url) {
    DWORD size = 0;
    if (::GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size))
        return true;
    return ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

// What a browser or any other program of the library does with its defaults: it keeps the answer.
std::string GetWithTheLibraryDefaults(const std::string& url) {
    std::string body;
    CInternetHandle session(::InternetOpenA("other program", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    CInternetHandle file(::InternetOpenUrlA(session.Get(), url.c_str(), nullptr, 0, 0, 0));
    char block[256];
    DWORD n = 0;
    while (file && ::InternetReadFile(file.Get(), block, sizeof block, &n) && n > 0)
        body.append(block, n);
    return body;
}

ScriptedResponse Cacheable(const std::string& body) {
    ScriptedResponse r = ScriptedResponse::Ok(body, "application/octet-stream");
    r.Header("Cache-Control: public, max-age=3600");
    return r;
}

} // namespace

using HttpUrlCache = LoopbackServerTest;

TEST_F(HttpUrlCache, AnswersAreNotKept) {
    const std::string download = server.Url("/files/setup.exe");
    const std::string catalogue = server.Url("/plmocuif/index.aspx?fp=3&oid=v3_cache");
    server.Enqueue(Cacheable("installer"));
    server.Enqueue(Cacheable("catalogue"));
    server.Enqueue(Cacheable("address"));
    CRecordingAccess h;
    ASSERT_TRUE(h.HttpGetBinary(download.c_str(), nullptr, nullptr));
    EXPECT_EQ(h.Data(), "installer");
    ASSERT_TRUE(h.HttpGetText(catalogue.c_str(), nullptr, nullptr));
    EXPECT_EQ(h.m_strResponse, "catalogue");
    ASSERT_TRUE(h.HttpPostText(catalogue.c_str(), nullptr, nullptr));
    EXPECT_FALSE(IsCached(download));
    EXPECT_FALSE(IsCached(catalogue));
}

TEST_F(HttpUrlCache, AnEntryAnotherProgramLeftIsNotServed) {
    const std::string url = server.Url("/files/client_setup.exe");
    server.Enqueue(Cacheable("stale installer"));
    ASSERT_EQ(GetWithTheLibraryDefaults(url), "stale installer");
    // Without an entry there would be nothing to prove.
    ASSERT_TRUE(IsCached(url));

    server.Enqueue(Cacheable("current installer"));
    CRecordingAccess h;
    ASSERT_TRUE(h.HttpGetBinary(url.c_str(), nullptr, nullptr));
    EXPECT_EQ(h.Data(), "current installer");
    EXPECT_EQ(server.RequestCount(), 2u);
    ::DeleteUrlCacheEntryA(url.c_str());
}
