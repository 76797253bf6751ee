// A critical section that can be moved (its storage lives on the heap, so its address never
// changes while a thread may be inside it) and a scope lock for it.
#pragma once

#include <windows.h>

#include <memory>

class CCriticalSection {
public:
    CCriticalSection() : m_cs(new CRITICAL_SECTION) { ::InitializeCriticalSection(m_cs.get()); }
    ~CCriticalSection() {
        if (m_cs)
            ::DeleteCriticalSection(m_cs.get());
    }
    CCriticalSection(CCriticalSection&&) noexcept = default;
    CCriticalSection& operator=(CCriticalSection&& other) noexcept {
        if (this != &other) {
            if (m_cs)
                ::DeleteCriticalSection(m_cs.get());
            m_cs = std::move(other.m_cs);
        }
        return *this;
    }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter() { ::EnterCriticalSection(m_cs.get()); }
    void Leave() { ::LeaveCriticalSection(m_cs.get()); }

private:
    std::unique_ptr<CRITICAL_SECTION> m_cs;
};

class CScopedLock {
public:
    explicit CScopedLock(CCriticalSection& cs) : m_cs(cs) { m_cs.Enter(); }
    ~CScopedLock() { m_cs.Leave(); }
    CScopedLock(const CScopedLock&) = delete;
    CScopedLock& operator=(const CScopedLock&) = delete;

private:
    CCriticalSection& m_cs;
};
