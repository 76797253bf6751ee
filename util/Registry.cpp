#include "util/Registry.h"

#include <cstring>

#include "framework/Handle.h"

namespace {
constexpr size_t kMaxName = 255;
constexpr DWORD kDataSize = 256;
} // namespace

bool ReadRegistryString(HKEY root, const std::string& subkey, const std::string& valueName,
                        std::string& out) {
    // A name cut to fit would read some other key or value.
    if (std::strlen(subkey.c_str()) > kMaxName || std::strlen(valueName.c_str()) > kMaxName)
        return false;

    HKEY opened = nullptr;
    if (::RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    CRegKey key(opened);

    char data[kDataSize] = {};
    DWORD size = kDataSize;
    if (::RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                           &size) != ERROR_SUCCESS)
        return false;

    size_t len = 0;
    size_t limit = size < kDataSize ? size : kDataSize;
    while (len < limit && data[len] != '\0')
        ++len;
    out.assign(data, len);
    return true;
}
