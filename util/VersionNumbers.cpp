#include "util/VersionNumbers.h"

#include "framework/Text.h"
#include "util/SplitToken.h"

int ParseVersionFields(const std::string& version, unsigned char (&numbers)[4]) {
    std::string rest = version;
    std::string token;
    int i = 0;
    for (; i < 4; ++i) {
        if (!SplitToken(rest, ",", token, rest))
            break;
        numbers[i] = static_cast<unsigned char>(static_cast<unsigned>(text::AtoI(token)) & 0xFFu);
    }
    return i;
}
