#include "StandinService.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace standin {

namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return std::string();
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// \r \n \t \s (a space) and \\ in catalogue values, so answers can hold line breaks and
// white space at their ends.
std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        char c = s[++i];
        out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 's' ? ' ' : c;
    }
    return out;
}

std::string ReplaceSelf(std::string s, const std::string& self) {
    for (size_t pos = s.find("{self}"); pos != std::string::npos; pos = s.find("{self}", pos + self.size()))
        s.replace(pos, 6, self);
    return s;
}

// %XX sequences as bytes; the client's transport may have escaped a space on the way.
std::string PercentDecode(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The decoded value of key in a query string. The oid is the last key of its queries and is sent
// unescaped, so it runs to the end: an ID holding "&" arrives whole.
std::string QueryValue(const std::string& query, const std::string& key, bool toEnd) {
    std::string probe = key + "=";
    for (size_t pos = 0; pos <= query.size();) {
        if (query.compare(pos, probe.size(), probe) == 0) {
            size_t start = pos + probe.size();
            size_t end = toEnd ? query.size() : query.find('&', start);
            return PercentDecode(
                query.substr(start, end == std::string::npos ? std::string::npos : end - start));
        }
        size_t amp = query.find('&', pos);
        if (amp == std::string::npos)
            break;
        pos = amp + 1;
    }
    return std::string();
}

bool SafeFileName(const std::string& name) {
    return !name.empty() && name.find_first_of("/\\:") == std::string::npos &&
           name.find("..") == std::string::npos;
}

Response Text(int status, const std::string& body) {
    Response r;
    r.status = status;
    r.body = body;
    return r;
}

} // namespace

bool LoadCatalogue(const std::string& path, Catalogue& catalogue, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open catalogue " + path;
        return false;
    }
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        std::string line = Trim(raw);
        if (line.empty() || line[0] == '#')
            continue;
        size_t eq = line.find('=');
        size_t space = line.find_first_of(" \t");
        if (eq == std::string::npos || space == std::string::npos || space > eq) {
            error = path + ":" + std::to_string(number) + ": expected 'KIND KEY = VALUE'";
            return false;
        }
        std::string kind = line.substr(0, space);
        std::string key = Trim(line.substr(space, eq - space));
        std::string value = Unescape(Trim(line.substr(eq + 1)));
        if (kind == "catalogue" && !key.empty()) {
            catalogue.lines[key].push_back(value);
        } else if (kind == "launch" && !key.empty()) {
            catalogue.launches[key] = value;
        } else if (kind == "download" && key.find_first_of(" \t") != std::string::npos) {
            size_t gap = key.find_first_of(" \t");
            catalogue.downloads[{Trim(key.substr(0, gap)), Upper(Trim(key.substr(gap)))}] = value;
        } else {
            error = path + ":" + std::to_string(number) + ": unknown entry '" + kind + "'";
            return false;
        }
    }
    return true;
}

std::string OriginForm(const std::string& target) {
    size_t scheme = target.find("://");
    if (scheme == std::string::npos || target.compare(0, 1, "/") == 0)
        return target;
    size_t path = target.find_first_of("/?", scheme + 3);
    if (path == std::string::npos)
        return "/";
    return target[path] == '/' ? target.substr(path) : "/" + target.substr(path);
}

Response Service::Answer(const Request& request) const {
    std::string origin = OriginForm(request.target);
    size_t q = origin.find('?');
    std::string path = origin.substr(0, q);
    std::string query = q == std::string::npos ? std::string() : origin.substr(q + 1);

    std::string kind;
    if (path == page)
        kind = "fp=" + QueryValue(query, "fp", false);
    else if (path.compare(0, 7, "/files/") == 0)
        kind = "files";
    else
        return Text(404, "not found\r\n");

    auto bent = overrides.find(kind);
    const Override none;
    const Override& o = bent == overrides.end() ? none : bent->second;
    Response r;
    if (o.status != 0) {
        r = Text(o.status, "status " + std::to_string(o.status) + "\r\n");
    } else if (!o.redirect.empty() && OriginForm(ReplaceSelf(o.redirect, self)) != origin) {
        // A request for the target itself is answered as usual, so a redirect never loops.
        r = Text(302, "moved\r\n");
        r.location = ReplaceSelf(o.redirect, self);
    } else if (!o.rawFile.empty()) {
        std::ifstream file(o.rawFile, std::ios::binary);
        if (!file)
            return Text(500, "cannot read the raw answer\r\n");
        r.body.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } else if (o.empty) {
        r = Text(200, "");
    } else if (o.blank) {
        r = Text(200, " \r\n\t\r\n ");
    } else if (kind == "fp=3") {
        auto it = catalogue.lines.find(QueryValue(query, "oid", true));
        if (it != catalogue.lines.end())
            for (const std::string& line : it->second)
                r.body += ReplaceSelf(line, self) + "\r\n";
    } else if (kind == "fp=4") {
        auto it =
            catalogue.downloads.find({QueryValue(query, "mt", false), Upper(QueryValue(query, "nv", false))});
        if (it != catalogue.downloads.end())
            r.body = ReplaceSelf(it->second, self) + "\r\n";
    } else if (kind == "fp=5") {
        auto it = catalogue.launches.find(QueryValue(query, "oid", true));
        if (it != catalogue.launches.end())
            r.body = ReplaceSelf(it->second, self) + "\r\n";
    } else if (kind == "files") {
        std::string name = path.substr(7);
        std::ifstream file(filesDir + "/" + name, std::ios::binary);
        if (filesDir.empty() || !SafeFileName(name) || !file)
            return Text(404, "no such file\r\n");
        r.contentType = "application/octet-stream";
        r.body.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } else {
        return Text(400, "unknown query\r\n");
    }
    r.delayMs = o.delayMs;
    r.dripMs = o.dripMs;
    r.resetAfter = o.resetAfter;
    r.stallAfter = o.stallAfter;
    r.stallHeaders = o.stallHeaders;
    r.lengthBent = o.lengthBent;
    r.lengthDelta = o.lengthDelta;
    r.noLength = o.noLength;
    r.chunked = o.chunked;
    r.holdMs = o.holdMs;
    return r;
}

