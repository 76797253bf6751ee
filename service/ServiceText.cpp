#include "service/ServiceText.h"

#include "framework/Text.h"

namespace service {

const char* const kUserAgent = "korvenalis-installapp [pc]";

std::string CatalogueQueryUrl(const std::string& serviceUrl, const std::string& orgId) {
    return text::Format("%s?fp=3&oid=%s", serviceUrl.c_str(), orgId.c_str());
}

std::string DownloadQueryUrl(const std::string& serviceUrl, uint16_t kind, uint32_t version) {
    return text::Format("%s?fp=4&mt=%d&nv=%08X", serviceUrl.c_str(), DownloadQueryType(kind),
                        static_cast<unsigned>(version));
}

std::string LaunchQueryUrl(const std::string& serviceUrl, const std::string& orgId) {
    return text::Format("%s?fp=5&oid=%s", serviceUrl.c_str(), orgId.c_str());
}

int DownloadQueryType(uint16_t kind) {
    return kind == 0 ? 1 : 2;
}

std::string NormaliseAnswer(const std::string& response) {
    std::string s = response;
    text::ReplaceAll(s, "\r\n\r\n", "\r\n");
    return text::TrimBoth(s);
}

std::string FailureDetail(uint32_t statusCode, const std::string& transportError) {
    const bool statusSays = statusCode != 0 && !(statusCode == 200 && !transportError.empty());
    std::string detail =
        statusSays ? text::Format("http status %d", static_cast<int>(statusCode)) : transportError;
    text::ReplaceAll(detail, "\r\n", "");
    text::ReplaceAll(detail, "\n", "");
    return detail;
}

std::string FillMessage(const std::string& messageTemplate, const std::string& detail) {
    std::string s = messageTemplate;
    size_t pos = text::Find(s, "%s");
    if (pos != std::string::npos)
        s.replace(pos, 2, detail);
    return s;
}

} // namespace service
