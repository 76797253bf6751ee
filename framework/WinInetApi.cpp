#include "framework/WinInetApi.h"

#include "framework/SystemLibrary.h"

const WinInetApi& WinInet() {
    // Never unloaded: a download the user gave up may keep a thread inside the library until the
    // process ends, and that thread must never find the library gone.
    static const CSystemLibrary& library = *new CSystemLibrary("wininet.dll");
    static const WinInetApi api = [] {
        WinInetApi a;
        a.module = library.Get();
        a.ok = library.Bind(a.InternetCanonicalizeUrlA, "InternetCanonicalizeUrlA") &&
               library.Bind(a.InternetCrackUrlA, "InternetCrackUrlA") &&
               library.Bind(a.InternetOpenA, "InternetOpenA") &&
               library.Bind(a.InternetSetStatusCallbackA, "InternetSetStatusCallbackA") &&
               library.Bind(a.InternetSetOptionA, "InternetSetOptionA") &&
               library.Bind(a.InternetSetOptionExA, "InternetSetOptionExA") &&
               library.Bind(a.InternetQueryOptionA, "InternetQueryOptionA") &&
               library.Bind(a.InternetConnectA, "InternetConnectA") &&
               library.Bind(a.HttpOpenRequestA, "HttpOpenRequestA") &&
               library.Bind(a.HttpAddRequestHeadersA, "HttpAddRequestHeadersA") &&
               library.Bind(a.HttpSendRequestA, "HttpSendRequestA") &&
               library.Bind(a.HttpQueryInfoA, "HttpQueryInfoA") &&
               library.Bind(a.InternetReadFile, "InternetReadFile") &&
               library.Bind(a.InternetCloseHandle, "InternetCloseHandle");
        return a;
    }();
    return api;
}
