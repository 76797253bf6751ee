// curl beside a benchmark, for the same requests against the same server in the same run. A
// Windows program under Wine cannot wait for a Linux program it starts, so tools/bench.sh runs a
// small agent that watches a folder: this side writes request-N.txt (curl's arguments, one a
// line) and waits for answer-N.txt ("ok" and curl's output, or "error" and why).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

class CCurlAgent {
public:
    explicit CCurlAgent(const std::string& folder) : m_folder(folder) {}
    bool Available() const { return !m_folder.empty(); }
    // Runs curl once with args; its standard output lines, or false with why.
    bool Run(const std::vector<std::string>& args, std::vector<std::string>& lines, std::string& error,
             DWORD timeoutMs = 120000);

private:
    std::string m_folder;
    unsigned m_next = 0;
};

struct CCurlRequest {
    std::string url;
    std::string postBody; // empty: GET
    std::string userAgent;
    std::vector<std::string> headers;
    uint64_t expectedBytes = 0; // the body size every answer must have; 0: not checked
};

// curl's own time_total of count requests, one after another in one curl run, in milliseconds.
// The server closes each connection after its answer and curl speaks HTTP/1.0, as WinINet does
// here, so every request opens a connection of its own.
bool CurlTimes(CCurlAgent& agent, const CCurlRequest& request, int count, std::vector<double>& ms,
               std::string& error);

} // namespace bench
