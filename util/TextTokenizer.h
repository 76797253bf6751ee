// Hands out the fields of a text one by one, split at delimiter characters. Platform-free.
#pragma once

#include <string>

#include "framework/Mbcs.h"

class CTextTokenizer {
public:
    explicit CTextTokenizer(const CLeadByteTable& leadBytes = ActiveLeadBytes()) : m_leadBytes(leadBytes) {}
    virtual ~CTextTokenizer() = default;

    void SetText(const std::string& text) { m_strRest = text; }

    // The next field before one of the delimiters (each character of delimiters is one). A text
    // that starts with a delimiter gives an empty field; a trailing delimiter gives none after it.
    // false with an empty token once the text is used up.
    bool NextToken(std::string& token, const std::string& delimiters);

private:
    std::string m_strRest;
    CLeadByteTable m_leadBytes;
};
