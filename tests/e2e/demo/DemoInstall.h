// One install run for the demo: the stand-in install service with the demo catalogue, fake
// installers that show themselves and record the versions they install, and the program as built
// reaching the service through its proxy setting, in a temporary folder of its own.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/flow/FlowFixture.h"

namespace demo {

// What the demo catalogue asks for: the organisation ID to type and, per installer file, the
// registry value and data that its fake installer writes.
struct CDemoCatalogue {
    std::string text;
    std::string orgId;
    struct CInstaller {
        std::string file;
        std::string regValue;
        std::string regData;
    };
    std::vector<CInstaller> installers;
};

// demo-catalogue.txt next to the demo program; throws when it is missing or names no organisation.
CDemoCatalogue LoadDemoCatalogue();

// The flow fixture's set-up, serving and start, used outside a test.
class CDemoInstall : public flow::CFlowTest {
public:
    // Resets the catalogue's registry values and serves its installers; throws on failure.
    explicit CDemoInstall(const CDemoCatalogue& catalogue, DWORD installerMs);
    ~CDemoInstall() override;

    // The stand-in (downloads slowed down by dripMs per KiB), then the program.
    void Start(int dripMs);
    int ServicePort() const { return m_service.Port(); }
    // What the installers recorded under the installed-versions key; "(none)" when nothing.
    static std::string InstalledValue(const std::string& name);

    using CFlowTest::App;
    using CFlowTest::Dialog;
    using CFlowTest::WaitForBox;

private:
    void TestBody() override {}
    const CDemoCatalogue& m_catalogue;
};

} // namespace demo
