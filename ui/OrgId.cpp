#include "ui/OrgId.h"

#include "framework/Text.h"

std::string NormaliseOrgId(const std::string& trimmedId) {
    if (text::Left(text::ToLower(trimmedId), 3) == "v3_")
        return trimmedId;
    return "v3_" + trimmedId;
}