namespace {

const char* Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

char HexDigit(size_t v) {
    return "0123456789ABCDEF"[v & 15];
}

std::string Hex(size_t v) {
    std::string out;
    do {
        out.insert(out.begin(), HexDigit(v));
        v >>= 4;
    } while (v != 0);
    return out;
}

// A whole decimal number with an optional sign; false for anything else.
bool ParseNumber(const std::string& text, long long& value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return end && *end == '\0' && std::isdigit(static_cast<unsigned char>(text.back()));
}

} // namespace

std::string ResponseHead(const Response& r) {
    // Chunked coding is HTTP/1.1's; everything else answers in the client's HTTP/1.0.
    std::string head = std::string(r.chunked ? "HTTP/1.1 " : "HTTP/1.0 ") + std::to_string(r.status) + " " +
                       Reason(r.status) + "\r\nContent-Type: " + r.contentType + "\r\n";
    if (!r.location.empty())
        head += "Location: " + r.location + "\r\n";
    if (r.chunked) {
        head += "Transfer-Encoding: chunked\r\n";
    } else if (!r.noLength) {
        long long announced = static_cast<long long>(r.body.size()) + (r.lengthBent ? r.lengthDelta : 0);
        head += "Content-Length: " + std::to_string(announced < 0 ? 0 : announced) + "\r\n";
    }
    return head + "Connection: close\r\n\r\n";
}

std::string ResponseWire(const Response& r, size_t piece) {
    if (!r.chunked)
        return r.body;
    if (piece == 0)
        piece = r.body.size();
    std::string wire;
    for (size_t at = 0; at < r.body.size(); at += piece) {
        size_t n = std::min(piece, r.body.size() - at);
        wire += Hex(n) + "\r\n" + r.body.substr(at, n) + "\r\n";
    }
    return wire + "0\r\n\r\n";
}

bool ApplySwitch(const std::string& name, const std::string& argument,
                 std::map<std::string, Override>& table) {
    // Q has no ":" of its own; a value (an address, a path) may hold more.
    size_t colon = argument.find(':');
    std::string kind = argument.substr(0, colon);
    std::string value = colon == std::string::npos ? std::string() : argument.substr(colon + 1);
    if (kind != "fp=3" && kind != "fp=4" && kind != "fp=5" && kind != "files")
        return false;
    static const char* const kFlags[] = {"--empty", "--blank", "--stall-headers", "--no-length", "--chunked"};
    bool flag = std::find(std::begin(kFlags), std::end(kFlags), name) != std::end(kFlags);
    if (flag != (colon == std::string::npos))
        return false;
    long long number = 0;
    bool numeric = ParseNumber(value, number) && number >= -(1LL << 40) && number <= (1LL << 40);
    Override& o = table[kind];
    if (name == "--status" && numeric && number >= 100 && number <= 999)
        o.status = static_cast<int>(number);
    else if (name == "--slow" && numeric && number >= 0 && number <= 3600000)
        o.delayMs = static_cast<int>(number);
    else if (name == "--drip" && numeric && number >= 0 && number <= 3600000)
        o.dripMs = static_cast<int>(number);
    else if (name == "--hold" && numeric && number >= 0 && number <= 3600000)
        o.holdMs = static_cast<int>(number);
    else if (name == "--reset" && numeric && number >= 0)
        o.resetAfter = number;
    else if (name == "--stall-body" && numeric && number >= 0)
        o.stallAfter = number;
    else if (name == "--length" && numeric)
        o.lengthBent = true, o.lengthDelta = number;
    else if (name == "--redirect" && !value.empty())
        o.redirect = value;
    else if (name == "--raw-answer" && !value.empty())
        o.rawFile = value;
    else if (name == "--empty")
        o.empty = true;
    else if (name == "--blank")
        o.blank = true;
    else if (name == "--stall-headers")
        o.stallHeaders = true;
    else if (name == "--no-length")
        o.noLength = true;
    else if (name == "--chunked")
        o.chunked = true;
    else
        return false;
    return true;
}

std::string LogLine(const Request& request) {
    std::string body;
    for (char c : request.body) {
        switch (c) {
        case '\r':
            body += "\\r";
            break;
        case '\n':
            body += "\\n";
            break;
        case '\t':
            body += "\\t";
            break;
        case '\\':
            body += "\\\\";
            break;
        default:
            body += c;
        }
    }
    return request.method + "\t" + request.target + "\t" + body + "\t" + request.userAgent + "\n";
}

} // namespace standin
