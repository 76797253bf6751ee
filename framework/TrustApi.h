// The signature-checking functions, taken from the system folder's wintrust.dll and crypt32.dll at
// first use. Neither is among the DLLs the system protects from planting, so the elevated program
// never imports them (see SystemLibrary.h).
#pragma once

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>

struct TrustApi {
    decltype(&::WinVerifyTrust) WinVerifyTrust = nullptr;
    decltype(&::WTHelperProvDataFromStateData) WTHelperProvDataFromStateData = nullptr;
    decltype(&::WTHelperGetProvSignerFromChain) WTHelperGetProvSignerFromChain = nullptr;
    decltype(&::CertOpenStore) CertOpenStore = nullptr;
    decltype(&::CertAddStoreToCollection) CertAddStoreToCollection = nullptr;
    decltype(&::CertCloseStore) CertCloseStore = nullptr;
    decltype(&::CertGetCertificateChain) CertGetCertificateChain = nullptr;
    decltype(&::CertFreeCertificateChain) CertFreeCertificateChain = nullptr;
    decltype(&::CertGetEnhancedKeyUsage) CertGetEnhancedKeyUsage = nullptr;
    decltype(&::CertGetNameStringW) CertGetNameStringW = nullptr;
    bool ok = false;
};

// Loaded once per process and kept; ok is false when a DLL or one of its exports is missing.
const TrustApi& Trust();
