#include "util/SplitToken.h"

namespace {

bool IsSeparatorAt(const std::string& text, size_t pos, size_t len, const std::string& separators,
                   const CLeadByteTable& t) {
    for (size_t i = 0; i < separators.size();) {
        size_t sepLen = CharLenAt(separators, i, t);
        if (sepLen == len && separators.compare(i, sepLen, text, pos, len) == 0)
            return true;
        i += sepLen;
    }
    return false;
}

} // namespace

size_t SpanExcluding(const std::string& text, size_t start, const std::string& separators,
                     const CLeadByteTable& t) {
    size_t pos = start;
    while (pos < text.size()) {
        size_t len = CharLenAt(text, pos, t);
        if (IsSeparatorAt(text, pos, len, separators, t))
            break;
        pos += len;
    }
    return pos - start;
}

bool SplitToken(const std::string& text, const std::string& separators, std::string& token, std::string& rest,
                const CLeadByteTable& t) {
    if (text.empty()) {
        token.clear();
        return false;
    }
    size_t head = SpanExcluding(text, 0, separators, t);
    // The character at head (if any) is the separator that ended the run; it is dropped with it.
    size_t next = head < text.size() ? head + CharLenAt(text, head, t) : head;
    std::string newToken = text.substr(0, head);
    std::string newRest = text.substr(next);
    token = std::move(newToken);
    rest = std::move(newRest);
    return true;
}
