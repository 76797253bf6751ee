#include <gtest/gtest.h>

#include <set>

#include "tests/e2e/driver/Driver.h"

using namespace e2e;

namespace {

// Pictures for people to look at, not compared: each must be a readable PNG of the captured size.
void Save(const RECT& area, const std::string& name) {
    const CImage shot = CaptureSettled(area);
    const std::string path = ScreenshotDir() + name;
    WritePng(shot, path);
    CImage back;
    std::string error;
    ASSERT_TRUE(ReadPngFile(path, back, error)) << path << ": " << error;
    EXPECT_EQ(area.right - area.left, back.width);
    EXPECT_EQ(area.bottom - area.top, back.height);
    EXPECT_EQ(shot.rgb, back.rgb);
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 2 < back.rgb.size(); i += 3)
        colours.insert(uint32_t(back.rgb[i]) << 16 | back.rgb[i + 1] << 8 | back.rgb[i + 2]);
    EXPECT_GT(colours.size(), 4u) << path << " looks blank";
}

TEST(Screenshots, IdleDialogAndAboutBox) {
    CLauncher app;
    app.TypeOrgId("");
    Save(app.Dialog().WindowRect(), "idle.png");

    app.Dialog().Command(ids::kMenuVersion);
    const CRemoteWindow box = app.WaitForAboutBox();
    Save(UnionOf(app.Dialog().WindowRect(), box.WindowRect()), "about.png");
    box.Child(IDOK).Click();
    WaitFor("the About box to close", [&] { return !box.Exists(); });
}

// Wine keeps another process's menus out of reach, so the system menu's About item is only shown.
TEST(Screenshots, SystemMenuWithItsAboutItem) {
    CLauncher app;
    app.Dialog().Post(WM_SYSCOMMAND, SC_KEYMENU, ' ');
    const CRemoteWindow menu = app.App().WaitForWindow(
        "the system menu", [](const CRemoteWindow& w) { return w.ClassName() == "#32768"; });
    WaitUntilPlaced(menu);
    Save(UnionOf(app.Dialog().WindowRect(), menu.WindowRect()), "system-menu.png");
    app.Dialog().Post(WM_KEYDOWN, VK_ESCAPE, 0);
    WaitFor("the system menu to close", [&] { return !menu.IsVisible(); });
    EXPECT_EQ(ExpectedUiState(0), DescribeUiState(app.Dialog()));
}

} // namespace
