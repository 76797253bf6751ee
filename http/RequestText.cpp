#include "http/RequestText.h"

#include "framework/Text.h"

namespace http {

std::string EscapeEncodedLineBreaks(const std::string& url) {
    std::string s = url;
    text::ReplaceAll(s, "%0D%0A", "%5Cr%5Cn");
    text::ReplaceAll(s, "%0d%0a", "%5Cr%5Cn");
    return s;
}

std::string PostBodyFromObject(const std::string& object) {
    size_t q = text::Find(object, "?");
    return q == std::string::npos ? std::string() : object.substr(q + 1);
}

static void AppendCookie(std::string& headers, const std::string& cookie) {
    if (!cookie.empty())
        headers += "Cookie: " + cookie + "\r\n";
}

std::string ComposeGetHeaders(bool keepAlive, const std::string& cookie) {
    std::string headers;
    if (!keepAlive)
        headers = "Connection: close\r\n";
    AppendCookie(headers, cookie);
    return headers;
}

std::string ComposePostHeaders(bool keepAlive, const std::string& cookie) {
    std::string headers = "Pragma: no-cache\r\nContent-Type: application/x-www-form-urlencoded\r\n";
    if (!keepAlive)
        headers += "Connection: close\r\n";
    AppendCookie(headers, cookie);
    return headers;
}

uint32_t ElapsedTicks(uint32_t now, uint32_t start) {
    if (now >= start)
        return now - start;
    if (start - now < 100)
        return 0;
    return (UINT32_MAX - start) + now;
}

bool HeaderContains(const std::string& headerText, const std::string& name) {
    return text::Contains(text::ToLower(headerText), text::ToLower(name));
}

std::string CookieFromSetCookie(const std::string& value) {
    size_t semi = text::Find(value, ";");
    return semi == std::string::npos ? value : value.substr(0, semi);
}

} // namespace http
