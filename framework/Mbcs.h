// Double-byte character set awareness for 8-bit strings in the ANSI code page.
// Everything that walks a Shift-JIS string byte by byte asks this table whether a byte opens a
// two-byte character, so that a trail byte (which may be '\\' or a letter) is never taken alone.
#pragma once

#include <array>
#include <string>

class CLeadByteTable {
public:
    CLeadByteTable() { m_lead.fill(false); }

    // ranges: pairs of inclusive bounds, as GetCPInfo reports them; ends at a 0,0 pair or at count.
    static CLeadByteTable FromRanges(const unsigned char* ranges, size_t count);
    static CLeadByteTable Cp932();
    static CLeadByteTable SingleByte() { return CLeadByteTable(); }

    bool IsLead(unsigned char c) const { return m_lead[c]; }
    bool IsLead(char c) const { return m_lead[static_cast<unsigned char>(c)]; }

private:
    std::array<bool, 256> m_lead;
};

// The table of the process's ANSI code page. Natively this is code page 932 (the code page the
// program is written for); on Windows it is read from the system once, at first use.
const CLeadByteTable& ActiveLeadBytes();

// Tests switch code pages with this; the program never calls it.
void SetActiveLeadBytes(const CLeadByteTable& table);

// Byte length of the character at s[pos]: 2 for a lead byte with a trail byte behind it, else 1.
inline size_t CharLenAt(const std::string& s, size_t pos, const CLeadByteTable& t = ActiveLeadBytes()) {
    return (t.IsLead(s[pos]) && pos + 1 < s.size()) ? 2 : 1;
}

// Reverses the characters of s, keeping the two bytes of every double-byte character in order.
std::string ReverseChars(const std::string& s, const CLeadByteTable& t = ActiveLeadBytes());
