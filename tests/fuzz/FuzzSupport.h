// Shared pieces of the fuzz targets: a property check that aborts (so libFuzzer and the replay
// driver both report it with the input), a reader over the fuzzer's bytes, and reference walks
// over double-byte text that do not go through the code under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/Mbcs.h"

#define FUZZ_CHECK(cond)                                                                                     \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__, #cond);               \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

namespace fuzz {

// Consumes the input from the front; past the end every read gives zeros or empty text.
class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_pos >= m_size; }
    size_t Left() const { return m_size - m_pos; }

    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint16_t U16() {
        uint16_t v = Byte();
        return static_cast<uint16_t>(v | (Byte() << 8));
    }
    uint32_t U32() {
        uint32_t v = U16();
        return v | (static_cast<uint32_t>(U16()) << 16);
    }
    std::string Bytes(size_t n) {
        n = n < Left() ? n : Left();
        std::string s(reinterpret_cast<const char*>(m_data + m_pos), n);
        m_pos += n;
        return s;
    }
    // Text up to (not including) the next stop byte, which is consumed; the rest when none follows.
    std::string Until(char stop) {
        size_t start = m_pos;
        while (m_pos < m_size && m_data[m_pos] != static_cast<uint8_t>(stop))
            ++m_pos;
        std::string s(reinterpret_cast<const char*>(m_data + start), m_pos - start);
        if (m_pos < m_size)
            ++m_pos;
        return s;
    }
    std::string Rest() { return Bytes(Left()); }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// The lead-byte table an input runs under: code page 932 (the program's), a single-byte code
// page, or ranges taken from the input (in the upper half, where every double-byte code page
// has its lead bytes).
inline CLeadByteTable TableFrom(uint8_t choice, Input& in) {
    switch (choice % 4) {
    case 1:
        return CLeadByteTable::SingleByte();
    case 2: {
        unsigned char ranges[4];
        for (unsigned char& r : ranges)
            r = static_cast<unsigned char>(in.Byte() | 0x80);
        return CLeadByteTable::FromRanges(ranges, sizeof ranges);
    }
    default:
        return CLeadByteTable::Cp932();
    }
}

// Lead bytes of code page 932 as the code page defines them, independent of CLeadByteTable.
inline bool IsCp932Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Byte length of the character at pos: a lead byte takes the next byte with it, when there is one.
inline size_t CharLen(const std::string& s, size_t pos, const CLeadByteTable& t) {
    return t.IsLead(s[pos]) && pos + 1 < s.size() ? 2 : 1;
}
inline size_t Cp932CharLen(const std::string& s, size_t pos) {
    return IsCp932Lead(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size() ? 2 : 1;
}

// Whether needle starts at a character boundary of hay (code page 932).
inline bool Cp932Contains(const std::string& hay, const std::string& needle) {
    if (needle.empty())
        return false;
    for (size_t pos = 0; pos < hay.size(); pos += Cp932CharLen(hay, pos)) {
        if (hay.compare(pos, needle.size(), needle) == 0)
            return true;
    }
    return false;
}

// One left-to-right pass of replacements at character boundaries (code page 932).
inline std::string Cp932ReplaceAll(const std::string& s, const std::string& from, const std::string& to) {
    std::string out;
    for (size_t pos = 0; pos < s.size();) {
        if (s.compare(pos, from.size(), from) == 0) {
            out += to;
            pos += from.size();
        } else {
            size_t len = Cp932CharLen(s, pos);
            out.append(s, pos, len);
            pos += len;
        }
    }
    return out;
}

// C atoi on the low 32 bits: white space, a sign, digits; other characters end the number.
inline uint32_t ReferenceAtoi(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    uint32_t v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        v = v * 10u + static_cast<uint32_t>(s[i++] - '0');
    return negative ? 0u - v : v;
}

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace fuzz
