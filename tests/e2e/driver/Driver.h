// The end-to-end driver: starts PLMOInstApp as built, finds its windows, reads and operates its
// controls and message boxes from outside its process, captures the screen and stands in for
// the network on 127.0.0.1. Everything that waits polls against a deadline and throws
// CTimeoutError (or std::runtime_error) with a message that names what did not happen.
#pragma once

#include "tests/e2e/driver/AppProcess.h"
#include "tests/e2e/driver/Launcher.h"
#include "tests/e2e/driver/LoopbackHttp.h"
#include "tests/e2e/driver/MessageBox.h"
#include "tests/e2e/driver/Paths.h"
#include "tests/e2e/driver/Png.h"
#include "tests/e2e/driver/RemoteWindow.h"
#include "tests/e2e/driver/Screen.h"
#include "tests/e2e/driver/Wait.h"
