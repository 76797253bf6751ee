// Between the program's 8-bit texts (the system's ANSI code page) and the system's wide ones.
#pragma once

#include <string>

std::wstring Widen(const std::string& s);
std::string Narrow(const std::wstring& s);
