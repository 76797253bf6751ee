// The dialog and the About box at display scalings from 100 % to 200 %: every text fits its
// control while idle, downloading and installing, the boxes' icons are recognised at their size,
// the dialog goes to the bottom centre of the work area, and each scaling leaves screenshots for a
// person to look at.
#include "tests/e2e/flow/FlowFixture.h"

#include <string>

using namespace e2e;

namespace flow {
namespace {

const char kDialogFace[] = "ＭＳ Ｐゴシック"; // both templates' font, mapped in the test prefix
constexpr int kDialogPoints = 11, kAboutPoints = 9;

// The display's DPI as Wine reads it when a process starts: the program started while this
// lives runs at it. Puts back what the prefix had.
class CLogPixels {
public:
    explicit CLogPixels(DWORD dpi) {
        ::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &m_key, nullptr);
        DWORD size = sizeof m_old;
        m_had = ::RegQueryValueExA(m_key, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&m_old),
                                   &size) == ERROR_SUCCESS;
        m_set = ::RegSetValueExA(m_key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                                 sizeof dpi) == ERROR_SUCCESS;
    }
    ~CLogPixels() {
        if (m_had)
            ::RegSetValueExA(m_key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_old),
                             sizeof m_old);
        else
            ::RegDeleteValueA(m_key, "LogPixels");
        ::RegCloseKey(m_key);
    }
    bool IsSet() const { return m_set; }

private:
    HKEY m_key = nullptr;
    DWORD m_old = 0;
    bool m_had = false, m_set = false;
};

// A dialog template's font as the dialog manager makes it at this DPI. Wine answers no
// WM_GETFONT from another process, so the font is made here from the template's face and size.
class CDialogFont {
public:
    CDialogFont(int points, int dpi) {
        LOGFONTA lf{};
        lf.lfHeight = -::MulDiv(points, dpi, 72);
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(lf.lfFaceName, kDialogFace, LF_FACESIZE);
        m_font = ::CreateFontIndirectA(&lf);
        HDC dc = ::GetDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, m_font);
        TEXTMETRICA tm{};
        ::GetTextMetricsA(dc, &tm);
        SIZE letters{};
        const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        ::GetTextExtentPoint32A(dc, alphabet, 52, &letters);
        ::SelectObject(dc, old);
        ::ReleaseDC(nullptr, dc);
        m_baseX = (letters.cx / 26 + 1) / 2;
        m_baseY = tm.tmHeight;
    }
    ~CDialogFont() { ::DeleteObject(m_font); }
    CDialogFont(const CDialogFont&) = delete;
    CDialogFont& operator=(const CDialogFont&) = delete;

    HFONT Get() const { return m_font; }
    // Pixels of a size in dialog units, as the dialog manager maps a control's size.
    SIZE Pixels(int cx, int cy) const { return {::MulDiv(cx, m_baseX, 4), ::MulDiv(cy, m_baseY, 8)}; }

private:
    HFONT m_font = nullptr;
    int m_baseX = 0, m_baseY = 0;
};

SIZE SizeOf(const RECT& r) {
    return {r.right - r.left, r.bottom - r.top};
}

// Why the control's text does not fit its client rectangle in the font, or "" when it fits.
std::string Misfit(const CRemoteWindow& control, const CDialogFont& font, int dpi) {
    const std::string cls = control.ClassName(), text = control.Text();
    const LONG style = control.Style();
    const bool isStatic = cls == "Static" && (style & SS_TYPEMASK) <= SS_RIGHT;
    const bool isCheck =
        cls == "Button" && ((style & BS_TYPEMASK) == BS_AUTOCHECKBOX || (style & BS_TYPEMASK) == BS_CHECKBOX);
    const bool isPush = cls == "Button" && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
    if (!control.IsVisible() || text.empty() || !(isStatic || isCheck || isPush))
        return "";
    const SIZE client = SizeOf(control.ClientScreenRect());
    // Room the control keeps for itself: a check box its box and the gap after it, a push button
    // its frame; 96 DPI pixels, scaled.
    const int reserved = ::MulDiv(isCheck ? 16 : isPush ? 4 : 0, dpi, 96);
    // Static texts wrap at words unless centred as one line; buttons are one line.
    UINT format = DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX;
    format |= isStatic && !(style & SS_CENTERIMAGE) ? DT_WORDBREAK : DT_SINGLELINE;
    RECT need{0, 0, client.cx - reserved, 0};
    HDC dc = ::GetDC(control.Handle());
    HGDIOBJ old = ::SelectObject(dc, font.Get());
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &need, format);
    ::SelectObject(dc, old);
    ::ReleaseDC(control.Handle(), dc);
    const SIZE size = SizeOf(need);
    if (size.cx <= client.cx - reserved && size.cy <= client.cy)
        return "";
    return control.Describe() + " at " + std::to_string(dpi) + " DPI: the text needs " +
           std::to_string(size.cx) + "x" + std::to_string(size.cy) + " px, the control has " +
           std::to_string(client.cx - reserved) + "x" + std::to_string(client.cy) + "\n";
}

