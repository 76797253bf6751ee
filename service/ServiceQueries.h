// The three queries to the install service. Each sends its requests synchronously on the calling
// thread, reports success as a truth value and sets error only on failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Which installers the organisation needs (fp=3): appends one kind and packed version per offered
// installer that is not installed yet at that version or a newer one; with force non-zero the
// registry is not consulted. True also when nothing was appended.
bool QueryInstallerCatalogue(const std::string& serviceUrl, const std::string& orgId, int force,
                             std::vector<uint16_t>& kinds, std::vector<uint32_t>& versions,
                             std::string& error);

// Download address (fp=4) and parameter text of every entry, in order; the first failure ends the
// run and leaves what was appended until then.
bool QueryDownloadUrls(const std::string& serviceUrl, const std::string& orgId,
                       const std::vector<uint16_t>& kinds, const std::vector<uint32_t>& versions,
                       std::vector<std::string>& downloadUrls, std::vector<std::string>& launchParameters,
                       std::string& error);

// The parameter text of one entry; only a custom package asks the service (fp=5) for its
// launch address.
bool QueryLaunchParameters(const std::string& serviceUrl, const std::string& orgId, uint16_t kind,
                           std::string& params, std::string& error);
