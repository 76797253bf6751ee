#include "util/FullWidth.h"

bool ContainsFullWidthChars(const std::string& text, const CLeadByteTable& t) {
    for (char c : text) {
        if (t.IsLead(c))
            return true;
    }
    return false;
}
