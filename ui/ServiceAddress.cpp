#include "ui/ServiceAddress.h"

#ifndef PLMO_SERVICE_URL
#error "PLMO_SERVICE_URL must be defined by the build"
#endif

const char* BuiltInServiceUrl() {
    return PLMO_SERVICE_URL;
}

std::string ShortHostName(const std::string& url) {
    size_t start = url.find("://");
    start = (start == std::string::npos) ? 0 : start + 3;
    size_t end = url.find_first_of("/?#", start);
    std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    size_t at = authority.rfind('@');
    if (at != std::string::npos)
        authority.erase(0, at + 1);
    return authority.substr(0, authority.find_first_of(".:"));
}
