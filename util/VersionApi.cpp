#include "util/VersionApi.h"

#include "framework/SystemLibrary.h"

const VersionApi& Version() {
    static const CSystemLibrary library("version.dll");
    static const VersionApi api = [] {
        VersionApi a;
        a.ok = library.Bind(a.GetFileVersionInfoSizeA, "GetFileVersionInfoSizeA") &&
               library.Bind(a.GetFileVersionInfoA, "GetFileVersionInfoA") &&
               library.Bind(a.VerQueryValueA, "VerQueryValueA");
        return a;
    }();
    return api;
}
