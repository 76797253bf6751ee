#include "util/ModuleVersion.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "framework/Text.h"
#include "util/ModulePath.h"
#include "util/SplitToken.h"
#include "util/VersionApi.h"
#include "util/VersionNumbers.h"

bool CModuleVersion::GetModuleVersion(const std::string& key, unsigned char (&numbers)[4]) {
    return ParseVersionNumbers(ModuleFilePath(), key, numbers);
}

bool CModuleVersion::ParseVersionNumbers(const std::string& file, const std::string& key,
                                         unsigned char (&numbers)[4]) {
    std::string version;
    if (!QueryVersionString(file, key, version))
        return false;
    ParseVersionFields(version, numbers);
    return true;
}

bool CModuleVersion::QueryVersionString(const std::string& file, const std::string& key, std::string& out) {
    const VersionApi& api = Version();
    if (file.empty() || key.empty() || !api.ok)
        return false;
    DWORD handle = 0;
    DWORD size = api.GetFileVersionInfoSizeA(file.c_str(), &handle);
    if (size == 0)
        return false;

    std::vector<char> block;
    try {
        block.assign(size, '\0');
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!api.GetFileVersionInfoA(file.c_str(), 0, size, block.data()))
        return false;

    void* table = nullptr;
    UINT tableLen = 0;
    // Exactly one language and code page pair: a shorter table cannot be read, a longer one is refused.
    if (!api.VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &table, &tableLen) ||
        table == nullptr || tableLen != 4)
        return false;
    DWORD translation = 0;
    std::memcpy(&translation, table, sizeof translation);

    std::string name =
        text::Format("\\StringFileInfo\\%04x%04x\\%s", static_cast<unsigned>(translation & 0xFFFF),
                     static_cast<unsigned>(translation >> 16), key.c_str());
    void* value = nullptr;
    UINT valueLen = 0;
    if (!api.VerQueryValueA(block.data(), name.c_str(), &value, &valueLen) || value == nullptr)
        return false;

    // valueLen counts characters with the terminator; never read past it or past the block.
    const char* s = static_cast<const char*>(value);
    const char* end = block.data() + block.size();
    size_t limit = valueLen;
    if (s >= block.data() && s < end && static_cast<size_t>(end - s) < limit)
        limit = static_cast<size_t>(end - s);
    size_t len = 0;
    while (len < limit && s[len] != '\0')
        ++len;
    if (len > 0)
        out.assign(s, len);
    return true;
}

bool CModuleVersion::SplitToken(const std::string& text, const std::string& separators, std::string& token,
                                std::string& rest) {
    return ::SplitToken(text, separators, token, rest);
}
