// The three service queries on the wire, against the loopback server, with the real registry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/HttpAccess.h"
#include "service/InstallerCatalogue.h"
#include "service/ServiceQueries.h"
#include "tests/win/service/InstalledVersions.h"
#include "tests/win/support/LoopbackServer.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const char* const kAgent = "korvenalis-installapp [pc]";
const char* const kPage = "/plmocuif/index.aspx";
const char* const kFormType = "application/x-www-form-urlencoded";

class ServiceQueries : public LoopbackServerTest {
protected:
    void SetUp() override {
        LoopbackServerTest::SetUp();
        ASSERT_TRUE(registry.Ready()) << "cannot open the installed-versions key for writing";
        for (const char* name :
             {"Version", "Custom_000.005", "Custom_000.007", "Custom_000.009", "Custom_001.002"})
            ASSERT_TRUE(registry.Remove(name));
        url = server.Url(kPage);
    }

    // A service address where nothing listens: the server is stopped, its port stays unused.
    std::string DeadUrl() {
        server.Stop();
        return url;
    }

    // What the HTTP client reports for a failed connection to url, as a message detail reads it.
    static std::string TransportDetail(const std::string& deadUrl) {
        CHttpAccess http;
        http.HttpGetText(deadUrl.c_str(), nullptr, nullptr);
        std::string s = http.m_strError;
        for (size_t pos; (pos = s.find_first_of("\r\n")) != std::string::npos;)
            s.erase(pos, 1);
        return s;
    }

    void ExpectPost(const RecordedRequest& r, const std::string& query) {
        EXPECT_EQ(r.method, "POST");
        EXPECT_EQ(r.target, kPage + ("?" + query));
        EXPECT_EQ(r.body, query);
        EXPECT_EQ(r.Header("Content-Type"), kFormType);
        EXPECT_EQ(r.Header("User-Agent"), kAgent);
    }

    CInstalledVersions registry;
    std::string url;
    std::vector<uint16_t> kinds;
    std::vector<uint32_t> versions;
    std::vector<std::string> downloadUrls, launchParameters;
    std::string error = "untouched";
};

} // namespace

TEST_F(ServiceQueries, CatalogueIsAGetWithTheIdUnescaped) {
    server.Enqueue(ScriptedResponse::Ok("5,6\r\n"));
    server.Enqueue(ScriptedResponse::Ok("5,6\r\n"));
    ASSERT_TRUE(QueryInstallerCatalogue(url, "v3_a&b=c", 0, kinds, versions, error));
    // The space goes to the transport as it is; WinINet escapes it in the request line.
    ASSERT_TRUE(QueryInstallerCatalogue(url, "v3_a b", 0, kinds, versions, error));
    std::vector<RecordedRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, std::string(kPage) + "?fp=3&oid=v3_a&b=c");
    EXPECT_EQ(requests[0].Header("User-Agent"), kAgent);
    EXPECT_EQ(requests[0].body, "");
    EXPECT_EQ(requests[1].target, std::string(kPage) + "?fp=3&oid=v3_a%20b");
    EXPECT_THAT(kinds, ElementsAre(Custom, Custom));
    EXPECT_THAT(versions, ElementsAre(0x00050006u, 0x00050006u));
    EXPECT_EQ(error, "untouched");
}

TEST_F(ServiceQueries, DownloadAndLaunchQueriesArePostsWithTheQueryAsBody) {
    kinds = {Client, Custom};
    versions = {0x01020304u, 0x00050006u};
    server.Enqueue(ScriptedResponse::Ok("http://d.example/client.exe\r\n"));
    server.Enqueue(ScriptedResponse::Ok("http://d.example/custom.exe"));
    server.Enqueue(ScriptedResponse::Ok(" http://l.example/?a=%41&b \r\n\r\n"));
    ASSERT_TRUE(QueryDownloadUrls(url, "v3_o&p", kinds, versions, downloadUrls, launchParameters, error));
    std::vector<RecordedRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    ExpectPost(requests[0], "fp=4&mt=1&nv=01020304");
    ExpectPost(requests[1], "fp=4&mt=2&nv=00050006");
    ExpectPost(requests[2], "fp=5&oid=v3_o&p");
    EXPECT_THAT(downloadUrls, ElementsAre("http://d.example/client.exe", "http://d.example/custom.exe"));
    EXPECT_THAT(launchParameters,
                ElementsAre("simplemode,nochkwiz,noiechk,", "simplemode,lnc_url=http://l.example/?a=%41&b"));
    EXPECT_EQ(error, "untouched");
}

