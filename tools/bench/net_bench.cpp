// CHttpAccess beside curl, same server, same run, rounds taken in turn: a body just below the
// pacing length from the loopback server, and the service's catalogue (fp=3) and download address
// (fp=4) queries, made by the program's own query functions, answered by the stand-in service.
//
//   net_bench.exe TABLE.tsv OUTDIR CURL-AGENT-FOLDER
#include <windows.h>
#include <wininet.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "http/BodyReader.h"
#include "http/HttpAccess.h"
#include "service/ServiceQueries.h"
#include "service/ServiceText.h"
#include "tests/win/service/StandinProcess.h"
#include "tests/win/support/LoopbackServer.h"
#include "tools/bench/BenchTable.h"
#include "tools/bench/CurlAgent.h"

using namespace bench;

namespace {

constexpr uint32_t kSmallBody = 200000; // below http::kPacedLength, so no pause between reads
constexpr DWORD kReadBlock = 16384;     // the download worker's
static_assert(kSmallBody < http::kPacedLength, "the small body must stay unpaced");

const char kCatalogue[] = "catalogue v3_bench = 1.2.3.4\n"
                          "download 1 01020304 = {self}/files/setup.exe\n";

// The samples of one comparison, taken in rounds of perRound each, the side that goes first
// changing every round so that none always meets a warmer system. A third side, where given: the
// same request made with the bare library calls, which tells the engine's own cost from the
// library's.
struct CComparison {
    std::vector<double> ours, curl, bare;
    std::string error;
};

using OneRequest = std::function<bool(double&, std::string&)>;

CComparison Compare(int rounds, int perRound, const OneRequest& oneOfOurs,
                    const std::function<bool(int, std::vector<double>&, std::string&)>& curlBatch,
                    const OneRequest& oneBare = nullptr) {
    CComparison c;
    auto batch = [&](const OneRequest& one, std::vector<double>& into, int n) {
        for (int i = 0; i < n; ++i) {
            double ms = 0;
            if (!one(ms, c.error))
                return false;
            into.push_back(ms);
        }
        return true;
    };
    // One of each first, unmeasured: the first request of a process loads the library.
    std::vector<double> ignored;
    if (!batch(oneOfOurs, ignored, 1) || !curlBatch(1, ignored, c.error) || (oneBare && !batch(oneBare, ignored, 1)))
        return c;
    const int sides = oneBare ? 3 : 2;
    for (int r = 0; r < rounds; ++r) {
        for (int side = 0; side < sides; ++side) {
            const int which = (side + r) % sides;
            const bool ok = which == 0   ? batch(oneOfOurs, c.ours, perRound)
                            : which == 1 ? curlBatch(perRound, c.curl, c.error)
                                         : batch(oneBare, c.bare, perRound);
            if (!ok)
                return c;
        }
    }
    return c;
}

// The GET as the engine makes it (same flags, protocol and read block), without the engine.
bool BareLibraryGet(const std::string& url, DWORD block, uint32_t expected, double& ms, std::string& error) {
    char host[256] = {}, path[1024] = {};
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    if (!::InternetCrackUrlA(url.c_str(), 0, 0, &parts)) {
        error = "cannot crack " + url;
        return false;
    }
    std::vector<char> buffer(block);
    uint32_t total = 0;
    const double start = NowMs();
    {
        // Closed before the clock stops, as the engine's are.
        CInternetHandle session(::InternetOpenA(service::kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                                                nullptr, INTERNET_FLAG_NO_CACHE_WRITE));
        CInternetHandle connection(::InternetConnectA(session.Get(), host, parts.nPort, nullptr, nullptr,
                                                      INTERNET_SERVICE_HTTP, 0, 1));
        CInternetHandle request(::HttpOpenRequestA(connection.Get(), "GET", path, "HTTP/1.0", nullptr, nullptr,
                                                   INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_COOKIES |
                                                       INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD,
                                                   1));
        if (request && ::HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0)) {
            DWORD n = 0;
            while (::InternetReadFile(request.Get(), buffer.data(), block - 1, &n) && n > 0)
                total += n;
        }
    }
    ms = NowMs() - start;
    if (total != expected) {
        error = "the bare library GET gave " + std::to_string(total) + " bytes";
        return false;
    }
    return true;
}

