#include "util/Sha256.h"

#include <algorithm>

bool CSha256::Begin() {
    m_hash.Reset();
    m_provider.Reset();
    HCRYPTPROV provider = 0;
    if (!::CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES,
                                CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
        return false;
    m_provider.Reset(provider);
    HCRYPTHASH hash = 0;
    if (!::CryptCreateHash(m_provider.Get(), CALG_SHA_256, 0, 0, &hash))
        return false;
    m_hash.Reset(hash);
    return true;
}

bool CSha256::Update(const void* data, size_t size) {
    const BYTE* p = static_cast<const BYTE*>(data);
    while (size > 0) {
        const DWORD block = static_cast<DWORD>(std::min<size_t>(size, 0x40000000u));
        if (!m_hash || !::CryptHashData(m_hash.Get(), p, block, 0))
            return false;
        p += block;
        size -= block;
    }
    return m_hash.IsValid();
}

bool CSha256::Finish(Sha256Digest& digest) {
    DWORD length = static_cast<DWORD>(digest.size());
    return m_hash && ::CryptGetHashParam(m_hash.Get(), HP_HASHVAL, digest.data(), &length, 0) &&
           length == digest.size();
}

bool Sha256Of(const void* data, size_t size, Sha256Digest& digest) {
    CSha256 sha;
    return sha.Begin() && sha.Update(data, size) && sha.Finish(digest);
}