TEST_F(ServiceQueries, InstalledVersionsFilterTheCatalogue) {
    ASSERT_TRUE(registry.SetText("Version", "1.2.3.4"));
    ASSERT_TRUE(registry.SetText("Custom_000.005", "0.5.0.6")); // equal to 5,6
    ASSERT_TRUE(registry.SetText("Custom_001.002", "1.2.0.9")); // higher than 258,3
    ASSERT_TRUE(registry.SetText("Custom_000.007", "0.7.0.1")); // lower than 7,8
    const std::string answer = "1.2.3.4\r\n\r\n1.2.3.5\r\n1.2.3.3\r\n5,6\r\n258,3\r\n7,8\r\n9,1";
    server.Enqueue(ScriptedResponse::Ok(answer));
    ASSERT_TRUE(QueryInstallerCatalogue(url, "v3_x", 0, kinds, versions, error));
    EXPECT_THAT(kinds, ElementsAre(Client, Custom, Custom));
    EXPECT_THAT(versions, ElementsAre(0x01020305u, 0x00070008u, 0x00090001u));

    // Force update asks nothing of the registry: every offer stays.
    kinds.clear();
    versions.clear();
    server.Enqueue(ScriptedResponse::Ok(answer));
    ASSERT_TRUE(QueryInstallerCatalogue(url, "v3_x", 1, kinds, versions, error));
    EXPECT_EQ(versions.size(), 7u);
}

TEST_F(ServiceQueries, InstalledValueWithoutThreeDotsCountsAsNotInstalled) {
    ASSERT_TRUE(registry.SetText("Version", "9.9.9"));
    ASSERT_TRUE(registry.SetText("Custom_000.005", ""));
    server.Enqueue(ScriptedResponse::Ok("1.0.0.0\r\n5,6"));
    ASSERT_TRUE(QueryInstallerCatalogue(url, "v3_x", 0, kinds, versions, error));
    EXPECT_THAT(versions, ElementsAre(0x01000000u, 0x00050006u));
}

TEST_F(ServiceQueries, CatalogueFailuresNameTheirCauseAndLeaveTheListsAlone) {
    kinds = {Client};
    versions = {0x01000000u};
    server.Enqueue(ScriptedResponse::Status(500, "Internal Server Error"));
    EXPECT_FALSE(QueryInstallerCatalogue(url, "v3_x", 0, kinds, versions, error));
    EXPECT_EQ(
        error,
        "インストーラ確認エラー\r\n\r\n詳細エラー：http status 500\r\n\r\n対応：管理者にご相談ください。");

    server.Enqueue(ScriptedResponse::Ok(""));
    EXPECT_FALSE(QueryInstallerCatalogue(url, "v3_x", 0, kinds, versions, error));
    EXPECT_EQ(error, "インストーラ確認エラー\r\n\r\n詳細エラー：正しい組織IDではありません。\r\n\r\n"
                     "対応：数字、アルファベット等、正しく入力してください。");

    std::string dead = DeadUrl();
    std::string detail = TransportDetail(dead);
    ASSERT_FALSE(detail.empty());
    EXPECT_FALSE(QueryInstallerCatalogue(dead, "v3_x", 0, kinds, versions, error));
    EXPECT_EQ(error,
              "インストーラ確認エラー\r\n\r\n詳細エラー：" + detail +
                  "\r\n\r\n考えられる原因\r\n１）セキュリティソフトによりブロックされている。\r\n"
                  "　　本アプリケーションを許可してください。\r\n２）インターネットに接続していない。\r\n"
                  "　　ホームページは表示されますか。\r\n３）その他\r\n　　HttpProxy等、通信環境を確認してく"
                  "ださい。");
    EXPECT_THAT(kinds, ElementsAre(Client));
    EXPECT_THAT(versions, ElementsAre(0x01000000u));
}

TEST_F(ServiceQueries, WhiteSpaceCatalogueIsAnEmptySuccess) {
    server.Enqueue(ScriptedResponse::Ok(" \r\n\t\r\n "));
    EXPECT_TRUE(QueryInstallerCatalogue(url, "v3_x", 0, kinds, versions, error));
    EXPECT_THAT(kinds, IsEmpty());
    EXPECT_EQ(error, "untouched");
}

TEST_F(ServiceQueries, DownloadAddressFailures) {
    kinds = {Client};
    versions = {0x01020304u};
    server.Enqueue(ScriptedResponse::Status(404, "Not Found"));
    EXPECT_FALSE(QueryDownloadUrls(url, "v3_x", kinds, versions, downloadUrls, launchParameters, error));
    EXPECT_EQ(error,
              "URL取得エラー\r\n\r\n詳細エラー：http status 404\r\n\r\n対応：管理者にご相談ください。");

    server.Enqueue(ScriptedResponse::Ok("\r\n \t\r\n"));
    EXPECT_FALSE(QueryDownloadUrls(url, "v3_x", kinds, versions, downloadUrls, launchParameters, error));
    EXPECT_EQ(error,
              "URL取得エラー\r\n\r\n詳細エラー：Responce empty.\r\n\r\n対応：管理者にご相談ください。");
    EXPECT_THAT(downloadUrls, IsEmpty());

    std::string dead = DeadUrl();
    std::string detail = TransportDetail(dead);
    EXPECT_FALSE(QueryDownloadUrls(dead, "v3_x", kinds, versions, downloadUrls, launchParameters, error));
    EXPECT_EQ(error, "URL取得エラー\r\n\r\n詳細エラー：" + detail + "\r\n\r\n対応：管理者にご相談ください。");
    EXPECT_THAT(launchParameters, IsEmpty());
}

