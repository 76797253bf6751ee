#include <windows.h>

#include "framework/App.h"
#include "framework/SystemLibrary.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything loads a DLL at run time: nothing may come from beside the program.
    RestrictDllSearchToSystemFolder();
    return CApp::Main(instance);
}
