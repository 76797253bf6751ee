#include "http/BodyReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace http {

uint32_t GrownCapacity(uint32_t capacity, uint32_t size, uint32_t needed) {
    const uint32_t doubled = capacity > UINT32_MAX / 2 ? UINT32_MAX : capacity * 2;
    const uint32_t capped = size > UINT32_MAX - kMaxGrowthSlack ? UINT32_MAX : size + kMaxGrowthSlack;
    return std::max(needed, std::min(doubled, capped));
}

uint32_t AnnouncedReservation(uint32_t length, uint32_t blockSize) {
    const uint32_t overrun = std::max<uint32_t>(blockSize, 2) - 1;
    return length > UINT32_MAX - overrun ? UINT32_MAX : length + overrun;
}

bool CBinaryBody::Resize(uint32_t capacity) {
    void* p = m_realloc(m_data, capacity);
    if (!p) {
        m_bOutOfMemory = true;
        return false;
    }
    m_data = static_cast<unsigned char*>(p);
    m_capacity = capacity;
    return true;
}

bool CBinaryBody::Reserve(uint32_t bytes) {
    return bytes <= m_capacity || Resize(bytes);
}

bool CBinaryBody::Append(const unsigned char* bytes, uint32_t count) {
    if (count > UINT32_MAX - m_size) {
        m_bOutOfMemory = true;
        return false;
    }
    const uint32_t needed = m_size + count;
    if (needed > m_capacity && !Resize(GrownCapacity(m_capacity, m_size, needed)))
        return false;
    std::memcpy(m_data + m_size, bytes, count);
    m_size = needed;
    return true;
}

unsigned char* CBinaryBody::Finish() {
    if (m_size == 0) {
        std::free(m_data);
        m_data = nullptr;
    } else if (m_size < m_capacity) {
        if (void* p = m_realloc(m_data, m_size))
            m_data = static_cast<unsigned char*>(p);
    }
    m_capacity = 0;
    m_size = 0;
    return std::exchange(m_data, nullptr);
}

bool ReadBodyLoop(IBodySource& source, IBodyHooks& hooks, const BodyRule& rule, std::string& text,
                  CBinaryBody& binary) {
    // A read must be able to take at least one byte and still leave the block's last byte zero.
    const uint32_t blockSize = std::max<uint32_t>(rule.blockSize, 2);
    std::vector<unsigned char> block(blockSize, 0);

    if (rule.hasLength && rule.length == 0)
        return true;
    const bool bounded = rule.hasLength;
    if (bounded && !rule.textMode && !binary.Reserve(AnnouncedReservation(rule.length, blockSize)))
        return false;
    const uint64_t waitLimit = bounded ? rule.waitWithLength : rule.waitWithoutLength;

    uint32_t total = 0;
    uint64_t idle = 0;
    for (;;) {
        std::fill(block.begin(), block.end(), 0);
        if (rule.length > kPacedLength)
            hooks.Sleep(kPacingMs);

        uint32_t n = 0;
        if (!source.Read(block.data(), blockSize - 1, n))
            return false;
        n = std::min(n, blockSize - 1);

        if (n > 0) {
            if (rule.textMode) {
                const unsigned char* end = std::find(block.data(), block.data() + n, 0);
                text.append(reinterpret_cast<const char*>(block.data()), end - block.data());
            } else if (!binary.Append(block.data(), n)) {
                return false;
            }
            total = n > UINT32_MAX - total ? UINT32_MAX : total + n;
            idle = 0;
            hooks.OnData();
            if (bounded && total >= rule.length)
                return true;
        } else {
            if (!bounded && source.IsConnectionClosed())
                return true;
            if (kIdleWaitMs * idle > waitLimit)
                return false;
            hooks.Sleep(kIdleWaitMs);
            ++idle;
        }
        if (hooks.IsAbortRequested())
            return false;
    }
}

} // namespace http
