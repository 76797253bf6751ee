#include "service/CatalogueAnswer.h"

#include "framework/Text.h"
#include "service/DottedVersion.h"
#include "service/InstallerCatalogue.h"
#include "util/TextTokenizer.h"

namespace service {

std::vector<std::string> CatalogueLines(const std::string& normalisedAnswer) {
    std::vector<std::string> lines;
    CTextTokenizer tokenizer;
    tokenizer.SetText(normalisedAnswer);
    std::string token;
    for (int i = 0; i < kMaxCatalogueTokens && tokenizer.NextToken(token, "\n"); ++i) {
        std::string line = text::TrimBoth(token);
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

std::string CustomValueName(uint32_t version) {
    return text::Format("Custom_%03d.%03d", static_cast<int>(version >> 24),
                        static_cast<int>((version >> 16) & 0xFFu));
}

namespace {

bool IsInstalledAtLeast(const InstalledVersionLookup& installed, const std::string& valueName,
                        uint32_t version) {
    std::string recorded = installed ? installed(valueName) : std::string();
    return !recorded.empty() && ParseDottedVersion(recorded) >= version;
}

} // namespace

void AppendCatalogueEntries(const std::string& normalisedAnswer, int force,
                            const InstalledVersionLookup& installed, std::vector<uint16_t>& kinds,
                            std::vector<uint32_t>& versions) {
    for (const std::string& line : CatalogueLines(normalisedAnswer)) {
        uint16_t kind;
        uint32_t version;
        std::string valueName;
        if (text::CountChar(line, '.') == 3) {
            kind = Client;
            version = ParseDottedVersion(line);
            valueName = "Version";
        } else if (text::CountChar(line, ',') == 1) {
            size_t comma = text::Find(line, ",");
            if (comma == 0 || comma + 1 == line.size())
                continue;
            uint32_t number = static_cast<uint32_t>(text::AtoI(line.substr(0, comma)));
            uint32_t revision = static_cast<uint32_t>(text::AtoI(line.substr(comma + 1)));
            kind = Custom;
            version = (number << 16) + revision;
            valueName = CustomValueName(version);
        } else {
            continue;
        }
        if (!force && IsInstalledAtLeast(installed, valueName, version))
            continue;
        if (version != 0) {
            kinds.push_back(kind);
            versions.push_back(version);
        }
    }
}

} // namespace service
