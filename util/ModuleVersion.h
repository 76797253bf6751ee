// Strings of a program file's version resource.
#pragma once

#include <string>

class CModuleVersion {
public:
    CModuleVersion() = default;
    virtual ~CModuleVersion() = default;

    // ParseVersionNumbers on the running program's own file.
    bool GetModuleVersion(const std::string& key, unsigned char (&numbers)[4]);

    // Reads the version string key of file and fills numbers with the low 8 bits of its
    // comma-separated fields ("1, 0, 0, 2"). True when the string was found, also with fewer than
    // four fields; numbers not found keep their values. False leaves numbers untouched.
    bool ParseVersionNumbers(const std::string& file, const std::string& key, unsigned char (&numbers)[4]);

    // The string key of the one string table of the file's version resource. A resource that lists
    // more than one translation is refused. An empty string is found (true) but leaves out unchanged.
    bool QueryVersionString(const std::string& file, const std::string& key, std::string& out);

    static bool SplitToken(const std::string& text, const std::string& separators, std::string& token,
                           std::string& rest);
};
