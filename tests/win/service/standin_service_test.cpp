// The stand-in install service as the program and the end-to-end tests meet it: through the HTTP
// client, addressed directly and as the system's proxy.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "http/HttpAccess.h"
#include "service/InstallerCatalogue.h"
#include "service/ServiceQueries.h"
#include "ui/ServiceAddress.h"
#include "tests/win/service/StandinProcess.h"

using ::testing::ElementsAre;

namespace {

const char* const kAgent = "korvenalis-installapp [pc]";
const char* const kPage = "/plmocuif/index.aspx";

const char* const kCatalogue = "# a demo organisation\n"
                               "catalogue v3_demo = 1.2.3.4\n"
                               "catalogue v3_demo = 258,3\n"
                               "catalogue v3_a&b c = 5,6\n"
                               "download 1 01020304 = {self}/files/client.exe\n"
                               "download 2 01020003 = http://a.example/x.exe\\r\\nsecond line\n"
                               "launch v3_demo = \\s http://launch.example/?a=%41 \\s\n";

struct Access : CHttpAccess {
    Access() { SetUserAgent(kAgent); }
};

// Sets http_proxy for this process while it lives; WinINet reads it when a session opens.
struct ProxyEnvironment {
    explicit ProxyEnvironment(const std::string& proxy) {
        ::SetEnvironmentVariableA("http_proxy", proxy.c_str());
    }
    ~ProxyEnvironment() { ::SetEnvironmentVariableA("http_proxy", nullptr); }
};

class StandinService : public ::testing::Test {
protected:
    void Run(const std::vector<std::string>& args = {}) {
        ASSERT_TRUE(svc.Start(kCatalogue, args)) << "standin-service.exe did not start";
    }
    std::string Page(const std::string& query) const { return svc.Url(std::string(kPage) + "?" + query); }
    CStandinProcess svc;
};

} // namespace