void Report(CTable& table, const std::string& benchmark, const std::string& what, const CComparison& c,
            FILE* csv, const char* csvName, double bytes) {
    const std::string goal = "CHttpAccess <= 1.5 x curl";
    if (!c.error.empty() || c.ours.empty() || c.curl.empty()) {
        table.AddFailure(benchmark, what + ": CHttpAccess / curl median", c.error, goal);
        std::printf("%s: %s\n", csvName, c.error.c_str());
        return;
    }
    const double ours = Median(c.ours), curl = Median(c.curl);
    auto speed = [&](double ms) {
        return bytes > 0 ? Format(", %.0f MB/s", bytes / 1e3 / ms) : std::string();
    };
    table.Add(benchmark, what + ": CHttpAccess median",
              Format("%.2f ms (n=%u, min %.2f, max %.2f%s)", ours, static_cast<unsigned>(c.ours.size()),
                     Percentile(c.ours, 0), Max(c.ours), speed(ours).c_str()));
    table.Add(benchmark, what + ": curl median (its time_total)",
              Format("%.2f ms (n=%u, min %.2f, max %.2f%s)", curl, static_cast<unsigned>(c.curl.size()),
                     Percentile(c.curl, 0), Max(c.curl), speed(curl).c_str()));
    table.AddAtMost(benchmark, what + ": CHttpAccess / curl", Format("%.2f", ours / curl), ours / curl, 1.5,
                    "<= 1.5");
    if (!c.bare.empty()) {
        const double bare = Median(c.bare);
        table.Add(benchmark, what + ": bare library calls median",
                  Format("%.2f ms (n=%u, min %.2f, max %.2f%s)", bare, static_cast<unsigned>(c.bare.size()),
                         Percentile(c.bare, 0), Max(c.bare), speed(bare).c_str()));
        table.Add(benchmark, what + ": CHttpAccess / bare library, bare library / curl",
                  Format("%.2f, %.2f", ours / bare, bare / curl));
    }
    if (csv) {
        for (unsigned i = 0; i < c.ours.size(); ++i)
            std::fprintf(csv, "%s,CHttpAccess,%u,%.3f\n", csvName, i, c.ours[i]);
        for (unsigned i = 0; i < c.curl.size(); ++i)
            std::fprintf(csv, "%s,curl,%u,%.3f\n", csvName, i, c.curl[i]);
        for (unsigned i = 0; i < c.bare.size(); ++i)
            std::fprintf(csv, "%s,bare,%u,%.3f\n", csvName, i, c.bare[i]);
    }
}

void SmallBody(CTable& table, CCurlAgent& agent, FILE* csv) {
    const std::string benchmark = "2 small body";
    CLoopbackServer server;
    if (!server.Start()) {
        table.AddFailure(benchmark, "200000 bytes", "the loopback server did not start", "<= 1.5 x curl");
        return;
    }
    ScriptedResponse r;
    r.headers = {"Content-Type: application/octet-stream", "Content-Length: " + std::to_string(kSmallBody)};
    r.generatedBytes = kSmallBody;
    server.SetDefault(r);
    const std::string url = server.Url("/small.bin");

    auto ours = [&](double& ms, std::string& error) {
        CHttpAccess h;
        h.SetUserAgent(service::kUserAgent);
        h.SetReadBufferSize(kReadBlock);
        const double start = NowMs();
        const bool ok = h.HttpGetBinary(url.c_str(), nullptr, nullptr);
        ms = NowMs() - start;
        bool whole = ok && h.m_dwDataSize == kSmallBody;
        for (DWORD i = 0; whole && i < h.m_dwDataSize; ++i)
            whole = h.m_pData[i] == PatternByte(i);
        if (!whole)
            error = "HttpGetBinary failed or gave other bytes (" + h.m_strError + ")";
        return whole;
    };
    CCurlRequest request;
    request.url = url;
    request.userAgent = service::kUserAgent;
    request.expectedBytes = kSmallBody;
    auto curl = [&](int n, std::vector<double>& ms, std::string& error) {
        return CurlTimes(agent, request, n, ms, error);
    };
    auto bare = [&](double& ms, std::string& error) { return BareLibraryGet(url, kReadBlock, kSmallBody, ms, error); };
    Report(table, benchmark, "200000 B GET", Compare(10, 5, ours, curl, bare), csv, "small_body", kSmallBody);
    server.Stop();
}

