// The parameter text an installer is started with.
#pragma once

#include <cstdint>
#include <string>

namespace service {

extern const char* const kClientParameters; // "simplemode,nochkwiz,noiechk,"

// For a custom package: "simplemode," and, when the service named a launch address,
// "lnc_url=" and that address exactly as received.
std::string CustomParameters(const std::string& launchAddress);

} // namespace service
