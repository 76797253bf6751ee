#include "tests/e2e/driver/MessageBox.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "tests/e2e/driver/Screen.h"

namespace e2e {

namespace {

constexpr int kMessageTextId = 0xFFFF;

// A system icon drawn here over black and over white: pixels that come out the same on both are
// the icon's opaque ones, the only ones worth comparing with the screen.
struct CIconPicture {
    int size = 0;
    std::vector<uint8_t> onBlack, onWhite; // RGB
};

// At the size the box shows it, which follows the program's DPI, not this process's.
CIconPicture DrawSystemIcon(LPCSTR id, int size) {
    CIconPicture pic;
    pic.size = size;
    HICON icon = static_cast<HICON>(::LoadImageA(nullptr, id, IMAGE_ICON, size, size, 0));
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = pic.size;
    bi.bmiHeader.biHeight = -pic.size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (icon && mem && dib && bits) {
        HGDIOBJ old = ::SelectObject(mem, dib);
        for (int pass = 0; pass < 2; ++pass) {
            RECT r{0, 0, pic.size, pic.size};
            ::FillRect(mem, &r, static_cast<HBRUSH>(::GetStockObject(pass ? WHITE_BRUSH : BLACK_BRUSH)));
            ::DrawIconEx(mem, 0, 0, icon, pic.size, pic.size, 0, nullptr, DI_NORMAL);
            ::GdiFlush();
            auto& out = pass ? pic.onWhite : pic.onBlack;
            const auto* p = static_cast<const uint8_t*>(bits);
            for (int i = 0; i < pic.size * pic.size; ++i)
                out.insert(out.end(), {p[i * 4 + 2], p[i * 4 + 1], p[i * 4]});
        }
        ::SelectObject(mem, old);
    }
    if (icon)
        ::DestroyIcon(icon);
    if (dib)
        ::DeleteObject(dib);
    if (mem)
        ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    return pic;
}

// Share of the icon's opaque pixels that the captured area shows at the best of a few small
// offsets (the static may put the picture a pixel or two away from its corner).
double MatchScore(const CIconPicture& pic, const CImage& shot) {
    double best = 0;
    for (int dy = 0; dy + pic.size <= shot.height && dy <= 4; ++dy)
        for (int dx = 0; dx + pic.size <= shot.width && dx <= 4; ++dx) {
            int opaque = 0, matching = 0;
            for (int y = 0; y < pic.size; ++y)
                for (int x = 0; x < pic.size; ++x) {
                    const size_t i = (static_cast<size_t>(y) * pic.size + x) * 3;
                    if (std::abs(pic.onBlack[i] - pic.onWhite[i]) +
                            std::abs(pic.onBlack[i + 1] - pic.onWhite[i + 1]) +
                            std::abs(pic.onBlack[i + 2] - pic.onWhite[i + 2]) >
                        6)
                        continue;
                    ++opaque;
                    const size_t j = ((static_cast<size_t>(y) + dy) * shot.width + x + dx) * 3;
                    if (std::abs(pic.onBlack[i] - shot.rgb[j]) +
                            std::abs(pic.onBlack[i + 1] - shot.rgb[j + 1]) +
                            std::abs(pic.onBlack[i + 2] - shot.rgb[j + 2]) <=
                        24)
                        ++matching;
                }
            if (opaque > 0 && double(matching) / opaque > best)
                best = double(matching) / opaque;
        }
    return best;
}

} // namespace

const char* BoxIconName(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::None:
        return "none";
    case BoxIcon::Warning:
        return "warning";
    case BoxIcon::Information:
        return "information";
    case BoxIcon::Question:
        return "question";
    case BoxIcon::Error:
        return "error";
    case BoxIcon::Unrecognised:
        break;
    }
    return "unrecognised";
}

std::string ButtonsText(const std::vector<int>& ids) {
    std::string s;
    for (int id : ids) {
        static const char* const names[] = {"?", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};
        if (!s.empty())
            s += ",";
        s += id >= 1 && id <= 7 ? names[id] : std::to_string(id);
    }
    return s;
}

BoxIcon RecogniseIcon(const CRemoteWindow& iconStatic) {
    if (!iconStatic.IsVisible() || !iconStatic.Send(STM_GETICON))
        return BoxIcon::None;
    struct Candidate {
        BoxIcon kind;
        LPCSTR id;
    };
    const Candidate candidates[] = {{BoxIcon::Warning, IDI_WARNING},
                                    {BoxIcon::Information, IDI_INFORMATION},
                                    {BoxIcon::Question, IDI_QUESTION},
                                    {BoxIcon::Error, IDI_ERROR}};
    const RECT area = iconStatic.ClientScreenRect();
    const int size = std::min(area.right - area.left, area.bottom - area.top);
    std::vector<std::pair<BoxIcon, CIconPicture>> pictures;
    for (const Candidate& c : candidates)
        pictures.emplace_back(c.kind, DrawSystemIcon(c.id, size > 0 ? size : ::GetSystemMetrics(SM_CXICON)));
    // The box may not have painted yet: look again until one picture matches clearly.
    BoxIcon best = BoxIcon::Unrecognised;
    PollUntil(
        [&] {
            const CImage shot = CaptureScreen(iconStatic.ClientScreenRect());
            double bestScore = 0.9; // anything less is no clear match
            for (const auto& [kind, pic] : pictures) {
                if (pic.onBlack.empty() || shot.width < pic.size || shot.height < pic.size)
                    continue;
                const double score = MatchScore(pic, shot);
                if (score > bestScore) {
                    bestScore = score;
                    best = kind;
                }
            }
            return best != BoxIcon::Unrecognised;
        },
        3000, 50);
    return best;
}

bool IsMessageBox(const CRemoteWindow& dialog) {
    return dialog.HasChild(kMessageTextId);
}

CMessageBox ReadMessageBox(const CRemoteWindow& box) {
    CMessageBox info;
    info.window = box;
    info.caption = box.Caption();
    info.text = box.Child(kMessageTextId).Text();
    CRemoteWindow iconStatic;
    for (const CRemoteWindow& c : box.Children()) {
        const std::string cls = c.ClassName();
        if (cls == "Button" && c.IsVisible())
            info.buttons.push_back(c.Id());
        else if (cls == "Static" && (c.Style() & SS_TYPEMASK) == SS_ICON)
            iconStatic = c;
    }
    info.icon = iconStatic ? RecogniseIcon(iconStatic) : BoxIcon::None;
    return info;
}

CMessageBox WaitForMessageBox(const CAppProcess& app, const CRemoteWindow& owner, DWORD timeoutMs) {
    const CRemoteWindow box = app.WaitForWindow(
        "a message box owned by " + owner.Describe(),
        [&](const CRemoteWindow& w) {
            return w.Owner() == owner.Handle() && w.ClassName() == "#32770" && IsMessageBox(w);
        },
        timeoutMs);
    // Shown means initialised; one answered message makes sure it has also painted its icon.
    box.Send(WM_NULL);
    return ReadMessageBox(box);
}

void AnswerMessageBox(const CMessageBox& box, int buttonId, DWORD timeoutMs) {
    box.window.Child(buttonId).Click();
    WaitFor(
        "the message box \"" + box.text + "\" to close",
        [&] { return !box.window.Exists() || !box.window.IsVisible(); }, timeoutMs);
}

} // namespace e2e
