#include "util/StartKind.h"

#include "framework/Text.h"

StartKind StartKindOf(const std::string& fileName) {
    // A dot is neither a lead nor a trail byte of the code page, so the bytes after the last one
    // are whole characters of the extension.
    const size_t dot = fileName.find_last_of('.');
    const size_t slash = fileName.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && slash > dot))
        return StartKind::None;
    const std::string ext = text::ToLower(fileName.substr(dot));
    if (ext == ".exe")
        return StartKind::Program;
    if (ext == ".msi")
        return StartKind::Package;
    return StartKind::None;
}
