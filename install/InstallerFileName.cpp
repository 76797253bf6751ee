#include "install/InstallerFileName.h"

#include "framework/Text.h"

std::string FileNameFromUrl(const std::string& url, const CLeadByteTable& leadBytes) {
    // The text after the last "/" that stands as a character of its own. Walking forward gives
    // the same name as reversing and tokenising, but a lone lead byte at the end cannot pair up
    // with the byte before it and pull a "/" into the name.
    size_t start = 0;
    for (size_t i = 0; i < url.size(); i += CharLenAt(url, i, leadBytes)) {
        if (url[i] == '/' && CharLenAt(url, i, leadBytes) == 1)
            start = i + 1;
    }
    return url.substr(start);
}

namespace {

bool HasPathCharacter(const std::string& name, const CLeadByteTable& leadBytes) {
    for (size_t i = 0; i < name.size(); i += CharLenAt(name, i, leadBytes)) {
        if (CharLenAt(name, i, leadBytes) == 1 && (name[i] == '\\' || name[i] == ':'))
            return true;
    }
    return false;
}

bool IsDotsAndBlanks(const std::string& name) {
    return name.find_first_not_of(". ") == std::string::npos;
}

// Windows maps these names to devices in every folder, whatever extension follows.
bool IsDeviceName(const std::string& name) {
    std::string base = text::ToLower(name.substr(0, name.find('.')));
    size_t end = base.find_last_not_of(' ');
    base.erase(end == std::string::npos ? 0 : end + 1);
    static const char* const kFixed[] = {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"};
    for (const char* fixed : kFixed) {
        if (base == fixed)
            return true;
    }
    return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

} // namespace

bool CheckInstallerFileName(const std::string& url, const std::string& name, std::string& error,
                            const CLeadByteTable& leadBytes) {
    if (name.empty()) {
        error = text::Format("ダウンロードアドレスにファイル名がありません：%s", url.c_str());
        return false;
    }
    if (HasPathCharacter(name, leadBytes) || IsDotsAndBlanks(name) || IsDeviceName(name)) {
        error = text::Format("ダウンロードアドレスのファイル名は使用できません：%s", url.c_str());
        return false;
    }
    return true;
}
