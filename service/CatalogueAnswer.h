// How the catalogue answer becomes installer entries: one line per offered installer, dropped when
// the installed version is already as new.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace service {

// The installed version text recorded under a value name ("Version", "Custom_001.002"); empty
// when nothing is recorded or the value can't be read.
using InstalledVersionLookup = std::function<std::string(const std::string& valueName)>;

// At most this many tokens of the answer are looked at; empty ones count too.
constexpr int kMaxCatalogueTokens = 50;

// The non-empty, trimmed lines among the first 50 "\n"-separated tokens of a normalised answer.
std::vector<std::string> CatalogueLines(const std::string& normalisedAnswer);

// The registry value that records the installed version of a custom package: "Custom_%03d.%03d"
// from bits 31-24 and 23-16 of its packed version.
std::string CustomValueName(uint32_t version);

// Appends one entry (kind and packed version) per line that names a needed installer:
// - exactly three dots: the client, at ParseDottedVersion of the line;
// - otherwise exactly one comma with text on both sides: a custom package, (number << 16) +
//   revision with both read like atoi (a comma at either end gives no entry);
// - anything else, and a version of 0, gives no entry.
// Unless force is non-zero, an entry whose installed version (from installed) is at least as high
// is skipped; installed is then not called at all.
void AppendCatalogueEntries(const std::string& normalisedAnswer, int force,
                            const InstalledVersionLookup& installed, std::vector<uint16_t>& kinds,
                            std::vector<uint32_t>& versions);

} // namespace service
