// The service queries of one install click as the stand-in service receives them, and the message
// each answer leads to.
#include "tests/e2e/flow/FlowFixture.h"

using namespace e2e;

namespace flow {
namespace {

const char kUserAgent[] = "korvenalis-installapp [pc]";

// The client 1.2.3.4 and custom package 258 revision 3 (packed 01020003, registry Custom_001.002).
const char kCatalogue[] = "catalogue v3_flow = 1.2.3.4\n"
                          "catalogue v3_flow = 258,3\n"
                          "download 1 01020304 = {self}/files/client_setup.exe\n"
                          "download 2 01020003 = {self}/files/custom258_setup.exe\n"
                          "launch v3_flow = http://127.0.0.1:9/launch?org=flow\n";

// "METHOD fp=..." for each logged request, to compare whole sequences at once.
std::vector<std::string> Summary(const std::vector<CLoggedRequest>& requests) {
    std::vector<std::string> out;
    for (const CLoggedRequest& r : requests)
        out.push_back(r.method + " " + r.query);
    return out;
}

// The internet library names port 80 in the absolute URI it gives a proxy.
std::string WithoutDefaultPort(std::string url) {
    const size_t host = url.find("://");
    const size_t path = url.find('/', host == std::string::npos ? 0 : host + 3);
    if (host != std::string::npos && path != std::string::npos && path >= 3 &&
        url.compare(path - 3, 3, ":80") == 0)
        url.erase(path - 3, 3);
    return url;
}

using Service = CFlowTest;

TEST_F(Service, UnknownOrganisationIsNotAnOrganisationAndASecondAttemptWorks) {
    Start(kCatalogue);
    CMessageBox box = Install("nobody");
    ExpectBox(box, texts::kNotAnOrganisation, BoxIcon::Warning, "OK");
    AnswerMessageBox(box, IDOK);
    ExpectIdle();
    const std::vector<CLoggedRequest> requests = Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("GET", requests[0].method);
    EXPECT_EQ(std::string(PLMO_SERVICE_URL) + "?fp=3&oid=v3_nobody", WithoutDefaultPort(requests[0].target))
        << "the built-in address, sent to the stand-in as the proxy";
    EXPECT_EQ(kUserAgent, requests[0].userAgent);

    box = Install("flow");
    ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");
    AnswerMessageBox(box, IDNO);
    ExpectIdle();
    EXPECT_EQ("fp=3&oid=v3_flow", Requests().at(1).query);
}

TEST_F(Service, EverythingInstalledIsUpToDateUnlessForced) {
    ASSERT_TRUE(m_registry.SetText("Version", "1.2.3.4"));        // the same as offered
    ASSERT_TRUE(m_registry.SetText("Custom_001.002", "1.2.0.9")); // newer than 258,3
    Start(kCatalogue);
    CMessageBox box = Install("flow");
    ExpectBox(box, texts::kUpToDate, BoxIcon::Information, "OK");
    AnswerMessageBox(box, IDOK);
    ExpectIdle();
    EXPECT_EQ(std::vector<std::string>{"GET fp=3&oid=v3_flow"}, Summary(Requests()))
        << "an empty catalogue asks for no download address";

    box = Install("flow", true);
    ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");
    AnswerMessageBox(box, IDNO);
    ExpectIdle();
    EXPECT_EQ(5u, Requests().size()) << "forced, both offers are taken without looking at the registry";
}

TEST_F(Service, UpdatesAreOfferedAndNoDownloadsNothing) {
    ASSERT_TRUE(m_registry.SetText("Version", "1.2.3.3")); // older than offered
    Start(kCatalogue);
    const CMessageBox box = Install("flow");
    ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");
    AnswerMessageBox(box, IDNO);
    ExpectIdle();

    const std::vector<CLoggedRequest> requests = Requests();
    const std::vector<std::string> expected = {"GET fp=3&oid=v3_flow", "POST fp=4&mt=1&nv=01020304",
                                               "POST fp=4&mt=2&nv=01020003", "POST fp=5&oid=v3_flow"};
    EXPECT_EQ(expected, Summary(requests));
    for (const CLoggedRequest& r : requests) {
        EXPECT_EQ(kUserAgent, r.userAgent) << r.target;
        if (r.method == "POST") {
            EXPECT_EQ(r.query, r.body) << "a POST repeats its query as the form body";
        }
    }
    EXPECT_TRUE(FileRequests().empty());
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(Service, UnreachableServiceShowsTheLibraryMessage) {
    const int closed = ClosedLoopbackPort();
    ASSERT_NE(0, closed);
    Start(kCatalogue, {}, closed);
    const CMessageBox box = Install("flow");
    const std::string head = "インストーラ確認エラー\r\n\r\n詳細エラー：";
    ASSERT_EQ(head, box.text.substr(0, head.size())) << box.text;
    const std::string rest = box.text.substr(head.size());
    const std::string detail = rest.substr(0, rest.find("\r\n"));
    EXPECT_EQ(texts::CheckFailedNoStatus(detail), box.text);
    // The internet library's own Japanese text for a failed connection, its line break removed.
    EXPECT_EQ("サーバーへの接続試行は失敗しました。", detail);
    ExpectBox(box, box.text, BoxIcon::Warning, "OK");
    AnswerMessageBox(box, IDOK);
    ExpectIdle();
    EXPECT_TRUE(Requests().empty());
}

TEST_F(Service, CatalogueStatus500) {
    Start(kCatalogue, {"--status", "fp=3:500"});
    const CMessageBox box = Install("flow");
    ExpectBox(box, texts::CheckFailedStatus("http status 500"), BoxIcon::Warning, "OK");
    AnswerMessageBox(box, IDOK);
    ExpectIdle();
    EXPECT_EQ(std::vector<std::string>{"GET fp=3&oid=v3_flow"}, Summary(Requests()));
}

TEST_F(Service, EmptyDownloadAddress) {
    Start(kCatalogue, {"--empty", "fp=4"});
    const CMessageBox box = Install("flow");
    ExpectBox(box, texts::UrlFailed("Responce empty."), BoxIcon::Warning, "OK");
    AnswerMessageBox(box, IDOK);
    ExpectIdle();
    const std::vector<std::string> expected = {"GET fp=3&oid=v3_flow", "POST fp=4&mt=1&nv=01020304"};
    EXPECT_EQ(expected, Summary(Requests())) << "the first failure ends the queries";
}

TEST_F(Service, FailingLaunchAddressQuery) {
    Start(kCatalogue, {"--status", "fp=5:500"});
    const CMessageBox box = Install("flow");
    ExpectBox(box, texts::ParameterFailed("http status 500"), BoxIcon::Warning, "OK");
    AnswerMessageBox(box, IDOK);
    ExpectIdle();
    const std::vector<std::string> expected = {"GET fp=3&oid=v3_flow", "POST fp=4&mt=1&nv=01020304",
                                               "POST fp=4&mt=2&nv=01020003", "POST fp=5&oid=v3_flow"};
    EXPECT_EQ(expected, Summary(Requests()));
}

TEST_F(Service, TheIdIsTrimmedAndPrefixedButNeverOtherwiseChanged) {
    Start(kCatalogue);
    for (const char* typed : {" abc ", "V3_Abc", "\tab\t"}) {
        const CMessageBox box = Install(typed);
        ExpectBox(box, texts::kNotAnOrganisation, BoxIcon::Warning, "OK");
        AnswerMessageBox(box, IDOK);
        ExpectIdle();
        EXPECT_EQ(typed, App().Control(ids::kOrgId).Text()) << "the field keeps what was typed";
    }
    const std::vector<std::string> expected = {"GET fp=3&oid=v3_abc", "GET fp=3&oid=V3_Abc",
                                               "GET fp=3&oid=v3_ab"};
    EXPECT_EQ(expected, Summary(Requests()));
}

TEST_F(Service, BlankIdAsksForTheIdAndSendsNothing) {
    Start(kCatalogue);
    for (const char* typed : {"", "   "}) {
        const CMessageBox box = Install(typed);
        ExpectBox(box, texts::kEnterId, BoxIcon::Warning, "OK");
        AnswerMessageBox(box, IDOK);
        ExpectIdle();
    }
    EXPECT_TRUE(Requests().empty());
}

} // namespace
} // namespace flow
