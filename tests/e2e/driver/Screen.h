// Pixels as the display shows them, read from the screen (the program under test draws in its
// own process, so only the screen holds its pictures), and screenshots written as PNG files.
#pragma once

#include <windows.h>

#include <string>

#include "tests/e2e/driver/Png.h"
#include "tests/e2e/driver/Wait.h"

namespace e2e {

CImage CaptureScreen(const RECT& area);
// Captures until two captures in a row are equal, so that a window that is still painting is
// not taken half drawn; returns the last capture when the screen never settles.
CImage CaptureSettled(const RECT& area, DWORD timeoutMs = 3000);
RECT UnionOf(const RECT& a, const RECT& b);

void WritePng(const CImage& image, const std::string& path); // throws on failure
bool ReadPngFile(const std::string& path, CImage& image, std::string& error);

} // namespace e2e
