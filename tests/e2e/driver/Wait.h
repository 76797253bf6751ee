// Every wait of the driver polls a condition against a deadline; a wait that runs out throws
// CTimeoutError naming what did not happen, so a test fails with that text instead of hanging.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace e2e {

// Generous on purpose: a loaded machine running Wine can be slow, and a wait only costs time
// when something is already wrong.
constexpr DWORD kDefaultTimeoutMs = 20000;

class CTimeoutError : public std::runtime_error {
public:
    CTimeoutError(const std::string& what, DWORD timeoutMs);
};

// Polls cond every intervalMs until it returns true or timeoutMs have passed; returns whether
// it became true. The condition is asked once more at the deadline.
template <class Cond> bool PollUntil(Cond cond, DWORD timeoutMs = kDefaultTimeoutMs, DWORD intervalMs = 20) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (cond())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return cond();
        ::Sleep(intervalMs);
    }
}

// As PollUntil, but throws CTimeoutError("timed out after N ms waiting for " + what).
template <class Cond>
void WaitFor(const std::string& what, Cond cond, DWORD timeoutMs = kDefaultTimeoutMs, DWORD intervalMs = 20) {
    if (!PollUntil(cond, timeoutMs, intervalMs))
        throw CTimeoutError(what, timeoutMs);
}

} // namespace e2e
