#include <gtest/gtest.h>

#include <string>

#include "util/PathParts.h"
#include "util/StartKind.h"

namespace {

void ExpectParts(const std::string& path, const char* drive, const char* dir, const char* name,
                 const char* ext) {
    PathParts p = SplitPath(path, CLeadByteTable::Cp932());
    EXPECT_EQ(p.drive, drive) << path;
    EXPECT_EQ(p.dir, dir) << path;
    EXPECT_EQ(p.name, name) << path;
    EXPECT_EQ(p.ext, ext) << path;
}

} // namespace

TEST(SplitPath, DriveDirectoryNameExtension) {
    ExpectParts("C:\\Temp\\setup.exe", "C:", "\\Temp\\", "setup", ".exe");
    ExpectParts("setup.exe", "", "", "setup", ".exe");
    ExpectParts("", "", "", "", "");
    ExpectParts("C:", "C:", "", "", "");
    ExpectParts("C:setup.exe", "C:", "", "setup", ".exe");
    ExpectParts("\\\\server\\share\\a.msi", "", "\\\\server\\share\\", "a", ".msi");
}

TEST(SplitPath, ForwardAndMixedSlashes) {
    ExpectParts("C:/Temp/setup.exe", "C:", "/Temp/", "setup", ".exe");
    ExpectParts("C:\\a/b\\c.txt", "C:", "\\a/b\\", "c", ".txt");
    ExpectParts("C:\\Temp\\", "C:", "\\Temp\\", "", "");
}

TEST(SplitPath, ExtensionIsFromTheLastDotOfTheName) {
    ExpectParts("C:\\Temp\\setup", "C:", "\\Temp\\", "setup", "");
    ExpectParts("C:\\v1.2\\setup", "C:", "\\v1.2\\", "setup", "");
    ExpectParts("C:\\v1.2\\setup.tar.gz", "C:", "\\v1.2\\", "setup.tar", ".gz");
    ExpectParts("C:\\Temp\\.profile", "C:", "\\Temp\\", "", ".profile");
    ExpectParts("C:\\Temp\\name.", "C:", "\\Temp\\", "name", ".");
}

TEST(SplitPath, TrailByteBackslashIsNoSeparator) {
    // ソ and 表 end in 0x5C: a byte-wise split would cut them in half.
    ExpectParts("C:\\ソフト\\表.exe", "C:", "\\ソフト\\", "表", ".exe");
    ExpectParts("C:\\Temp\\ソ", "C:", "\\Temp\\", "ソ", "");
    ExpectParts("表\\予定表.txt", "", "表\\", "予定表", ".txt");
    // The same bytes under a single-byte code page are two characters, the second a backslash.
    PathParts p = SplitPath("\x95\x5C"
                            "a.b",
                            CLeadByteTable::SingleByte());
    EXPECT_EQ(p.dir, "\x95\x5C");
    EXPECT_EQ(p.name, "a");
}

TEST(SplitPath, OverlongPartsAreCutWithoutSplittingACharacter) {
    std::string longDir = "\\" + std::string(300, 'd') + "\\";
    PathParts p = SplitPath("C:" + longDir + "n.e", CLeadByteTable::Cp932());
    EXPECT_EQ(p.dir, longDir.substr(0, kMaxPathPart));
    EXPECT_EQ(p.name, "n");

    // 254 single bytes then a double-byte character: byte 255 would be a lone lead byte.
    std::string name = std::string(254, 'n') + "表表";
    p = SplitPath("C:\\" + name + ".exe", CLeadByteTable::Cp932());
    EXPECT_EQ(p.name, std::string(254, 'n'));
    EXPECT_EQ(p.ext, ".exe");

    std::string ext = "." + std::string(400, 'e');
    p = SplitPath("a" + ext, CLeadByteTable::Cp932());
    EXPECT_EQ(p.ext.size(), kMaxPathPart);
}

TEST(StartKindOf, OnlyProgramsAndPackagesStart) {
    const struct {
        const char* name;
        StartKind kind;
    } cases[] = {
        {"setup.exe", StartKind::Program},   {"SETUP.EXE", StartKind::Program},
        {"client.Msi", StartKind::Package},  {"\x83\x5C\x95\x5C.exe", StartKind::Program}, // ソ表.exe
        {"page.hta", StartKind::None},       {"run.bat", StartKind::None},
        {"run.cmd", StartKind::None},        {"setup.exe.txt", StartKind::None},
        {"setup.exe ", StartKind::None},     {"setup", StartKind::None},
        {"get.aspx?id=3.exe", StartKind::Program}, {"", StartKind::None},
        {"dir.exe\\setup", StartKind::None}, {".msi", StartKind::Package},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.kind, StartKindOf(c.name)) << c.name;
}
