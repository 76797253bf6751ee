// Test values under the key the service queries read the installed versions from (HKLM, the
// 32-bit view a 32-bit program sees). Whatever was there before is put back on destruction.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "framework/Handle.h"

class CInstalledVersions {
public:
    static constexpr const char* kKey = "SOFTWARE\\Tavin\\PLMOlb\\KorvenalisClient";

    CInstalledVersions() {
        // Keys of the path that are made here are removed again, deepest first.
        for (const char* path : {"SOFTWARE\\Tavin", "SOFTWARE\\Tavin\\PLMOlb", kKey}) {
            HKEY probe = nullptr;
            if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &probe) == ERROR_SUCCESS)
                ::RegCloseKey(probe);
            else
                m_madeKeys.insert(m_madeKeys.begin(), path);
        }
        HKEY key = nullptr;
        m_ready = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                    nullptr) == ERROR_SUCCESS;
        m_key.Reset(key);
    }

    ~CInstalledVersions() {
        for (const auto& [name, saved] : m_saved) {
            if (saved.present)
                ::RegSetValueExA(m_key.Get(), name.c_str(), 0, saved.type, saved.data.data(),
                                 static_cast<DWORD>(saved.data.size()));
            else
                ::RegDeleteValueA(m_key.Get(), name.c_str());
        }
        m_key.Reset();
        for (const std::string& path : m_madeKeys)
            ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
    }

    bool Ready() const { return m_ready; }

    bool SetText(const std::string& name, const std::string& value) {
        Save(name);
        return ::RegSetValueExA(m_key.Get(), name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    }

    bool Remove(const std::string& name) {
        Save(name);
        LONG rc = ::RegDeleteValueA(m_key.Get(), name.c_str());
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }

private:
    struct Saved {
        bool present = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };

    void Save(const std::string& name) {
        if (m_saved.count(name))
            return;
        Saved s;
        DWORD size = 0;
        if (::RegQueryValueExA(m_key.Get(), name.c_str(), nullptr, &s.type, nullptr, &size) ==
            ERROR_SUCCESS) {
            s.data.resize(size);
            s.present = ::RegQueryValueExA(m_key.Get(), name.c_str(), nullptr, &s.type, s.data.data(),
                                           &size) == ERROR_SUCCESS;
            s.data.resize(size);
        }
        m_saved[name] = s;
    }

    CRegKey m_key;
    std::vector<std::string> m_madeKeys;
    bool m_ready = false;
    std::map<std::string, Saved> m_saved;
};
