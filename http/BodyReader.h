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

// The C heap's realloc, or a stand-in for it in tests; its blocks go back through std::free.
using ReallocFn = void* (*)(void*, size_t);

// Room an unannounced body may take beyond the bytes it holds: below this the body doubles, so a
// large download still costs linear time; above it, each step adds at most this much. In a 32-bit
// process the spare room of a doubling step is what runs out first.
constexpr uint32_t kMaxGrowthSlack = 32u << 20;

// The capacity for needed bytes when size bytes are held in capacity: doubling, but never more
// than size + kMaxGrowthSlack, and never less than needed.
uint32_t GrownCapacity(uint32_t capacity, uint32_t size, uint32_t needed);

// The block an announced body gets before its first read: the length, and room for the last read
// to run past it (reads take at most blockSize - 1 bytes), so that it never has to grow.
uint32_t AnnouncedReservation(uint32_t length, uint32_t blockSize);

// A binary body on the C heap. Finish hands back a block of exactly size bytes.
class CBinaryBody {
public:
    explicit CBinaryBody(ReallocFn reallocate = std::realloc) : m_realloc(reallocate) {}
    ~CBinaryBody() { std::free(m_data); }
    CBinaryBody(const CBinaryBody&) = delete;
    CBinaryBody& operator=(const CBinaryBody&) = delete;

    // Makes room for bytes in one block; false when the memory is not there.
    bool Reserve(uint32_t bytes);
    // False when the memory is not there (or the size would pass 4 GiB); the body stays as it was.
    bool Append(const unsigned char* bytes, uint32_t count);
    // Shrinks to exactly size bytes (null for none) and gives the block to the caller.
    unsigned char* Finish();

    unsigned char* Data() const { return m_data; }
    uint32_t Size() const { return m_size; }
    uint32_t Capacity() const { return m_capacity; }
    // Whether a reservation or an append found no memory.
    bool OutOfMemory() const { return m_bOutOfMemory; }

private:
    bool Resize(uint32_t capacity);

    ReallocFn m_realloc;
    unsigned char* m_data = nullptr;
    uint32_t m_size = 0;
    uint32_t m_capacity = 0;
    bool m_bOutOfMemory = false;
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

// Reads the body: text mode appends each block up to its first zero byte to text, binary mode
// appends to binary. True when the body is complete; false when a read failed, the wait limit ran
// out, an abort was asked for or the binary body found no memory (binary.OutOfMemory() tells).
// A binary body of announced length fails before its first read when its block cannot be had: it
// has to fit whole in the end. What arrived stays in text or binary either way.
bool ReadBodyLoop(IBodySource& source, IBodyHooks& hooks, const BodyRule& rule, std::string& text,
                  CBinaryBody& binary);

} // namespace http
