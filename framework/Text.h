// String helpers over std::string holding ANSI code page text. Searches only match at character
// boundaries and nothing ever splits a double-byte character.
#pragma once

#include <cstdarg>
#include <string>

#include "framework/Mbcs.h"

namespace text {

// printf-style formatting into a new string.
std::string Format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
std::string FormatV(const char* fmt, va_list args);

// Byte offset of the first occurrence of needle at or after start that begins on a character
// boundary; npos when there is none. An empty needle is never found.
size_t Find(const std::string& hay, const std::string& needle, size_t start = 0);

bool Contains(const std::string& hay, const std::string& needle);

// Replaces every occurrence, left to right, without overlaps; returns the number replaced.
size_t ReplaceAll(std::string& s, const std::string& from, const std::string& to);

// Removes single-byte white space (space, \t, \r, \n, \v, \f) at both ends. A trail byte is
// never white space in the code pages we run under, so no double-byte character is touched.
std::string TrimBoth(const std::string& s);
bool IsSpaceByte(char c);

// Lower-cases the single-byte letters A-Z; double-byte characters are left as they are.
std::string ToLower(const std::string& s);

// The first count bytes, one less when that would cut a double-byte character in half.
std::string Left(const std::string& s, size_t count);

// Number of occurrences of a single-byte character, counting only whole characters.
size_t CountChar(const std::string& s, char c);

// Value of a decimal number read the way C's atoi and atol read it (leading white space, optional
// sign, digits up to the first other character; no digits give 0), without their overflow UB:
// the value wraps around 32 bits, as the classic runtime's accumulation does.
int AtoI(const std::string& s);

} // namespace text
