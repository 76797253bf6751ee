#include "tools/bench/CurlAgent.h"

#include "tests/e2e/driver/TextFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace bench {

bool CCurlAgent::Run(const std::vector<std::string>& args, std::vector<std::string>& lines,
                     std::string& error, DWORD timeoutMs) {
    lines.clear();
    if (!Available()) {
        error = "no curl agent folder given";
        return false;
    }
    const unsigned n = m_next++;
    const std::string base = m_folder + "\\";
    const std::string request = base + "request-" + std::to_string(n) + ".txt";
    const std::string answer = base + "answer-" + std::to_string(n) + ".txt";
    {
        // Written aside and moved in place, so the agent never reads half a request.
        std::ofstream out(request + ".part", std::ios::binary);
        for (const std::string& a : args)
            out << a << '\n';
        if (!out.flush()) {
            error = "cannot write " + request;
            return false;
        }
    }
    if (!::MoveFileExA((request + ".part").c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = "cannot move " + request + " in place";
        return false;
    }
    const DWORD start = ::GetTickCount();
    while (::GetFileAttributesA(answer.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount() - start > timeoutMs) {
            error = "no answer from the curl agent (is tools/bench.sh running it?)";
            return false;
        }
        ::Sleep(5);
    }
    std::vector<std::string> all = e2e::ReadLines(answer);
    ::DeleteFileA(answer.c_str());
    ::DeleteFileA(request.c_str());
    if (all.empty() || all[0] != "ok") {
        error = all.size() > 1 ? "curl: " + all[1] : "curl failed";
        return false;
    }
    lines.assign(all.begin() + 1, all.end());
    return true;
}

bool CurlTimes(CCurlAgent& agent, const CCurlRequest& request, int count, std::vector<double>& ms,
               std::string& error) {
    std::vector<std::string> args = {"--silent",
                                     "--show-error",
                                     "--http1.0",
                                     "--user-agent",
                                     request.userAgent,
                                     "--write-out",
                                     "%{time_total} %{http_code} %{size_download}\\n"};
    if (!request.postBody.empty()) {
        args.push_back("--data-raw");
        args.push_back(request.postBody);
    }
    for (const std::string& h : request.headers) {
        args.push_back("--header");
        args.push_back(h);
    }
    for (int i = 0; i < count; ++i) {
        args.push_back("--output");
        args.push_back("/dev/null");
        args.push_back(request.url);
    }
    std::vector<std::string> lines;
    if (!agent.Run(args, lines, error))
        return false;
    if (lines.size() != static_cast<size_t>(count)) {
        error = "curl gave " + std::to_string(lines.size()) + " figures for " + std::to_string(count) +
                " requests";
        return false;
    }
    for (const std::string& line : lines) {
        double seconds = 0;
        int status = 0;
        unsigned long long size = 0;
        if (std::sscanf(line.c_str(), "%lf %d %llu", &seconds, &status, &size) != 3 || status != 200 ||
            (request.expectedBytes != 0 && size != request.expectedBytes)) {
            error = "curl answer \"" + line + "\"";
            return false;
        }
        ms.push_back(seconds * 1000.0);
    }
    return true;
}

} // namespace bench
