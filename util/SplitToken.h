// Splitting a text at the first of a set of separator characters. Platform-free.
#pragma once

#include <string>

#include "framework/Mbcs.h"

// Length in bytes of the leading run of text (from start) that holds none of the characters of
// separators. Double-byte characters are compared whole, so a trail byte never matches alone.
size_t SpanExcluding(const std::string& text, size_t start, const std::string& separators,
                     const CLeadByteTable& t = ActiveLeadBytes());

// token = the leading run of text without separators; rest = what follows it and the one separator
// after it (empty when none follows). A text that begins with a separator gives an empty token and
// the text without that separator. Empty text: token emptied, rest untouched, false.
// text and rest may be the same string.
bool SplitToken(const std::string& text, const std::string& separators, std::string& token, std::string& rest,
                const CLeadByteTable& t = ActiveLeadBytes());
