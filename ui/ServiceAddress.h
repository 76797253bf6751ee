// The install service's address is built into the program (set by the build, never read at run time).
#pragma once

#include <string>

const char* BuiltInServiceUrl();

// First label of the URL's host name ("instsvc" for http://instsvc.example.jp/...): the About box
// names the service by it.
std::string ShortHostName(const std::string& url);
