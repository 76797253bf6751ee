#include "framework/TrustApi.h"

#include "framework/SystemLibrary.h"

const TrustApi& Trust() {
    static const CSystemLibrary wintrust("wintrust.dll");
    static const CSystemLibrary crypt32("crypt32.dll");
    static const TrustApi api = [] {
        TrustApi a;
        a.ok = wintrust.Bind(a.WinVerifyTrust, "WinVerifyTrust") &&
               wintrust.Bind(a.WTHelperProvDataFromStateData, "WTHelperProvDataFromStateData") &&
               wintrust.Bind(a.WTHelperGetProvSignerFromChain, "WTHelperGetProvSignerFromChain") &&
               crypt32.Bind(a.CertOpenStore, "CertOpenStore") &&
               crypt32.Bind(a.CertAddStoreToCollection, "CertAddStoreToCollection") &&
               crypt32.Bind(a.CertCloseStore, "CertCloseStore") &&
               crypt32.Bind(a.CertGetCertificateChain, "CertGetCertificateChain") &&
               crypt32.Bind(a.CertFreeCertificateChain, "CertFreeCertificateChain") &&
               crypt32.Bind(a.CertGetEnhancedKeyUsage, "CertGetEnhancedKeyUsage") &&
               crypt32.Bind(a.CertGetNameStringW, "CertGetNameStringW");
        return a;
    }();
    return api;
}
