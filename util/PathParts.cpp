#include "util/PathParts.h"

namespace {

// At most kMaxPathPart bytes of s, never half a double-byte character.
std::string CutPart(std::string s, const CLeadByteTable& t) {
    if (s.size() <= kMaxPathPart)
        return s;
    size_t end = 0;
    while (end < s.size()) {
        size_t len = CharLenAt(s, end, t);
        if (end + len > kMaxPathPart)
            break;
        end += len;
    }
    s.resize(end);
    return s;
}

} // namespace

PathParts SplitPath(const std::string& path, const CLeadByteTable& t) {
    PathParts parts;
    size_t start = 0;
    if (path.size() >= 2 && path[1] == ':' && !t.IsLead(path[0])) {
        parts.drive = path.substr(0, 2);
        start = 2;
    }

    size_t nameStart = start; // just after the last slash
    size_t dot = std::string::npos;
    for (size_t pos = start; pos < path.size();) {
        size_t len = CharLenAt(path, pos, t);
        if (len == 1) {
            if (path[pos] == '\\' || path[pos] == '/')
                nameStart = pos + 1;
            else if (path[pos] == '.')
                dot = pos;
        }
        pos += len;
    }
    if (dot == std::string::npos || dot < nameStart)
        dot = path.size();

    parts.dir = CutPart(path.substr(start, nameStart - start), t);
    parts.name = CutPart(path.substr(nameStart, dot - nameStart), t);
    parts.ext = CutPart(path.substr(dot), t);
    return parts;
}
