#include "service/LaunchParameters.h"

namespace service {

const char* const kClientParameters = "simplemode,nochkwiz,noiechk,";

std::string CustomParameters(const std::string& launchAddress) {
    std::string params = "simplemode,";
    if (!launchAddress.empty())
        params += "lnc_url=" + launchAddress;
    return params;
}

} // namespace service
