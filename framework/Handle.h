// One movable, non-copyable owner for every kind of Windows handle. A kind is a traits type
// with its null value and its close function, so each handle type is a single alias below.
#pragma once

#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include "framework/TrustApi.h"
#include "framework/WinInetApi.h"

#include <utility>

template <class Traits> class CUniqueHandle {
public:
    using Type = typename Traits::Type;

    CUniqueHandle() noexcept : m_h(Traits::Null()) {}
    explicit CUniqueHandle(Type h) noexcept : m_h(h) {}
    ~CUniqueHandle() { Reset(); }

    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    Type Get() const noexcept { return m_h; }
    bool IsValid() const noexcept { return m_h != Traits::Null(); }
    explicit operator bool() const noexcept { return IsValid(); }

    Type Release() noexcept { return std::exchange(m_h, Traits::Null()); }
    void Reset(Type h = Traits::Null()) noexcept {
        Type old = std::exchange(m_h, h);
        if (old != Traits::Null())
            Traits::Close(old);
    }

private:
    Type m_h;
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Null() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};

// CreateFile and CreateToolhelp32Snapshot report failure as INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Null() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};

struct RegKeyTraits {
    using Type = HKEY;
    static Type Null() { return nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};

struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type Null() { return nullptr; }
    static void Close(Type h) { WinInet().InternetCloseHandle(h); }
};

struct LocalMemTraits {
    using Type = HLOCAL;
    static Type Null() { return nullptr; }
    static void Close(Type h) { ::LocalFree(h); }
};

struct ModuleTraits {
    using Type = HMODULE;
    static Type Null() { return nullptr; }
    static void Close(Type h) { ::FreeLibrary(h); }
};

struct CryptProvTraits {
    using Type = HCRYPTPROV;
    static Type Null() { return 0; }
    static void Close(Type h) { ::CryptReleaseContext(h, 0); }
};

struct CryptHashTraits {
    using Type = HCRYPTHASH;
    static Type Null() { return 0; }
    static void Close(Type h) { ::CryptDestroyHash(h); }
};

struct CertStoreTraits {
    using Type = HCERTSTORE;
    static Type Null() { return nullptr; }
    static void Close(Type h) { Trust().CertCloseStore(h, 0); }
};

struct ChainContextTraits {
    using Type = PCCERT_CHAIN_CONTEXT;
    static Type Null() { return nullptr; }
    static void Close(Type h) { Trust().CertFreeCertificateChain(h); }
};

struct IconTraits {
    using Type = HICON;
    static Type Null() { return nullptr; }
    static void Close(Type h) { ::DestroyIcon(h); }
};

using CModule = CUniqueHandle<ModuleTraits>;             // libraries loaded by hand
using CKernelHandle = CUniqueHandle<KernelHandleTraits>; // events, threads, processes
using CFileHandle = CUniqueHandle<FileHandleTraits>;     // files, toolhelp snapshots
using CRegKey = CUniqueHandle<RegKeyTraits>;
using CInternetHandle = CUniqueHandle<InternetHandleTraits>;
using CLocalMem = CUniqueHandle<LocalMemTraits>;
using CCryptProv = CUniqueHandle<CryptProvTraits>;
using CCryptHash = CUniqueHandle<CryptHashTraits>;
using CCertStore = CUniqueHandle<CertStoreTraits>;
using CCertChain = CUniqueHandle<ChainContextTraits>; // certificate chains built by hand
using CIcon = CUniqueHandle<IconTraits>; // icons loaded at a size of our own, never LR_SHARED
