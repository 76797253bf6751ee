// The check that rejects organisation IDs typed with full-width characters. Platform-free.
#pragma once

#include <string>

#include "framework/Mbcs.h"

// True when text holds any lead byte of a double-byte character of the given code page. Half-width
// katakana (single bytes in code page 932) do not count; a single-byte code page never matches.
bool ContainsFullWidthChars(const std::string& text, const CLeadByteTable& t = ActiveLeadBytes());
