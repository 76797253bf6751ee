// The local name of an installer taken from the download address the service sends, and the
// check that keeps it inside the temporary folder. A refused name must never become a path; an
// accepted one must name a file directly in the temporary folder.
//
// Input: a byte choosing the code page (and, under code page 932, a temporary folder with a
// double-byte name), then the download address.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "install/InstallerFileName.h"
#include "util/PathParts.h"

namespace {

bool AtBoundary(const std::string& s, char c, const CLeadByteTable& t) {
    for (size_t pos = 0; pos < s.size(); pos += fuzz::CharLen(s, pos, t)) {
        if (fuzz::CharLen(s, pos, t) == 1 && s[pos] == c)
            return true;
    }
    return false;
}

// Whether s ends in a whole character (no lead byte left without its trail byte behind it).
size_t LastSlashEnd(const std::string& s, const CLeadByteTable& t) {
    size_t end = 0;
    for (size_t pos = 0; pos < s.size(); pos += fuzz::CharLen(s, pos, t)) {
        if (fuzz::CharLen(s, pos, t) == 1 && s[pos] == '/')
            end = pos + 1;
    }
    return end;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const uint8_t choice = in.Byte();
    const CLeadByteTable table = fuzz::TableFrom(choice, in);
    const bool cp932 = choice % 4 == 0 || choice % 4 == 3;
    // A double-byte folder name whose second byte is 0x5C, as GetTempPath returns it on a
    // Japanese system for a user named with such a character.
    const std::string tempDir = cp932 && (choice & 4) ? "C:\\Users\\\x83\x5C\\AppData\\Local\\Temp\\"
                                                      : "C:\\Users\\user\\AppData\\Local\\Temp\\";
    const std::string url = in.Rest();

    const std::string name = FileNameFromUrl(url, table);
    // The text after the last "/" of the address, byte for byte.
    const size_t start = LastSlashEnd(url, table);
    FUZZ_CHECK(name == url.substr(start));
    FUZZ_CHECK(!AtBoundary(name, '/', table));

    std::string error = "unchanged";
    const bool accepted = CheckInstallerFileName(url, name, error, table);
    if (!accepted) {
        // Refused: a message that names the address, and no path is made of it.
        FUZZ_CHECK(error != "unchanged" && !error.empty());
        // (A text answer never holds a zero byte; the message shows the address up to one.)
        FUZZ_CHECK(error.find(url.c_str()) != std::string::npos);
        return 0;
    }
    FUZZ_CHECK(error == "unchanged");
    FUZZ_CHECK(!name.empty());
    FUZZ_CHECK(!AtBoundary(name, '\\', table) && !AtBoundary(name, ':', table));
    // Windows drops trailing dots and blanks; something must remain, and it is no "." or "..".
    const size_t kept = name.find_last_not_of(". ");
    FUZZ_CHECK(kept != std::string::npos);
    FUZZ_CHECK(name != "." && name != "..");

    // The path the download writes sits directly in the temporary folder.
    const std::string path = tempDir + name;
    const PathParts parts = SplitPath(path, table);
    FUZZ_CHECK(parts.drive == "C:");
    FUZZ_CHECK(parts.dir == tempDir.substr(2));
    if (name.size() <= kMaxPathPart)
        FUZZ_CHECK(parts.name + parts.ext == name);
    return 0;
}