void ServiceRoundTrips(CTable& table, CCurlAgent& agent, FILE* csv) {
    const std::string benchmark = "3 service round trip";
    CStandinProcess service;
    if (!service.Start(kCatalogue)) {
        table.AddFailure(benchmark, "fp=3 and fp=4", "the stand-in service did not start", "<= 1.5 x curl");
        return;
    }
    const std::string page = service.Url("/plmocuif/index.aspx");
    const uint32_t version = 0x01020304;

    auto catalogue = [&](double& ms, std::string& error) {
        std::vector<uint16_t> kinds;
        std::vector<uint32_t> versions;
        const double start = NowMs();
        const bool ok = QueryInstallerCatalogue(page, "v3_bench", 1, kinds, versions, error);
        ms = NowMs() - start;
        if (ok && (versions.size() != 1 || versions[0] != version)) {
            error = "the catalogue query gave another catalogue";
            return false;
        }
        return ok;
    };
    CCurlRequest fp3;
    fp3.url = service::CatalogueQueryUrl(page, "v3_bench");
    fp3.userAgent = service::kUserAgent;
    auto curl3 = [&](int n, std::vector<double>& ms, std::string& error) {
        return CurlTimes(agent, fp3, n, ms, error);
    };
    Report(table, benchmark, "fp=3 GET", Compare(5, 10, catalogue, curl3), csv, "fp3", 0);

    auto address = [&](double& ms, std::string& error) {
        std::vector<std::string> urls, parameters;
        const double start = NowMs();
        // The client's entry (kind 0): one fp=4 request and no launch-address query.
        const bool ok = QueryDownloadUrls(page, "v3_bench", {0}, {version}, urls, parameters, error);
        ms = NowMs() - start;
        if (ok && (urls.size() != 1 || urls[0] != service.Url("/files/setup.exe"))) {
            error = "the address query gave another address";
            return false;
        }
        return ok;
    };
    // As the program posts it: the query repeated as the body, with its two extra headers.
    CCurlRequest fp4;
    fp4.url = service::DownloadQueryUrl(page, 0, version);
    fp4.postBody = fp4.url.substr(fp4.url.find('?') + 1);
    fp4.userAgent = service::kUserAgent;
    fp4.headers = {"Pragma: no-cache"};
    auto curl4 = [&](int n, std::vector<double>& ms, std::string& error) {
        return CurlTimes(agent, fp4, n, ms, error);
    };
    Report(table, benchmark, "fp=4 POST", Compare(5, 10, address, curl4), csv, "fp4", 0);
    service.Stop();
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 4) {
        std::printf("usage: net_bench TABLE.tsv OUTDIR CURL-AGENT-FOLDER\n");
        return 2;
    }
    CCurlAgent agent(argv[3]);
    FILE* csv = std::fopen((std::string(argv[2]) + "\\net_samples.csv").c_str(), "wb");
    if (csv)
        std::fprintf(csv, "comparison,client,sample,ms\n");
    CTable table;
    SmallBody(table, agent, csv);
    ServiceRoundTrips(table, agent, csv);
    if (csv)
        std::fclose(csv);
    for (const CRow& r : table.Rows())
        std::printf("%s | %s | %s | %s\n", r.benchmark.c_str(), r.measure.c_str(), r.figure.c_str(),
                    r.goal.c_str());
    return table.AppendTo(argv[1]) ? 0 : 1;
}
