#include "util/TextTokenizer.h"

#include "util/SplitToken.h"

bool CTextTokenizer::NextToken(std::string& token, const std::string& delimiters) {
    token.clear();
    return SplitToken(m_strRest, delimiters, token, m_strRest, m_leadBytes);
}
