// The catalogue answer as it arrives: emptiness test, normalisation, at most 50 tokens, and the
// entries kept against installed versions that the input itself chooses.
//
// Input: one flag byte (bit 0: force), then "name=value" lines of installed versions up to the
// first zero byte, then the raw answer body.
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "service/CatalogueAnswer.h"
#include "service/ServiceText.h"

namespace {

// Reference of the dotted-version rule: exactly three dots, each part's atoi cut to 8 bits.
uint32_t ReferenceDotted(const std::string& s) {
    std::vector<std::string> parts(1);
    for (size_t pos = 0; pos < s.size();) {
        size_t len = fuzz::Cp932CharLen(s, pos);
        if (len == 1 && s[pos] == '.')
            parts.emplace_back();
        else
            parts.back().append(s, pos, len);
        pos += len;
    }
    if (parts.size() != 4)
        return 0;
    uint32_t v = 0;
    for (const std::string& p : parts)
        v = (v << 8) | (fuzz::ReferenceAtoi(p) & 0xFFu);
    return v;
}

size_t CountAtBoundaries(const std::string& s, char c) {
    size_t n = 0;
    for (size_t pos = 0; pos < s.size(); pos += fuzz::Cp932CharLen(s, pos))
        n += fuzz::Cp932CharLen(s, pos) == 1 && s[pos] == c;
    return n;
}

struct Entry {
    uint16_t kind;
    uint32_t version;
    std::string valueName;
};

// What each line announces, before the installed versions are consulted.
std::vector<Entry> ReferenceOffers(const std::vector<std::string>& lines) {
    std::vector<Entry> offers;
    for (const std::string& line : lines) {
        if (CountAtBoundaries(line, '.') == 3) {
            offers.push_back({0, ReferenceDotted(line), "Version"});
        } else if (CountAtBoundaries(line, ',') == 1) {
            size_t comma = 0;
            while (line[comma] != ',' || fuzz::Cp932CharLen(line, comma) != 1)
                comma += fuzz::Cp932CharLen(line, comma);
            if (comma == 0 || comma + 1 == line.size())
                continue; // a missing number gives no entry
            uint32_t v = (fuzz::ReferenceAtoi(line.substr(0, comma)) << 16) +
                         fuzz::ReferenceAtoi(line.substr(comma + 1));
            char name[32];
            std::snprintf(name, sizeof name, "Custom_%03u.%03u", v >> 24, (v >> 16) & 0xFFu);
            offers.push_back({1, v, name});
        }
    }
    return offers;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const int force = in.Byte() & 1;
    std::map<std::string, std::string> installed;
    {
        std::string values = in.Until('\0');
        size_t start = 0;
        while (start <= values.size()) {
            size_t end = values.find('\n', start);
            if (end == std::string::npos)
                end = values.size();
            std::string line = values.substr(start, end - start);
            size_t eq = line.find('=');
            if (eq != std::string::npos)
                installed[line.substr(0, eq)] = line.substr(eq + 1);
            start = end + 1;
        }
    }
    const std::string response = in.Rest();
    if (response.empty())
        return 0; // message 106, before any line is looked at

    const std::string answer = service::NormaliseAnswer(response);
    const std::vector<std::string> lines = service::CatalogueLines(answer);
    FUZZ_CHECK(lines.size() <= 50);
    for (const std::string& line : lines) {
        FUZZ_CHECK(!line.empty());
        FUZZ_CHECK(!fuzz::IsBlank(line.front()) && !fuzz::IsBlank(line.back()));
        FUZZ_CHECK(!fuzz::Cp932Contains(line, "\n"));
    }

    // The lists may already hold entries; they are only appended to.
    std::vector<uint16_t> kinds{1};
    std::vector<uint32_t> versions{0xDEADBEEFu};
    int lookups = 0;
    std::vector<std::string> asked;
    service::InstalledVersionLookup lookup = [&](const std::string& name) {
        ++lookups;
        asked.push_back(name);
        auto it = installed.find(name);
        return it == installed.end() ? std::string() : it->second;
    };
    service::AppendCatalogueEntries(answer, force, lookup, kinds, versions);

    FUZZ_CHECK(kinds.size() == versions.size());
    FUZZ_CHECK(kinds[0] == 1 && versions[0] == 0xDEADBEEFu);
    FUZZ_CHECK(lookups <= 50);
    FUZZ_CHECK(!force || lookups == 0);
    FUZZ_CHECK(kinds.size() - 1 <= lines.size());
    for (size_t i = 1; i < kinds.size(); ++i) {
        FUZZ_CHECK(versions[i] != 0);
        FUZZ_CHECK(kinds[i] == 0 || kinds[i] == 1);
    }

    // The same answer against the reference rules.
    std::vector<Entry> offers = ReferenceOffers(lines);
    std::vector<std::string> expectedAsked;
    std::vector<Entry> expected;
    for (const Entry& e : offers) {
        if (!force) {
            expectedAsked.push_back(e.valueName);
            auto it = installed.find(e.valueName);
            if (it != installed.end() && !it->second.empty() && ReferenceDotted(it->second) >= e.version)
                continue;
        }
        if (e.version != 0)
            expected.push_back(e);
    }
    FUZZ_CHECK(asked == expectedAsked);
    FUZZ_CHECK(kinds.size() == expected.size() + 1);
    for (size_t i = 0; i < expected.size(); ++i) {
        FUZZ_CHECK(kinds[i + 1] == expected[i].kind);
        FUZZ_CHECK(versions[i + 1] == expected[i].version);
    }
    return 0;
}
