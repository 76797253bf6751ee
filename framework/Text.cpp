#include "framework/Text.h"

#include <cstdio>
#include <cstdint>
#include <vector>

namespace text {

std::string FormatV(const char* fmt, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n <= 0)
        return std::string();
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), fmt, args);
    return std::string(buf.data(), static_cast<size_t>(n));
}

std::string Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string s = FormatV(fmt, args);
    va_end(args);
    return s;
}

size_t Find(const std::string& hay, const std::string& needle, size_t start) {
    if (needle.empty() || needle.size() > hay.size())
        return std::string::npos;
    for (size_t pos = 0; pos + needle.size() <= hay.size(); pos += CharLenAt(hay, pos)) {
        if (pos >= start && hay.compare(pos, needle.size(), needle) == 0)
            return pos;
    }
    return std::string::npos;
}

bool Contains(const std::string& hay, const std::string& needle) {
    return Find(hay, needle) != std::string::npos;
}

size_t ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
    if (from.empty())
        return 0;
    // One forward walk, character by character: a service answer of many thousand line breaks
    // must not cost a scan from the start for every match.
    std::string out;
    size_t count = 0, pos = 0;
    while (pos + from.size() <= s.size()) {
        if (s.compare(pos, from.size(), from) == 0) {
            out += to;
            pos += from.size();
            ++count;
            continue;
        }
        size_t len = CharLenAt(s, pos);
        out.append(s, pos, len);
        pos += len;
    }
    if (count) {
        out.append(s, pos, std::string::npos);
        s.swap(out);
    }
    return count;
}

bool IsSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string TrimBoth(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsSpaceByte(s[b]))
        ++b;
    while (e > b && IsSpaceByte(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string ToLower(const std::string& s) {
    std::string out = s;
    for (size_t pos = 0; pos < out.size();) {
        size_t len = CharLenAt(out, pos);
        if (len == 1 && out[pos] >= 'A' && out[pos] <= 'Z')
            out[pos] = static_cast<char>(out[pos] - 'A' + 'a');
        pos += len;
    }
    return out;
}

std::string Left(const std::string& s, size_t count) {
    if (count >= s.size())
        return s;
    size_t pos = 0;
    while (pos < count) {
        size_t len = CharLenAt(s, pos);
        if (pos + len > count)
            break;
        pos += len;
    }
    return s.substr(0, pos);
}

size_t CountChar(const std::string& s, char c) {
    size_t n = 0;
    for (size_t pos = 0; pos < s.size(); pos += CharLenAt(s, pos))
        if (s[pos] == c && CharLenAt(s, pos) == 1)
            ++n;
    return n;
}

int AtoI(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && (IsSpaceByte(s[i])))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    uint32_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(s[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

} // namespace text
