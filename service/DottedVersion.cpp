#include "service/DottedVersion.h"

#include "framework/Text.h"

uint32_t ParseDottedVersion(const std::string& dotted) {
    if (text::CountChar(dotted, '.') != 3)
        return 0;
    uint32_t packed = 0;
    size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        // The dots are single bytes and no trail byte of our code pages is a dot.
        size_t dot = part < 3 ? text::Find(dotted, ".", start) : dotted.size();
        uint32_t value = static_cast<uint32_t>(text::AtoI(dotted.substr(start, dot - start))) & 0xFFu;
        packed = (packed << 8) | value;
        start = dot + 1;
    }
    return packed;
}
