// The control of the planted-DLL test: a program that imports version.dll and wininet.dll the
// ordinary way, by name in its import table. Started from the folder that holds the planted
// copies it must load them; if it does not, the test cannot tell anything apart.
#include <windows.h>
#include <wininet.h>
#include <winver.h>

int main() {
    char self[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(self, &handle);
    HINTERNET session = ::InternetOpenA("planted-control", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (session)
        ::InternetCloseHandle(session);
    return size == 0 && !session ? 3 : 0; // 3: both came from the planted copies (they fail)
}
