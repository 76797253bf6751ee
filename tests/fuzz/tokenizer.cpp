// The tokenizer and the token split over any text and delimiter set, under any code page: every
// field comes out whole, nothing is lost or invented, and the split always ends.
//
// Input: a byte choosing the code page, a byte choosing the delimiters ("\n", "/", "," or the
// next one to three bytes), then the text.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "util/SplitToken.h"
#include "util/TextTokenizer.h"

namespace {

// Whether the character at pos (of length len) is one of the delimiter characters.
bool IsDelimiter(const std::string& s, size_t pos, size_t len, const std::string& delimiters,
                 const CLeadByteTable& t) {
    for (size_t i = 0; i < delimiters.size(); i += fuzz::CharLen(delimiters, i, t)) {
        size_t dlen = fuzz::CharLen(delimiters, i, t);
        if (dlen == len && delimiters.compare(i, dlen, s, pos, len) == 0)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const CLeadByteTable table = fuzz::TableFrom(in.Byte(), in);
    const uint8_t delimiterChoice = in.Byte();
    std::string delimiters;
    switch (delimiterChoice % 4) {
    case 0:
        delimiters = "\n";
        break;
    case 1:
        delimiters = "/";
        break;
    case 2:
        delimiters = ",";
        break;
    default:
        delimiters = in.Bytes(1 + (delimiterChoice >> 2) % 3);
        break;
    }
    const std::string text = in.Rest();

    CTextTokenizer tokenizer(table);
    tokenizer.SetText(text);
    std::string token = "stale";
    std::string rebuilt;
    size_t pos = 0; // where the remaining text starts in text
    size_t calls = 0;
    while (tokenizer.NextToken(token, delimiters)) {
        // Each call uses up at least one byte, so the split ends.
        FUZZ_CHECK(++calls <= text.size());
        FUZZ_CHECK(text.compare(pos, token.size(), token) == 0);
        // No delimiter inside a field, and a field never ends in half a character.
        for (size_t i = pos; i < pos + token.size(); i += fuzz::CharLen(text, i, table)) {
            size_t len = fuzz::CharLen(text, i, table);
            FUZZ_CHECK(i + len <= pos + token.size());
            FUZZ_CHECK(!IsDelimiter(text, i, len, delimiters, table));
        }
        pos += token.size();
        rebuilt += token;
        if (pos < text.size()) {
            // The field ended at a delimiter, which is dropped with it.
            size_t len = fuzz::CharLen(text, pos, table);
            FUZZ_CHECK(IsDelimiter(text, pos, len, delimiters, table));
            rebuilt.append(text, pos, len);
            pos += len;
        }
    }
    FUZZ_CHECK(token.empty());
    FUZZ_CHECK(pos == text.size() && rebuilt == text);

    // One split, into separate strings and onto itself, gives the same.
    std::string head = "stale", rest = "untouched";
    const bool split = SplitToken(text, delimiters, head, rest, table);
    std::string same = text, sameHead;
    const bool splitSelf = SplitToken(same, delimiters, sameHead, same, table);
    FUZZ_CHECK(split == !text.empty() && splitSelf == split);
    if (!split) {
        FUZZ_CHECK(head.empty() && rest == "untouched");
    } else {
        FUZZ_CHECK(sameHead == head && same == rest);
        FUZZ_CHECK(head.size() + rest.size() < text.size() || (head == text && rest.empty()));
        FUZZ_CHECK(text.compare(0, head.size(), head) == 0);
        FUZZ_CHECK(text.compare(text.size() - rest.size(), rest.size(), rest) == 0);
        FUZZ_CHECK(head.size() == SpanExcluding(text, 0, delimiters, table));
    }
    return 0;
}
