#include "tests/e2e/demo/DemoInstall.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace demo {

namespace {

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return "";
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

void ThrowOnGtestFailure(const char* what) {
    if (::testing::Test::HasFailure())
        throw std::runtime_error(what);
}

} // namespace

CDemoCatalogue LoadDemoCatalogue() {
    const std::string path = e2e::ProgramDir() + "demo-catalogue.txt";
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    CDemoCatalogue c;
    std::ostringstream all;
    all << in.rdbuf();
    c.text = all.str();
    std::istringstream lines(c.text);
    for (std::string line; std::getline(lines, line);) {
        line = Trim(line);
        unsigned kind = 0, nv = 0;
        char file[256] = {};
        if (line.rfind("catalogue v3_", 0) == 0 && c.orgId.empty()) {
            c.orgId = Trim(line.substr(13, line.find('=') - 13));
        } else if (std::sscanf(line.c_str(), "download %u %x = %255s", &kind, &nv, file) == 3) {
            // The version the address is for is the one its installer records: the client's as
            // "Version", a custom package's under the name made of its number.
            const unsigned b[4] = {nv >> 24, (nv >> 16) & 0xFF, (nv >> 8) & 0xFF, nv & 0xFF};
            CDemoCatalogue::CInstaller inst;
            const std::string url = file;
            inst.file = url.substr(url.rfind('/') + 1);
            char name[32], data[32];
            std::snprintf(name, sizeof name, "Custom_%03u.%03u", b[0], b[1]);
            std::snprintf(data, sizeof data, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
            inst.regValue = kind == 1 ? "Version" : name;
            inst.regData = data;
            c.installers.push_back(inst);
        }
    }
    if (c.orgId.empty() || c.installers.empty())
        throw std::runtime_error(path + " names no organisation or no installer");
    return c;
}

CDemoInstall::CDemoInstall(const CDemoCatalogue& catalogue, DWORD installerMs) : m_catalogue(catalogue) {
    SetUp();
    ThrowOnGtestFailure("the demo's folders or registry key could not be prepared");
    for (const CDemoCatalogue::CInstaller& inst : m_catalogue.installers) {
        if (!m_registry.Remove(inst.regValue))
            throw std::runtime_error("cannot remove the registry value " + inst.regValue);
        ServeInstaller(inst.file, {{"WaitMs", std::to_string(installerMs)},
                                   {"Window", "1"},
                                   {"RegValue", inst.regValue},
                                   {"RegData", inst.regData}});
        ThrowOnGtestFailure("the fake installer could not be served");
    }
}

CDemoInstall::~CDemoInstall() {
    TearDown();
}

std::string CDemoInstall::InstalledValue(const std::string& name) {
    char data[256] = {};
    DWORD size = sizeof data - 1, type = 0;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, CInstalledVersions::kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(none)";
    CRegKey owned;
    owned.Reset(key);
    if (::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return "(none)";
    return std::string(data, strnlen(data, size));
}

void CDemoInstall::Start(int dripMs) {
    std::vector<std::string> args;
    if (dripMs > 0)
        args = {"--drip", "files:" + std::to_string(dripMs)};
    CFlowTest::Start(m_catalogue.text, args);
    ThrowOnGtestFailure("the stand-in service did not start");
}

} // namespace demo
