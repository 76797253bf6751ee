// What one install attempt needs, as five parallel lists: entry i of each describes the same
// installer, in the order the service named them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum CatalogueEntryKind : uint16_t { Client = 0, Custom = 1 };

struct InstallerCatalogue {
    std::vector<uint16_t> kinds;    // CatalogueEntryKind
    std::vector<uint32_t> versions; // packed a<<24 | b<<16 | c<<8 | d
    std::vector<std::string> downloadUrls;
    std::vector<std::string> launchParameters;
    std::vector<std::string> installerFiles; // full local paths

    void Clear() {
        // swap with empties so the storage is released too
        std::vector<uint16_t>().swap(kinds);
        std::vector<uint32_t>().swap(versions);
        std::vector<std::string>().swap(downloadUrls);
        std::vector<std::string>().swap(launchParameters);
        std::vector<std::string>().swap(installerFiles);
    }
};
