// The program started, elevated, from a Downloads folder in which someone has left a
// version.dll and a wininet.dll of their own. It must use the system's copies of both, through
// the About box (which reads the version resource) and a service query; a control program that
// imports both by name, started from the same folder, shows that the planted copies do get
// loaded by the ordinary search, so that their marks would show if the program took them.
#include "tests/e2e/flow/FlowFixture.h"

#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

using namespace e2e;

namespace flow {
namespace {

const char kCatalogue[] = "catalogue v3_pl = 1.2.3.4\n"
                          "download 1 01020304 = {self}/files/setup.exe\n";
const char* const kPlanted[] = {"version.dll", "wininet.dll"};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// Wine, unlike Windows, prefers its own built-in copy of a DLL it ships to one in the program's
// folder, unless the DLL overrides say native first. It takes the overrides from the Unix
// environment a process starts with, which a child inherits whatever its Windows environment
// block says; so they are set for this whole test program (CMakeLists.txt), and checked here.
const char kNativeFirst[] = "version,wininet=n,b";

bool UnderWine() {
    return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string DllOverrides() {
    char value[4096] = {};
    const DWORD n = ::GetEnvironmentVariableA("WINEDLLOVERRIDES", value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The full paths of the modules loaded in a process, lower case.
std::vector<std::string> LoadedModules(DWORD pid) {
    std::vector<std::string> paths;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return paths;
    HMODULE modules[1024];
    DWORD needed = 0;
    if (::EnumProcessModules(process, modules, sizeof modules, &needed)) {
        for (DWORD i = 0; i < std::min<DWORD>(needed / sizeof(HMODULE), 1024); ++i) {
            char path[MAX_PATH + 1] = {};
            if (::GetModuleFileNameExA(process, modules[i], path, MAX_PATH))
                paths.push_back(Lower(path));
        }
    }
    ::CloseHandle(process);
    return paths;
}

class PlantedDll : public CFlowTest {
protected:
    void SetUp() override {
        CFlowTest::SetUp();
        m_downloads = m_root + "Downloads\\";
        ASSERT_TRUE(::CreateDirectoryA(m_downloads.c_str(), nullptr));
        const std::string planted = ProgramDir() + "planted\\";
        for (const std::string& name :
             {std::string("version.dll"), std::string("wininet.dll"), std::string("planted-control.exe"),
              std::string("planted-bystander.exe")})
            ASSERT_TRUE(::CopyFileA((planted + name).c_str(), (m_downloads + name).c_str(), FALSE)) << name;
        ASSERT_TRUE(
            ::CopyFileA(BuiltProgramPath().c_str(), (m_downloads + "PLMOInstApp.exe").c_str(), FALSE));
        // Started from an Explorer window on the folder, the program has it as its current
        // directory too.
        char cwd[MAX_PATH + 1] = {};
        ::GetCurrentDirectoryA(MAX_PATH, cwd);
        m_oldCwd = cwd;
        ASSERT_TRUE(::SetCurrentDirectoryA(m_downloads.c_str()));
    }
    void TearDown() override {
        ::SetCurrentDirectoryA(m_oldCwd.c_str());
        CFlowTest::TearDown();
    }

    std::vector<std::string> Marks() const {
        std::vector<std::string> found;
        for (const char* dll : kPlanted)
            if (Exists(m_downloads + dll + ".planted"))
                found.push_back(dll);
        return found;
    }
    void RemoveMarks() const {
        for (const char* dll : kPlanted)
            ::DeleteFileA((m_downloads + dll + ".planted").c_str());
    }
    // A helper program from the folder; its exit code.
    DWORD Run(const std::string& exe) const {
        CStartOptions options;
        options.exePath = m_downloads + exe;
        CAppProcess helper(options);
        return helper.WaitForExit(60000);
    }

    std::string m_downloads;
    std::string m_oldCwd;
};

TEST_F(PlantedDll, TheProgramTakesTheSystemCopiesWhereAnImportByNameTakesThePlantedOnes) {
    if (UnderWine()) {
        ASSERT_NE(std::string::npos, DllOverrides().find(kNativeFirst))
            << "under Wine this test needs WINEDLLOVERRIDES with " << kNativeFirst << ", it has \""
            << DllOverrides() << "\"";
    }
    // What the system itself takes from the folder at the start of any process there: the
    // program cannot help that, so for those DLLs only its own loads are checked below.
    Run("planted-bystander.exe");
    const std::vector<std::string> bySystem = Marks();
    for (const std::string& m : bySystem)
        std::printf("note: the system's own DLLs load the planted %s at the start of any program there\n",
                    m.c_str());
    RemoveMarks();
    // Without the control's marks the absence of the program's would prove nothing.
    const DWORD code = Run("planted-control.exe");
    std::printf("note: the control exited with %lu and left marks for:", code);
    for (const std::string& m : Marks())
        std::printf(" %s", m.c_str());
    std::printf("\n");
    ASSERT_EQ((std::vector<std::string>{"version.dll", "wininet.dll"}), Marks())
        << "the control, importing both by name, must load the planted copies";
    RemoveMarks();
    const auto systemLoads = [&](const std::string& dll) {
        return std::find(bySystem.begin(), bySystem.end(), dll) != bySystem.end();
    };

    m_exePath = m_downloads + "PLMOInstApp.exe";
    ServeInstaller("setup.exe");
    Start(kCatalogue);

    // The About box reads the program's version resource through version.dll.
    App().Dialog().Command(ids::kMenuVersion);
    const CRemoteWindow about = App().WaitForAboutBox();
    EXPECT_EQ("PLMOInstApp Version - 1. 0. 0. 2", about.Child(ids::kAboutVersion).Text())
        << "read through the system's version.dll";
    about.Child(IDOK).Click();
    WaitFor("the About box to close", [&] { return !about.Exists(); });
    WaitFor("the main dialog to be enabled again", [&] { return Dialog().IsEnabled(); });

    // The catalogue and the download address through wininet.dll.
    CMessageBox box = Install("pl");
    ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");
    int addressQueries = 0;
    for (const CLoggedRequest& r : Requests())
        addressQueries += r.Fp() == "fp=4";
    EXPECT_EQ(1, addressQueries);

    const std::vector<std::string> modules = LoadedModules(App().App().Id());
    EXPECT_FALSE(modules.empty()) << "the program's module list could not be read";
    for (const char* dll : kPlanted) {
        const std::string planted = Lower(m_downloads + dll);
        bool fromSystem = false;
        for (const std::string& m : modules) {
            if (m == planted && !systemLoads(dll))
                ADD_FAILURE() << "the program loaded the planted " << dll;
            const size_t slash = m.rfind('\\');
            if (m.substr(slash + 1) == dll && m != planted) {
                fromSystem = true;
                std::printf("note: the program has %s\n", m.c_str());
            }
        }
        // The program's own load, by full path, whatever else is in the process.
        EXPECT_TRUE(fromSystem) << dll << " is loaded from the system's folder";
    }

    AnswerMessageBox(box, IDNO);
    ExpectIdle();
    App().CloseAndWait(30000);
    for (const std::string& m : Marks())
        if (!systemLoads(m))
            ADD_FAILURE() << "the program loaded the planted " << m;
}

} // namespace
} // namespace flow
