// Versions as the service and the registry write them, packed into one comparable number.
#pragma once

#include <cstdint>
#include <string>

// a.b.c.d packs as a<<24 | b<<16 | c<<8 | d, each part read like C's atoi and cut to 8 bits (an
// empty part is 0). Any text without exactly three dots gives 0.
uint32_t ParseDottedVersion(const std::string& dotted);
