#include "tests/e2e/driver/Screen.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace e2e {

namespace {

struct DcReleaser {
    void operator()(HDC dc) const { ::ReleaseDC(nullptr, dc); }
};
struct DcDeleter {
    void operator()(HDC dc) const { ::DeleteDC(dc); }
};
struct ObjectDeleter {
    void operator()(HBITMAP b) const { ::DeleteObject(b); }
};
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

} // namespace

CImage CaptureScreen(const RECT& area) {
    CImage image;
    image.width = area.right - area.left;
    image.height = area.bottom - area.top;
    if (image.width <= 0 || image.height <= 0)
        throw std::runtime_error("empty capture area");

    std::unique_ptr<HDC__, DcReleaser> screen(::GetDC(nullptr));
    std::unique_ptr<HDC__, DcDeleter> mem(::CreateCompatibleDC(screen.get()));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = image.width;
    bi.bmiHeader.biHeight = -image.height; // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    std::unique_ptr<HBITMAP__, ObjectDeleter> dib(
        ::CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!screen || !mem || !dib || !bits)
        throw std::runtime_error("cannot set up a screen capture");
    HGDIOBJ old = ::SelectObject(mem.get(), dib.get());
    const BOOL copied = ::BitBlt(mem.get(), 0, 0, image.width, image.height, screen.get(), area.left,
                                 area.top, SRCCOPY | CAPTUREBLT);
    ::GdiFlush();
    ::SelectObject(mem.get(), old);
    if (!copied)
        throw std::runtime_error("BitBlt from the screen failed");

    const auto* bgra = static_cast<const uint8_t*>(bits);
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    for (size_t i = 0, n = static_cast<size_t>(image.width) * image.height; i < n; ++i) {
        image.rgb[i * 3] = bgra[i * 4 + 2];
        image.rgb[i * 3 + 1] = bgra[i * 4 + 1];
        image.rgb[i * 3 + 2] = bgra[i * 4];
    }
    return image;
}

CImage CaptureSettled(const RECT& area, DWORD timeoutMs) {
    CImage last = CaptureScreen(area);
    PollUntil(
        [&] {
            CImage next = CaptureScreen(area);
            const bool same = next.rgb == last.rgb;
            last = std::move(next);
            return same;
        },
        timeoutMs, 150);
    return last;
}

RECT UnionOf(const RECT& a, const RECT& b) {
    RECT r{};
    ::UnionRect(&r, &a, &b);
    return r;
}

void WritePng(const CImage& image, const std::string& path) {
    const std::vector<uint8_t> bytes = EncodePng(image);
    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size())
        throw std::runtime_error("cannot write " + path);
}

bool ReadPngFile(const std::string& path, CImage& image, std::string& error) {
    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f.get())) > 0;)
        bytes.insert(bytes.end(), buf, buf + n);
    return DecodeStoredPng(bytes, image, error);
}

} // namespace e2e
