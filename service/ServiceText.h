// Text rules shared by the three install service queries: how a query is addressed, how its
// answer is cleaned up and how a failed request is described in a message.
#pragma once

#include <cstdint>
#include <string>

namespace service {

// Sent as the user agent of every query; the service may tell our requests apart by it.
extern const char* const kUserAgent;

// The query URLs. Values are inserted as they are: the service expects them unescaped.
std::string CatalogueQueryUrl(const std::string& serviceUrl, const std::string& orgId);
std::string DownloadQueryUrl(const std::string& serviceUrl, uint16_t kind, uint32_t version);
std::string LaunchQueryUrl(const std::string& serviceUrl, const std::string& orgId);

// The mt value of the download query: 1 for the client, 2 for every other kind.
int DownloadQueryType(uint16_t kind);

// Each "\r\n\r\n" becomes "\r\n" in one left-to-right pass, then white space goes from both ends.
std::string NormaliseAnswer(const std::string& response);

// "http status N" when a status was received, otherwise the transport's error text; line breaks
// removed either way so the detail reads as one line inside the message. A 200 answer that still
// failed with a text of its own (the body found no memory) shows that text: "http status 200"
// would dress the failure up as the server's.
std::string FailureDetail(uint32_t statusCode, const std::string& transportError);

// The message template with its "%s" replaced by detail. The detail is inserted literally and
// nothing else in the template is interpreted, so no text can act as a format directive.
std::string FillMessage(const std::string& messageTemplate, const std::string& detail);

} // namespace service
