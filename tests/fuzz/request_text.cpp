// Header containment and cookie extraction over any header block a server sends, and the
// request rewriting applied to download addresses that the service names.
//
// Input: a header block up to the first zero byte, then the name looked for. The header block
// also serves as the Set-Cookie value and as a URL (a download address from the service).
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "http/RequestText.h"

namespace {

// Lower-cases A-Z at character boundaries of code page 932.
std::string Lower(const std::string& s) {
    std::string out = s;
    for (size_t pos = 0; pos < out.size(); pos += fuzz::Cp932CharLen(out, pos)) {
        if (fuzz::Cp932CharLen(out, pos) == 1 && out[pos] >= 'A' && out[pos] <= 'Z')
            out[pos] = static_cast<char>(out[pos] - 'A' + 'a');
    }
    return out;
}

// Upper-cases a-z at character boundaries: must not change what HeaderContains finds.
std::string Upper(const std::string& s) {
    std::string out = s;
    for (size_t pos = 0; pos < out.size(); pos += fuzz::Cp932CharLen(out, pos)) {
        if (fuzz::Cp932CharLen(out, pos) == 1 && out[pos] >= 'a' && out[pos] <= 'z')
            out[pos] = static_cast<char>(out[pos] - 'a' + 'A');
    }
    return out;
}

size_t FirstAtBoundary(const std::string& s, char c) {
    for (size_t pos = 0; pos < s.size(); pos += fuzz::Cp932CharLen(s, pos)) {
        if (fuzz::Cp932CharLen(s, pos) == 1 && s[pos] == c)
            return pos;
    }
    return std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const std::string headers = in.Until('\0');
    const std::string name = in.Rest();

    // Containment ignores letter case and is a plain search anywhere in the block.
    const bool found = http::HeaderContains(headers, name);
    FUZZ_CHECK(found == fuzz::Cp932Contains(Lower(headers), Lower(name)));
    FUZZ_CHECK(http::HeaderContains(Upper(headers), name) == found);
    FUZZ_CHECK(http::HeaderContains(headers, Upper(name)) == found);
    FUZZ_CHECK(!http::HeaderContains(headers, ""));
    if (!name.empty())
        FUZZ_CHECK(http::HeaderContains("X-Note: " + name + "\r\n" + headers, name));
    // The names the client asks about, in any block.
    const bool length = http::HeaderContains(headers, "Content-Length:");
    FUZZ_CHECK(length == fuzz::Cp932Contains(Lower(headers), "content-length:"));

    // The cookie is the value before its first ";", attributes dropped.
    const std::string cookie = http::CookieFromSetCookie(headers);
    const size_t semi = FirstAtBoundary(headers, ';');
    FUZZ_CHECK(cookie == (semi == std::string::npos ? headers : headers.substr(0, semi)));
    FUZZ_CHECK(FirstAtBoundary(cookie, ';') == std::string::npos);

    // Encoded line breaks never survive in the URL, and nothing else changes.
    const std::string url = http::EscapeEncodedLineBreaks(headers);
    FUZZ_CHECK(!fuzz::Cp932Contains(url, "%0D%0A") && !fuzz::Cp932Contains(url, "%0d%0a"));
    FUZZ_CHECK(url == fuzz::Cp932ReplaceAll(fuzz::Cp932ReplaceAll(headers, "%0D%0A", "%5Cr%5Cn"), "%0d%0a",
                                            "%5Cr%5Cn"));
    const std::string body = http::PostBodyFromObject(url);
    const size_t q = FirstAtBoundary(url, '?');
    FUZZ_CHECK(body == (q == std::string::npos ? std::string() : url.substr(q + 1)));
    return 0;
}
