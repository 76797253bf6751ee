// Version texts from the registry, the service and version resources: dotted versions packed
// into one number and comma-separated version fields.
//
// Input: four bytes of prefilled fields, then the text.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "service/DottedVersion.h"
#include "util/VersionNumbers.h"

namespace {

std::vector<std::string> PartsAt(const std::string& s, char separator) {
    std::vector<std::string> parts(1);
    for (size_t pos = 0; pos < s.size();) {
        size_t len = fuzz::Cp932CharLen(s, pos);
        if (len == 1 && s[pos] == separator)
            parts.emplace_back();
        else
            parts.back().append(s, pos, len);
        pos += len;
    }
    return parts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    unsigned char prefill[4];
    for (unsigned char& b : prefill)
        b = in.Byte();
    const std::string text = in.Rest();

    // Dotted: exactly three dots, each part's atoi cut to its low 8 bits; anything else is 0.
    const uint32_t packed = ParseDottedVersion(text);
    const std::vector<std::string> dotted = PartsAt(text, '.');
    if (dotted.size() != 4) {
        FUZZ_CHECK(packed == 0);
    } else {
        for (int i = 0; i < 4; ++i)
            FUZZ_CHECK(((packed >> (24 - 8 * i)) & 0xFFu) == (fuzz::ReferenceAtoi(dotted[i]) & 0xFFu));
    }
    // The four prefilled bytes written as a dotted text come back as they were.
    const std::string written = std::to_string(prefill[0]) + "." + std::to_string(prefill[1]) + "." +
                                std::to_string(prefill[2]) + "." + std::to_string(prefill[3]);
    FUZZ_CHECK(ParseDottedVersion(written) == (uint32_t(prefill[0]) << 24 | uint32_t(prefill[1]) << 16 |
                                               uint32_t(prefill[2]) << 8 | prefill[3]));

    // Fields: up to four, separated by ","; a trailing separator gives no field after it, and the
    // numbers past the fields found keep their values.
    unsigned char numbers[4];
    std::memcpy(numbers, prefill, 4);
    const int count = ParseVersionFields(text, numbers);
    std::vector<std::string> fields = text.empty() ? std::vector<std::string>() : PartsAt(text, ',');
    if (!fields.empty() && fields.back().empty())
        fields.pop_back();
    const int expected = fields.size() < 4 ? static_cast<int>(fields.size()) : 4;
    FUZZ_CHECK(count == expected);
    for (int i = 0; i < 4; ++i) {
        if (i < count)
            FUZZ_CHECK(numbers[i] == (fuzz::ReferenceAtoi(fields[i]) & 0xFFu));
        else
            FUZZ_CHECK(numbers[i] == prefill[i]);
    }
    return 0;
}
