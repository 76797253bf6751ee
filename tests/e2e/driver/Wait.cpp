#include "tests/e2e/driver/Wait.h"

namespace e2e {

CTimeoutError::CTimeoutError(const std::string& what, DWORD timeoutMs)
    : std::runtime_error("timed out after " + std::to_string(timeoutMs) + " ms waiting for " + what) {}

} // namespace e2e
