#include <gtest/gtest.h>

#include "tests/e2e/driver/Driver.h"

using namespace e2e;

namespace {

// "[ for instsvc ]" for http://instsvc.example.jp/...: the service host the build names.
std::string ExpectedServiceLine() {
    std::string url = PLMO_SERVICE_URL;
    const size_t host = url.find("://") + 3;
    return "[ for " + url.substr(host, url.find_first_of(".:/", host) - host) + " ]";
}

void ExpectAboutBox(CLauncher& app, const CRemoteWindow& box) {
    EXPECT_EQ(kAboutCaption, box.Caption());
    EXPECT_EQ(app.Dialog().Handle(), box.Owner()) << "the box belongs to the main dialog";
    EXPECT_FALSE(app.Dialog().IsEnabled()) << "the box is modal";
    EXPECT_EQ("PLMOInstApp Version - 1. 0. 0. 2", box.Child(ids::kAboutVersion).Text());
    EXPECT_EQ(ExpectedServiceLine(), box.Child(ids::kAboutService).Text());
    EXPECT_EQ("OK", box.Child(IDOK).Text());
    bool icon = false, copyright = false;
    for (const CRemoteWindow& c : box.Children()) {
        if (c.ClassName() != "Static")
            continue;
        if ((c.Style() & SS_TYPEMASK) == SS_ICON) {
            icon = c.Send(STM_GETICON) != 0;
            continue;
        }
        EXPECT_TRUE(c.Style() & WS_GROUP) << "every text line is a group of its own: " << c.Describe();
        copyright = copyright || c.Text().find("Copyright") != std::string::npos;
    }
    EXPECT_TRUE(icon) << "the program icon is shown";
    EXPECT_TRUE(copyright) << "a copyright line is shown";
}

void CloseAboutBox(CLauncher& app, const CRemoteWindow& box) {
    box.Child(IDOK).Click();
    WaitFor("the About box to close", [&] { return !box.Exists(); });
    WaitFor("the main dialog to be enabled again", [&] { return app.Dialog().IsEnabled(); });
}

TEST(AboutBox, FromTheVersionMenuItem) {
    CLauncher app;
    app.Dialog().Command(ids::kMenuVersion);
    const CRemoteWindow box = app.WaitForAboutBox();
    ExpectAboutBox(app, box);
    CloseAboutBox(app, box);
    EXPECT_EQ(ExpectedUiState(0), DescribeUiState(app.Dialog()));
}

TEST(AboutBox, FromTheSystemMenuItemTwice) {
    CLauncher app;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        app.Dialog().SysCommand(ids::kSysAbout);
        const CRemoteWindow box = app.WaitForAboutBox();
        ExpectAboutBox(app, box);
        CloseAboutBox(app, box);
    }
}

} // namespace
