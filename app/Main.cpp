#include <windows.h>

#include "framework/App.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return CApp::Main(instance);
}
