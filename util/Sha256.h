// SHA-256 through the system's cryptography provider.
#pragma once

#include <array>
#include <cstddef>

#include "framework/Handle.h"

using Sha256Digest = std::array<unsigned char, 32>;

class CSha256 {
public:
    // False when the system offers no SHA-256 (before Windows XP SP3).
    bool Begin();
    bool Update(const void* data, size_t size);
    bool Finish(Sha256Digest& digest);

private:
    CCryptProv m_provider;
    CCryptHash m_hash;
};

// The digest of one block in memory.
bool Sha256Of(const void* data, size_t size, Sha256Digest& digest);
