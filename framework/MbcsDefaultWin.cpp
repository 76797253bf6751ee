#include "framework/Mbcs.h"

#include <windows.h>

// The same table the C runtime builds for its multibyte functions from the ANSI code page.
CLeadByteTable DefaultLeadBytes() {
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info))
        return CLeadByteTable::SingleByte();
    return CLeadByteTable::FromRanges(info.LeadByte, MAX_LEADBYTES);
}