TEST_F(ServiceQueries, TwoLineDownloadAnswerIsKeptWhole) {
    kinds = {Client};
    versions = {0x01020304u};
    server.Enqueue(ScriptedResponse::Ok("\r\nhttp://a.example/x.exe\r\n\r\nhttp://b.example/y.exe\r\n"));
    ASSERT_TRUE(QueryDownloadUrls(url, "v3_x", kinds, versions, downloadUrls, launchParameters, error));
    EXPECT_THAT(downloadUrls, ElementsAre("http://a.example/x.exe\r\nhttp://b.example/y.exe"));
}

TEST_F(ServiceQueries, LaunchQueryFailingOnTheThirdEntryKeepsWhatCameBefore) {
    kinds = {Client, Custom, Custom};
    versions = {0x01020304u, 0x00050006u, 0x00070008u};
    server.Enqueue(ScriptedResponse::Ok("http://d/1.exe"));
    server.Enqueue(ScriptedResponse::Ok("http://d/2.exe"));
    server.Enqueue(ScriptedResponse::Ok(""));
    server.Enqueue(ScriptedResponse::Ok("http://d/3.exe"));
    server.Enqueue(ScriptedResponse::Status(503, "Service Unavailable"));
    EXPECT_FALSE(QueryDownloadUrls(url, "v3_x", kinds, versions, downloadUrls, launchParameters, error));
    EXPECT_EQ(error, "インストールパラメータ取得エラー\r\n\r\n詳細エラー：http status 503\r\n\r\n"
                     "対応：管理者にご相談ください。");
    EXPECT_THAT(downloadUrls, ElementsAre("http://d/1.exe", "http://d/2.exe", "http://d/3.exe"));
    EXPECT_THAT(launchParameters, ElementsAre("simplemode,nochkwiz,noiechk,", "simplemode,"));
    EXPECT_EQ(server.RequestCount(), 5u);
}

TEST_F(ServiceQueries, LaunchParametersOfACustomEntry) {
    std::string params = "untouched";
    server.Enqueue(ScriptedResponse::Ok(" \r\n "));
    ASSERT_TRUE(QueryLaunchParameters(url, "v3_x", Custom, params, error));
    EXPECT_EQ(params, "simplemode,");
    server.Enqueue(ScriptedResponse::Ok("\thttp://l.example/run?x=%0D%0A \r\n"));
    ASSERT_TRUE(QueryLaunchParameters(url, "v3_x", Custom, params, error));
    EXPECT_EQ(params, "simplemode,lnc_url=http://l.example/run?x=%0D%0A");
    // The body is the query as handed to the transport; only the request line has the space escaped.
    server.Enqueue(ScriptedResponse::Ok(""));
    ASSERT_TRUE(QueryLaunchParameters(url, "v3_x y&z", Custom, params, error));
    ASSERT_EQ(server.RequestCount(), 3u);
    ExpectPost(server.Requests()[0], "fp=5&oid=v3_x");
    EXPECT_EQ(server.Requests()[2].target, std::string(kPage) + "?fp=5&oid=v3_x%20y&z");
    EXPECT_EQ(server.Requests()[2].body, "fp=5&oid=v3_x y&z");

    std::string dead = DeadUrl();
    std::string detail = TransportDetail(dead);
    params = "untouched";
    EXPECT_FALSE(QueryLaunchParameters(dead, "v3_x", Custom, params, error));
    EXPECT_EQ(error, "インストールパラメータ取得エラー\r\n\r\n詳細エラー：" + detail +
                         "\r\n\r\n対応：管理者にご相談ください。");
}

TEST_F(ServiceQueries, ClientEntryNeedsNoLaunchQueryEvenWithTheServiceDown) {
    kinds = {Client};
    versions = {0x01020304u};
    server.Enqueue(ScriptedResponse::Ok("http://d/1.exe"));
    ASSERT_TRUE(QueryDownloadUrls(url, "v3_x", kinds, versions, downloadUrls, launchParameters, error));
    EXPECT_EQ(server.RequestCount(), 1u);

    std::string params;
    EXPECT_TRUE(QueryLaunchParameters(DeadUrl(), "v3_x", Client, params, error));
    EXPECT_EQ(params, "simplemode,nochkwiz,noiechk,");
    EXPECT_EQ(error, "untouched");
}

TEST_F(ServiceQueries, EmptyCatalogueSendsNothing) {
    EXPECT_TRUE(QueryDownloadUrls(url, "v3_x", kinds, versions, downloadUrls, launchParameters, error));
    EXPECT_EQ(server.RequestCount(), 0u);
    EXPECT_THAT(downloadUrls, IsEmpty());
}
