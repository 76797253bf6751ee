#include "worker/InstallerSignature.h"

#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>

#include <vector>

#include "framework/Handle.h"
#include "framework/Resources.h"
#include "framework/Text.h"
#include "framework/TrustApi.h"
#include "framework/Wide.h"
#include "util/StringIds.h"

#ifndef PLMO_INSTALLER_SIGNER
#define PLMO_INSTALLER_SIGNER L""
#endif

namespace {

// Revocation is not checked, and nothing is fetched to build a chain: the launcher runs on office
// networks that are offline or behind a proxy, where a lookup stalls for many seconds or fails
// for every installer. What stays strict is the chain itself, its usage and the pinned name.
constexpr DWORD kNoNetwork = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;

std::string Unchecked(DWORD code) {
    return text::Format(LoadResString(IDS_SIG_UNCHECKED).c_str(), text::Format("0x%08lX", code).c_str());
}

// One verification by the platform's trust provider; its state is released when this ends.
class CTrustVerification {
public:
    CTrustVerification(HANDLE file, const std::wstring& path) {
        m_file.cbStruct = sizeof m_file;
        m_file.pcwszFilePath = path.c_str();
        m_file.hFile = file;
        m_data.cbStruct = sizeof m_data;
        m_data.dwUIChoice = WTD_UI_NONE;
        m_data.fdwRevocationChecks = WTD_REVOKE_NONE;
        m_data.dwUnionChoice = WTD_CHOICE_FILE;
        m_data.pFile = &m_file;
        m_data.dwStateAction = WTD_STATEACTION_VERIFY;
        m_data.dwProvFlags = kNoNetwork;
        m_result = Trust().WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &m_action, &m_data);
    }
    ~CTrustVerification() {
        m_data.dwStateAction = WTD_STATEACTION_CLOSE;
        Trust().WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &m_action, &m_data);
    }
    CTrustVerification(const CTrustVerification&) = delete;
    CTrustVerification& operator=(const CTrustVerification&) = delete;

    LONG Result() const { return m_result; }
    CRYPT_PROVIDER_DATA* Provider() const {
        return Trust().WTHelperProvDataFromStateData(m_data.hWVTStateData);
    }

private:
    GUID m_action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO m_file{};
    WINTRUST_DATA m_data{};
    LONG m_result = 0;
};

// The reason for a verification result other than success.
std::string VerificationFailure(LONG result) {
    switch (static_cast<DWORD>(result)) {
    case static_cast<DWORD>(TRUST_E_NOSIGNATURE):
        return LoadResString(IDS_SIG_NONE);
    case static_cast<DWORD>(TRUST_E_BAD_DIGEST):
        return LoadResString(IDS_SIG_BAD_DIGEST);
    case static_cast<DWORD>(CERT_E_WRONG_USAGE):
        return LoadResString(IDS_SIG_NOT_CODE_SIGNING);
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
    case static_cast<DWORD>(CERT_E_CHAINING):
    case static_cast<DWORD>(CERT_E_EXPIRED):
    case static_cast<DWORD>(CERT_E_REVOKED):
    case static_cast<DWORD>(CERT_E_UNTRUSTEDTESTROOT):
    case static_cast<DWORD>(TRUST_E_EXPLICIT_DISTRUST):
    case static_cast<DWORD>(TRUST_E_CERT_SIGNATURE):
        return LoadResString(IDS_SIG_UNTRUSTED);
    default:
        return Unchecked(static_cast<DWORD>(result));
    }
}

