// The organisation ID as the user typed it and as the service is asked about it.
#pragma once

#include <string>

// The ID sent to the service: "v3_" is put in front unless the ID already starts with it in any
// letter case, in which case it is kept exactly as typed (V3_abc is sent as V3_abc).
std::string NormaliseOrgId(const std::string& trimmedId);