TEST_F(StandinService, AnswersTheCatalogueOfAKnownOrganisationAndNothingForOthers) {
    Run();
    Access http;
    ASSERT_TRUE(http.HttpGetText(Page("fp=3&oid=v3_demo").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_strResponse, "1.2.3.4\r\n258,3\r\n");
    ASSERT_TRUE(http.HttpGetText(Page("fp=3&oid=v3_nobody").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_dwStatusCode, 200u);
    EXPECT_EQ(http.m_strResponse, "");
    // The ID runs to the end of the query, so an unescaped "&" stays part of it; the space comes
    // as %20 (WinINet escapes it in the request line) and is decoded.
    ASSERT_TRUE(http.HttpGetText(Page("fp=3&oid=v3_a&b c").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_strResponse, "5,6\r\n");
    EXPECT_THAT(svc.LogLines(),
                ElementsAre(std::string("GET\t") + kPage + "?fp=3&oid=v3_demo\t\t" + kAgent,
                            std::string("GET\t") + kPage + "?fp=3&oid=v3_nobody\t\t" + kAgent,
                            std::string("GET\t") + kPage + "?fp=3&oid=v3_a&b%20c\t\t" + kAgent));
}

TEST_F(StandinService, AnswersDownloadAndLaunchAddressesAndLogsPostBodies) {
    Run();
    Access http;
    ASSERT_TRUE(http.HttpPostText(Page("fp=4&mt=1&nv=01020304").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_strResponse, svc.Base() + "/files/client.exe\r\n");
    ASSERT_TRUE(http.HttpPostText(Page("fp=4&mt=2&nv=01020003").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_strResponse, "http://a.example/x.exe\r\nsecond line\r\n");
    ASSERT_TRUE(http.HttpPostText(Page("fp=4&mt=2&nv=7").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_strResponse, "");
    ASSERT_TRUE(http.HttpPostText(Page("fp=5&oid=v3_demo").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_strResponse, "  http://launch.example/?a=%41  \r\n");
    std::vector<std::string> log = svc.LogLines();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0],
              std::string("POST\t") + kPage + "?fp=4&mt=1&nv=01020304\tfp=4&mt=1&nv=01020304\t" + kAgent);
    EXPECT_EQ(log[3], std::string("POST\t") + kPage + "?fp=5&oid=v3_demo\tfp=5&oid=v3_demo\t" + kAgent);
}

TEST_F(StandinService, ServesInstallerFilesByNameOnly) {
    Run();
    std::string bytes("MZ\0\x01\xff payload", 12);
    std::ofstream(svc.FilesDir() + "\\client.exe", std::ios::binary) << bytes;
    std::ofstream(svc.Folder() + "\\secret.txt", std::ios::binary) << "outside";
    Access http;
    ASSERT_TRUE(http.HttpGetBinary(svc.Url("/files/client.exe").c_str(), nullptr, nullptr));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(http.m_pData), http.m_dwDataSize), bytes);
    EXPECT_FALSE(http.HttpGetBinary(svc.Url("/files/missing.exe").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_dwStatusCode, 404u);
    EXPECT_FALSE(http.HttpGetBinary(svc.Url("/files/..%5Csecret.txt").c_str(), nullptr, nullptr));
    EXPECT_FALSE(http.HttpGetBinary(svc.Url("/files/..\\secret.txt").c_str(), nullptr, nullptr));
    EXPECT_FALSE(http.HttpGetText(svc.Url("/other/index.aspx?fp=3&oid=v3_demo").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_dwStatusCode, 404u);
}

TEST_F(StandinService, SwitchesBendOneKindOfAnswer) {
    Run({"--status", "fp=3:503", "--empty", "fp=4", "--blank", "fp=5", "--slow", "files:1200", "--drip",
         "files:300"});
    Access http;
    EXPECT_FALSE(http.HttpGetText(Page("fp=3&oid=v3_demo").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_dwStatusCode, 503u);
    ASSERT_TRUE(http.HttpPostText(Page("fp=4&mt=1&nv=01020304").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_strResponse, "");
    ASSERT_TRUE(http.HttpPostText(Page("fp=5&oid=v3_demo").c_str(), nullptr, nullptr));
    EXPECT_FALSE(http.m_strResponse.empty());
    EXPECT_EQ(http.m_strResponse.find_first_not_of(" \t\r\n"), std::string::npos);
    // Three pieces of 1 KiB, the first after 1200 ms, the others 300 ms apart.
    std::string bytes(3 * 1024, 'x');
    std::ofstream(svc.FilesDir() + "\\a.bin", std::ios::binary) << bytes;
    DWORD start = ::GetTickCount();
    ASSERT_TRUE(http.HttpGetBinary(svc.Url("/files/a.bin").c_str(), nullptr, nullptr));
    EXPECT_GE(::GetTickCount() - start, 1800u);
    EXPECT_EQ(http.m_dwDataSize, bytes.size());
}

TEST_F(StandinService, FaultSwitchesBendTheWireAsAClientSeesIt) {
    std::string raw("\x01\xff\0junk", 7);
    ASSERT_TRUE(svc.PrepareFolder());
    std::ofstream(svc.Folder() + "\\raw.bin", std::ios::binary) << raw;
    Run({"--chunked", "files", "--length", "fp=3:-4", "--no-length", "fp=4", "--redirect",
         "fp=5:{self}/files/a.bin", "--redirect", "files:{self}/files/a.bin", "--raw-answer",
         "fp=5:" + svc.Folder() + "\\raw.bin"});
    std::string bytes(5000, 'z');
    std::ofstream(svc.FilesDir() + "\\a.bin", std::ios::binary) << bytes;
    Access http;
    // Chunked: the library takes the coding off.
    ASSERT_TRUE(http.HttpGetBinary(svc.Url("/files/a.bin").c_str(), nullptr, nullptr));
    EXPECT_EQ(1, http.m_bHasTransferEncoding);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(http.m_pData), http.m_dwDataSize), bytes);
    // Four bytes fewer announced than sent: reading stops once the announced length is in. The read
    // that reaches it may carry the surplus too, depending on how the bytes arrive.
    ASSERT_TRUE(http.HttpGetText(Page("fp=3&oid=v3_demo").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_strResponse.substr(0, 12), "1.2.3.4\r\n258");
    EXPECT_LE(http.m_strResponse.size(), std::string("1.2.3.4\r\n258,3\r\n").size());
    // No length: the close ends the body.
    ASSERT_TRUE(http.HttpPostText(Page("fp=4&mt=1&nv=01020304").c_str(), nullptr, nullptr));
    EXPECT_EQ(0, http.m_bHasContentLength);
    EXPECT_EQ(http.m_strResponse, svc.Base() + "/files/client.exe\r\n");
    // The redirect wins over the raw answer; the library follows it.
    ASSERT_TRUE(http.HttpGetBinary(Page("fp=5&oid=v3_demo").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_dwDataSize, bytes.size());
    EXPECT_EQ(svc.LogLines().size(), 5u) << "the redirect's target is a request of its own";
    // A redirect of every file answers its own target as usual: no loop.
    ASSERT_TRUE(http.HttpGetBinary(svc.Url("/files/b.bin").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_dwDataSize, bytes.size());
}

TEST_F(StandinService, ResetAndRawAnswer) {
    ASSERT_TRUE(svc.PrepareFolder());
    std::string raw("\x01\xff\r\nx", 5);
    std::ofstream(svc.Folder() + "\\raw.bin", std::ios::binary) << raw;
    Run({"--reset", "files:1000", "--raw-answer", "fp=3:" + svc.Folder() + "\\raw.bin"});
    std::ofstream(svc.FilesDir() + "\\a.bin", std::ios::binary) << std::string(5000, 'z');
    Access http;
    EXPECT_FALSE(http.HttpGetBinary(svc.Url("/files/a.bin").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_dwStatusCode, 200u);
    EXPECT_LE(http.m_dwDataSize, 1000u) << "no more than the bytes before the reset";
    ASSERT_TRUE(http.HttpGetText(Page("fp=3&oid=anyone").c_str(), nullptr, nullptr));
    EXPECT_EQ(http.m_strResponse, raw);
}

TEST_F(StandinService, RejectsAMalformedSwitch) {
    EXPECT_FALSE(svc.Start(kCatalogue, {"--status", "fp=9:500"}));
    EXPECT_FALSE(svc.Start(kCatalogue, {"--length", "files:+x"}));
    EXPECT_FALSE(svc.Start(kCatalogue, {"--chunked", "files:1"}));
}

// WinINet sends an absolute URI when it goes through a proxy; the stand-in then answers for the
// program's built-in host without any name being resolved. WinINet under Wine takes http_proxy
// once per process, at its first session: this case runs in a process of its own (CMakeLists.txt).
TEST_F(StandinService, ProxyAnswersTheQueriesOfTheBuiltInServiceAddress) {
    const std::string builtIn = BuiltInServiceUrl();
    if (builtIn.compare(0, 7, "http://") != 0)
        GTEST_SKIP() << "the built-in service address is not plain http: " << builtIn;
    Run();
    ProxyEnvironment proxy(svc.Base());
    {
        // A loopback port with nothing behind it answers only through the proxy. Until that is
        // shown, no other host name is used.
        Access http;
        ASSERT_TRUE(
            http.HttpGetText("http://127.0.0.1:1/plmocuif/index.aspx?fp=3&oid=v3_demo", nullptr, nullptr))
            << http.m_strError;
        EXPECT_EQ(http.m_strResponse, "1.2.3.4\r\n258,3\r\n");
    }

    InstallerCatalogue c;
    std::string error;
    ASSERT_TRUE(QueryInstallerCatalogue(builtIn, "v3_demo", 1, c.kinds, c.versions, error)) << error;
    EXPECT_THAT(c.versions, ElementsAre(0x01020304u, 0x01020003u));
    ASSERT_TRUE(
        QueryDownloadUrls(builtIn, "v3_demo", c.kinds, c.versions, c.downloadUrls, c.launchParameters, error))
        << error;
    EXPECT_THAT(c.downloadUrls,
                ElementsAre(svc.Base() + "/files/client.exe", "http://a.example/x.exe\r\nsecond line"));
    EXPECT_THAT(c.launchParameters, ElementsAre("simplemode,nochkwiz,noiechk,",
                                                "simplemode,lnc_url=http://launch.example/?a=%41"));

    // The host of the built-in address is named in every request line (WinINet adds its port).
    std::string origin = builtIn.substr(0, builtIn.find('/', 7));
    std::vector<std::string> log = svc.LogLines();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0],
              std::string("GET\thttp://127.0.0.1:1/plmocuif/index.aspx?fp=3&oid=v3_demo\t\t") + kAgent);
    const char* queries[] = {"fp=3&oid=v3_demo", "fp=4&mt=1&nv=01020304", "fp=4&mt=2&nv=01020003",
                             "fp=5&oid=v3_demo"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(queries[i]);
        EXPECT_THAT(log[i + 1], ::testing::StartsWith(std::string(i == 0 ? "GET" : "POST") + "\t" + origin));
        EXPECT_THAT(log[i + 1],
                    ::testing::HasSubstr(std::string("/plmocuif/index.aspx?") + queries[i] + "\t"));
        EXPECT_THAT(log[i + 1], ::testing::EndsWith(kAgent));
    }
}