bool HasCodeSigningUsage(PCCERT_CONTEXT cert) {
    DWORD size = 0;
    if (!Trust().CertGetEnhancedKeyUsage(cert, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, nullptr, &size) ||
        size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    auto* usage = reinterpret_cast<CERT_ENHKEY_USAGE*>(buffer.data());
    if (!Trust().CertGetEnhancedKeyUsage(cert, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, usage, &size))
        return false;
    for (DWORD i = 0; i < usage->cUsageIdentifier; ++i)
        if (std::string(usage->rgpszUsageIdentifier[i]) == szOID_PKIX_KP_CODE_SIGNING)
            return true;
    return false;
}

// The library's own Authenticode policy accepts, in some versions, a chain that stops at an
// issuer nobody knows; the chain is therefore built again here and must carry no error at all.
bool ChainIsTrusted(PCCERT_CONTEXT cert, const CRYPT_PROVIDER_DATA& provider, const FILETIME& verifyAsOf) {
    LPSTR usages[] = {const_cast<LPSTR>(szOID_PKIX_KP_CODE_SIGNING)};
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    // The certificates that came with the signature (the intermediates a publisher includes) may
    // complete the chain; the verification keeps them in its stores.
    CCertStore extra(Trust().CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr));
    if (!extra)
        return false;
    for (DWORD i = 0; i < provider.chStores; ++i)
        Trust().CertAddStoreToCollection(extra.Get(), provider.pahStores[i], 0, 0);
    // At the signature's time stamp when it has one, else now: as the trust provider judged it.
    FILETIME when = verifyAsOf;
    const bool hasTime = when.dwLowDateTime != 0 || when.dwHighDateTime != 0;
    // The machine's engine: a root that the user put into their own store, as any program of the
    // user can without asking, must not make a publisher for this elevated program.
    PCCERT_CHAIN_CONTEXT raw = nullptr;
    if (!Trust().CertGetCertificateChain(HCCE_LOCAL_MACHINE, cert, hasTime ? &when : nullptr, extra.Get(), &para,
                                         CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL, nullptr, &raw))
        return false;
    CCertChain chain(raw);
    return chain.Get()->TrustStatus.dwErrorStatus == CERT_TRUST_NO_ERROR;
}

std::wstring SimpleName(PCCERT_CONTEXT cert) {
    DWORD n = Trust().CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
    if (n <= 1)
        return std::wstring();
    std::wstring name(n, L'\0');
    n = Trust().CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, &name[0], n);
    name.resize(n > 0 ? n - 1 : 0);
    return name;
}

} // namespace

const std::wstring& InstallerSignerPin() {
    // Wide from the source on, so that a name in any script matches on any system code page.
    static const std::wstring pin = PLMO_INSTALLER_SIGNER;
    return pin;
}

bool CheckInstallerSigner(HANDLE file, const std::string& path, const std::wstring& signerPin,
                          std::string& error) {
    if (!Trust().ok) {
        error = Unchecked(ERROR_MOD_NOT_FOUND);
        return false;
    }
    const std::wstring widePath = Widen(path);
    CTrustVerification verification(file, widePath);
    if (verification.Result() != ERROR_SUCCESS) {
        error = VerificationFailure(verification.Result());
        return false;
    }
    CRYPT_PROVIDER_DATA* provider = verification.Provider();
    CRYPT_PROVIDER_SGNR* signer =
        provider ? Trust().WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    if (!signer || signer->csCertChain == 0 || !signer->pasCertChain[0].pCert) {
        error = LoadResString(IDS_SIG_NONE);
        return false;
    }
    PCCERT_CONTEXT cert = signer->pasCertChain[0].pCert;
    if (!HasCodeSigningUsage(cert)) {
        error = LoadResString(IDS_SIG_NOT_CODE_SIGNING);
        return false;
    }
    if (!ChainIsTrusted(cert, *provider, signer->sftVerifyAsOf)) {
        error = LoadResString(IDS_SIG_UNTRUSTED);
        return false;
    }
    const std::wstring name = SimpleName(cert);
    if (signerPin.empty() || name != signerPin) {
        error = text::Format(LoadResString(IDS_SIG_PUBLISHER).c_str(), Narrow(name).c_str());
        return false;
    }
    return true;
}

std::string SignatureRefusalText(const std::string& fileName, const std::string& reason) {
    return text::Format(LoadResString(IDS_ERR_SIGNATURE).c_str(), fileName.c_str(), reason.c_str());
}