void ExpectTextsFit(const CRemoteWindow& window, const CDialogFont& font, int dpi, const char* when) {
    std::string misfits;
    for (const CRemoteWindow& control : window.Children())
        misfits += Misfit(control, font, dpi);
    if (!misfits.empty())
        ADD_FAILURE() << "texts that do not fit, " << when << ":\n" << misfits;
}

// A window that keeps changing (the progress) is taken as it is.
void Screenshot(const CRemoteWindow& window, const char* what, int dpi, bool settled = true) {
    const RECT r = window.WindowRect();
    WritePng(settled ? CaptureSettled(r) : CaptureScreen(r),
             ScreenshotDir() + what + "-" + std::to_string(dpi) + "dpi.png");
}

class Scaling : public CFlowTest, public ::testing::WithParamInterface<int> {};

TEST_P(Scaling, EveryTextFitsItsControlIdleAboutDownloadingAndInstalling) {
    const int dpi = GetParam();
    CLogPixels logPixels(dpi);
    ASSERT_TRUE(logPixels.IsSet());
    ServeInstaller("client_setup.exe", {{"WaitMs", "3000"}});
    ServeInstaller("custom258_setup.exe");
    Start(kTwoInstallers, {"--drip", "files:8"});
    const CDialogFont font(kDialogPoints, dpi), aboutFont(kAboutPoints, dpi);
    // The title (207x14 dialog units) shows that the program runs at this DPI in this font.
    const SIZE title = SizeOf(App().Control(ids::kTitle).WindowRect()), expected = font.Pixels(207, 14);
    ASSERT_TRUE(title.cx == expected.cx && title.cy == expected.cy)
        << "the title is " << title.cx << "x" << title.cy << " px, " << expected.cx << "x" << expected.cy
        << " at " << dpi << " DPI";

    ExpectTextsFit(Dialog(), font, dpi, "idle");
    Screenshot(Dialog(), "idle", dpi);

    Dialog().Command(ids::kMenuVersion);
    const CRemoteWindow about = App().WaitForAboutBox();
    const SIZE ok = SizeOf(about.Child(IDOK).WindowRect()), okExpected = aboutFont.Pixels(50, 14);
    EXPECT_TRUE(ok.cx == okExpected.cx && ok.cy == okExpected.cy) << "the About box's OK button";
    ExpectTextsFit(about, aboutFont, dpi, "About box");
    Screenshot(about, "about", dpi);
    about.Child(IDOK).Click();
    WaitFor("the About box to close", [&] { return !about.Exists(); });

    CMessageBox box = Install("flow");
    ExpectBox(box, texts::kConfirm, BoxIcon::Question, "Yes,No");
    AnswerMessageBox(box, IDYES);
    const CRemoteWindow status = App().Control(ids::kStatus);
    WaitForDownload("the first download to pass 30 %",
                    [](int percent, int current) { return current == 1 && percent >= 30; });
    ExpectTextsFit(Dialog(), font, dpi, "downloading");
    Screenshot(Dialog(), "download", dpi, false);

    WaitFor(
        "the first installer to run", [&] { return status.Caption() == texts::Installing(1, 2); }, 60000);
    ExpectTextsFit(Dialog(), font, dpi, "installing");
    // Placed in the same pixels as the work area, whatever the scaling.
    const MONITORINFO primary = PrimaryMonitor();
    const RECT r = Dialog().WindowRect();
    EXPECT_EQ(primary.rcWork.right / 2 - (r.right - r.left) / 2, r.left)
        << "bottom centre at " << dpi << " DPI";
    EXPECT_EQ(primary.rcWork.bottom, r.bottom) << "bottom centre at " << dpi << " DPI";

    box = WaitForBox(60000);
    ExpectBox(box, texts::kDone, BoxIcon::Information, "OK");
    AnswerMessageBox(box, IDOK);
    App().App().WaitForExit();
}

INSTANTIATE_TEST_SUITE_P(Dpi, Scaling, ::testing::Values(96, 120, 144, 192),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param);
                         });

} // namespace
} // namespace flow
