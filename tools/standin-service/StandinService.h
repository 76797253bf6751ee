// The stand-in install service without its sockets: the catalogue file, the switches that bend
// its answers, and the answer to one request.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace standin {

// How one kind of answer ("fp=3", "fp=4", "fp=5" or "files") is bent by the command line.
struct Override {
    int status = 0;     // answer this status instead (0: as usual)
    bool empty = false; // answer 200 with an empty body
    bool blank = false; // answer 200 with a body of nothing but white space
    int delayMs = 0;    // wait this long before answering
    int dripMs = 0;     // send the body in 1 KiB pieces this far apart
    // Faults of the wire, for the client's error paths (see README.md).
    long long resetAfter = -1; // abort the connection after this many bytes behind the head
    long long stallAfter = -1; // fall silent after this many bytes behind the head
    bool stallHeaders = false; // fall silent before the head
    bool lengthBent = false;   // announce the body's length plus lengthDelta
    long long lengthDelta = 0;
    bool noLength = false; // no Content-Length: the close ends the body
    bool chunked = false;  // HTTP/1.1 with Transfer-Encoding: chunked
    int holdMs = 0;        // keep the connection open this long after the body
    std::string redirect;  // answer 302 with this Location ({self} replaced)
    std::string rawFile;   // answer 200 with this file's bytes
};

struct Catalogue {
    std::map<std::string, std::vector<std::string>> lines;                // org ID -> fp=3 lines
    std::map<std::pair<std::string, std::string>, std::string> downloads; // (mt, NV) -> address
    std::map<std::string, std::string> launches;                          // org ID -> fp=5 address
};

// Reads the catalogue file format (see README.md); false with a message naming the bad line.
bool LoadCatalogue(const std::string& path, Catalogue& catalogue, std::string& error);

struct Request {
    std::string method;
    std::string target; // as received: origin form or absolute URI (proxy use)
    std::string userAgent;
    std::string body;
};

struct Response {
    int status = 200;
    std::string contentType = "text/plain";
    std::string body;
    std::string location; // a redirect's target
    int delayMs = 0;
    int dripMs = 0;
    long long resetAfter = -1;
    long long stallAfter = -1;
    bool stallHeaders = false;
    bool lengthBent = false;
    long long lengthDelta = 0;
    bool noLength = false;
    bool chunked = false;
    int holdMs = 0;
};

// The status line and headers of the response, up to and with the empty line.
std::string ResponseHead(const Response& response);
// The bytes that follow the head: the body, framed in chunks of at most piece bytes when chunked.
std::string ResponseWire(const Response& response, size_t piece);

struct Service {
    Catalogue catalogue;
    std::map<std::string, Override> overrides;
    std::string filesDir;                      // empty: no files are served
    std::string page = "/plmocuif/index.aspx"; // the service page's path
    std::string self;                          // "http://127.0.0.1:PORT", replaces {self}

    Response Answer(const Request& request) const;
};

// The request target without scheme and authority: what a proxy request names on the origin.
std::string OriginForm(const std::string& target);

// Parses "KIND:VALUE" or "KIND" switch arguments into the override table; false on a bad one.
bool ApplySwitch(const std::string& name, const std::string& argument,
                 std::map<std::string, Override>& table);

// One log line for the request: method, target, body (CR, LF, tab and backslash escaped), user agent.
std::string LogLine(const Request& request);

} // namespace standin
