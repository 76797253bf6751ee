// Reading a version string such as "1, 0, 0, 2" into four byte-sized numbers. Platform-free.
#pragma once

#include <string>

// Fills numbers[i] with the low 8 bits of the i-th comma-separated field read as atol reads it.
// Stops at the end of the text; numbers beyond the fields found keep their values. Returns the
// count of numbers set.
int ParseVersionFields(const std::string& version, unsigned char (&numbers)[4]);
