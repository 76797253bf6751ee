// The application object: single-instance check, then the main dialog as the program's only loop.
#pragma once

#include "framework/App.h"

class CLauncherApp : public CApp {
public:
    // Always false: the program ends when the dialog ends (or at once for a second copy).
    bool InitInstance() override;
};
