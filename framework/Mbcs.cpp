#include "framework/Mbcs.h"

#include <optional>

CLeadByteTable CLeadByteTable::FromRanges(const unsigned char* ranges, size_t count) {
    CLeadByteTable t;
    for (size_t i = 0; i + 1 < count; i += 2) {
        if (ranges[i] == 0 && ranges[i + 1] == 0)
            break;
        for (unsigned c = ranges[i]; c <= ranges[i + 1]; ++c)
            t.m_lead[c] = true;
    }
    return t;
}

CLeadByteTable CLeadByteTable::Cp932() {
    static const unsigned char ranges[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
    return FromRanges(ranges, sizeof ranges);
}

// Defined once per build: natively code page 932, on Windows the system's ANSI code page.
CLeadByteTable DefaultLeadBytes();

namespace {
std::optional<CLeadByteTable>& Override() {
    static std::optional<CLeadByteTable> table;
    return table;
}
} // namespace

const CLeadByteTable& ActiveLeadBytes() {
    static const CLeadByteTable system = DefaultLeadBytes();
    const auto& o = Override();
    return o ? *o : system;
}

void SetActiveLeadBytes(const CLeadByteTable& table) {
    Override() = table;
}

std::string ReverseChars(const std::string& s, const CLeadByteTable& t) {
    std::string out(s.size(), '\0');
    size_t end = s.size();
    for (size_t pos = 0; pos < s.size();) {
        size_t len = CharLenAt(s, pos, t);
        end -= len;
        out.replace(end, len, s, pos, len);
        pos += len;
    }
    return out;
}
