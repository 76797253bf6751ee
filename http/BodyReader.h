// The body transfer loop of the HTTP client, free of the platform: it reads through a small
// source interface and sleeps, reports and asks for an abort through a hooks interface, so the
// end rules can be driven by a scripted source and a fake clock.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <string>

namespace http {

class IBodySource {
public:
    virtual ~IBodySource() = default;
    // Reads at most max bytes into buffer; false when the read failed.
    virtual bool Read(unsigned char* buffer, uint32_t max, uint32_t& received) = 0;
    // Whether the transport has reported the connection closed.
    virtual bool IsConnectionClosed() const = 0;
};

class IBodyHooks {
public:
    virtual ~IBodyHooks() = default;
    virtual void Sleep(uint32_t milliseconds) = 0;
    // After every read that delivered data; the body fields are current.
    virtual void OnData() = 0;
    // After every read that did not finish the transfer.
    virtual bool IsAbortRequested() = 0;
};

// A binary body on the C heap (malloc/free). A body of announced length gets its block at once;
// one of unknown length grows with spare capacity, so that a large download costs linear time.
// Finish hands back a block of exactly size bytes.
class CBinaryBody {
public:
    CBinaryBody() = default;
    ~CBinaryBody() { std::free(m_data); }
    CBinaryBody(const CBinaryBody&) = delete;
    CBinaryBody& operator=(const CBinaryBody&) = delete;

    // Makes room for bytes in one block; a hint that may fail without harm.
    void Reserve(uint32_t bytes);
    bool Append(const unsigned char* bytes, uint32_t count);
    // Shrinks to exactly size bytes (null for none) and gives the block to the caller.
    unsigned char* Finish();

    unsigned char* Data() const { return m_data; }
    uint32_t Size() const { return m_size; }
    uint32_t Capacity() const { return m_capacity; }

private:
    unsigned char* m_data = nullptr;
    uint32_t m_size = 0;
    uint32_t m_capacity = 0;
};

struct BodyRule {
    bool textMode = true;
    bool hasLength = false;
    uint32_t length = 0;
    uint32_t waitWithLength = 10000;
    uint32_t waitWithoutLength = 2000;
    uint32_t blockSize = 32768;
};

// Announced lengths above this pause 10 ms before every read, to leave the line to others.
constexpr uint32_t kPacedLength = 204800;
constexpr uint32_t kPacingMs = 10;
constexpr uint32_t kIdleWaitMs = 50;
// Announced lengths up to this get their whole block before the first read.
constexpr uint32_t kMaxReservation = 256u << 20;

// Reads the body: text mode appends each block up to its first zero byte to text, binary mode
// appends to binary. True when the body is complete; false when a read failed, the wait limit ran
// out or an abort was asked for. What arrived stays in text or binary either way.
bool ReadBodyLoop(IBodySource& source, IBodyHooks& hooks, const BodyRule& rule, std::string& text,
                  CBinaryBody& binary);

} // namespace http
