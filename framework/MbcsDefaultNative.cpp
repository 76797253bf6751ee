#include "framework/Mbcs.h"

CLeadByteTable DefaultLeadBytes() {
    return CLeadByteTable::Cp932();
}
