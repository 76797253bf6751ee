// Request and response text rules of the HTTP client that need no platform: URL rewriting,
// POST body, request header text, tick arithmetic, header and cookie inspection.
#pragma once

#include <cstdint>
#include <string>

namespace http {

// "%0D%0A" and then "%0d%0a" become "%5Cr%5Cn", so that an encoded line break in a parameter
// can never split the request on the wire. Other spellings stay as they are.
std::string EscapeEncodedLineBreaks(const std::string& url);

// The text after the object's first "?", empty when it has none.
std::string PostBodyFromObject(const std::string& object);

// Request header text as the request is sent with it; an empty cookie adds no Cookie line.
std::string ComposeGetHeaders(bool keepAlive, const std::string& cookie);
std::string ComposePostHeaders(bool keepAlive, const std::string& cookie);

// Milliseconds from start to now on a 32-bit tick counter. A now slightly behind start (less than
// 100, a counter read out of order) counts as 0; a larger step back is taken as a wrap-around.
uint32_t ElapsedTicks(uint32_t now, uint32_t start);

// Whether name occurs anywhere in headerText, ignoring letter case (double-byte characters are
// compared as they are). A plain substring test, not a match of header names.
bool HeaderContains(const std::string& headerText, const std::string& name);

// The cookie of a Set-Cookie value: its text before the first ";".
std::string CookieFromSetCookie(const std::string& value);

} // namespace http
