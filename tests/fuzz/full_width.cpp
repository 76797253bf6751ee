// The full-width test of an organisation ID under code page 932, a single-byte code page and
// other double-byte tables: true exactly when a lead byte of the table occurs.
//
// Input: a byte choosing the code page, then the text.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "util/FullWidth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const uint8_t choice = in.Byte();
    const CLeadByteTable table = fuzz::TableFrom(choice, in);
    const std::string text = in.Rest();

    const bool full = ContainsFullWidthChars(text, table);
    bool anyLead = false;
    bool anyCp932Lead = false;
    for (char c : text) {
        anyLead = anyLead || table.IsLead(c);
        anyCp932Lead = anyCp932Lead || fuzz::IsCp932Lead(static_cast<unsigned char>(c));
    }
    FUZZ_CHECK(full == anyLead);
    switch (choice % 4) {
    case 1:
        FUZZ_CHECK(!full); // no double-byte characters at all
        break;
    case 2:
        break;
    default:
        // Lead bytes 0x81-0x9F and 0xE0-0xFC; half-width katakana 0xA1-0xDF are single bytes.
        FUZZ_CHECK(full == anyCp932Lead);
        break;
    }
    return 0;
}
