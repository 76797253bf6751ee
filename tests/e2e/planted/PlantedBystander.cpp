// A program that imports nothing but the system's own DLLs (kernel32, user32). Started from the
// folder with the planted copies, it shows what the system brings in from there by itself at
// start, before any line of a program runs: nothing on Windows, version.dll under Wine with
// native-first overrides (Wine's user32.dll imports it by name).
#include <windows.h>

int main() {
    return ::GetSystemMetrics(SM_CXSCREEN) > 0 ? 0 : 1;
}
