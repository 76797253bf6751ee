// The body transfer loop under a scripted transport: reads that deliver, come back empty or fail,
// connection-closed and connecting notifications, and abort answers, with a fake clock.
//
// Input: a flag byte (bit 0 text mode, bit 1 announced length, bits 2-3 length kind, bit 4 large
// block), a block size byte, the length (4 bytes), both wait limits (2 bytes each), then the
// script, one event per byte (low 3 bits), a data event followed by its count and its bytes.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "http/BodyReader.h"

using namespace http;

namespace {

// Script events; the low three bits of a byte pick one.
enum Event : uint8_t { Data, EmptyRead, Closed, Connecting, ReadFails, AbortNext, DataLarge, EmptyRead2 };

enum class ReadKind { None, Data, Empty, Failed };

struct Observed {
    size_t reads = 0;
    ReadKind last = ReadKind::None;
    bool closedAtLastRead = false;
    uint64_t delivered = 0;     // bytes the source put into the block and reported
    std::string expectedText;   // each block up to its first zero byte
    std::string expectedBinary; // every delivered byte
    int dataReads = 0;
    int onData = 0;
    int abortCalls = 0;
    bool lastAbortAnswer = false;
    bool readAfterAbortYes = false;
    int pacingSleeps = 0;
    int otherSleeps = 0;
    int idleRun = 0; // 50 ms sleeps since the last data read
    int maxIdleRun = 0;
    bool callAfterEnd = false;
};

class ScriptSource : public IBodySource {
public:
    ScriptSource(fuzz::Input& script, Observed& o, size_t readLimit, uint32_t expectedMax)
        : m_script(script), m_o(o), m_readLimit(readLimit), m_expectedMax(expectedMax) {}

    bool Read(unsigned char* buffer, uint32_t max, uint32_t& received) override {
        ++m_o.reads;
        // Termination: the loop may not read past the script plus one full idle wait.
        FUZZ_CHECK(m_o.reads <= m_readLimit);
        FUZZ_CHECK(max == m_expectedMax);
        // The block is zeroed before every read and keeps a zero byte behind the readable part.
        for (uint32_t i = 0; i <= max; i += (max <= 1024 || i < 256 || i + 1 >= max) ? 1 : 997)
            FUZZ_CHECK(buffer[i] == 0);
        FUZZ_CHECK(buffer[max] == 0);
        if (m_o.lastAbortAnswer)
            m_o.readAfterAbortYes = true;
        received = 0;
        for (;;) {
            if (m_script.Empty()) {
                return Record(ReadKind::Empty);
            }
            const uint8_t event = m_script.Byte() % 8;
            switch (event) {
            case Closed:
                m_closed = true;
                continue;
            case Connecting:
                m_closed = false;
                continue;
            case AbortNext:
                m_abortNext = true;
                continue;
            case EmptyRead:
            case EmptyRead2:
                return Record(ReadKind::Empty);
            case ReadFails:
                return Record(ReadKind::Failed);
            case Data:
            case DataLarge: {
                size_t want = m_script.Byte();
                if (event == DataLarge)
                    want *= 128;
                std::string bytes = m_script.Bytes(std::min<size_t>(want, max));
                std::memcpy(buffer, bytes.data(), bytes.size());
                received = static_cast<uint32_t>(bytes.size());
                Deliver(bytes);
                if (bytes.empty())
                    return Record(ReadKind::Empty);
                return Record(ReadKind::Data);
            }
            }
        }
    }

    bool IsConnectionClosed() const override { return m_closed; }

    bool TakeAbort() { return std::exchange(m_abortNext, false); }

private:
    void Deliver(const std::string& bytes) {
        m_o.delivered += bytes.size();
        m_o.expectedBinary += bytes;
        m_o.expectedText.append(bytes.c_str(), std::strlen(bytes.c_str()));
    }
    bool Record(ReadKind kind) {
        m_o.last = kind;
        m_o.closedAtLastRead = m_closed;
        if (kind == ReadKind::Data)
            ++m_o.dataReads;
        return kind != ReadKind::Failed;
    }

    fuzz::Input& m_script;
    Observed& m_o;
    size_t m_readLimit;
    uint32_t m_expectedMax;
    bool m_closed = false;
    bool m_abortNext = false;
};

// A source that reports more bytes than it was allowed to take; the loop must not trust it.
class OverReportingSource : public IBodySource {
public:
    explicit OverReportingSource(ScriptSource& inner) : m_inner(inner) {}
    bool Read(unsigned char* buffer, uint32_t max, uint32_t& received) override {
        bool ok = m_inner.Read(buffer, max, received);
        if (ok && received == max && max > 0)
            received = max + 1000;
        return ok;
    }
    bool IsConnectionClosed() const override { return m_inner.IsConnectionClosed(); }

private:
    ScriptSource& m_inner;
};

class FakeHooks : public IBodyHooks {
public:
    FakeHooks(Observed& o, ScriptSource& source, const CBinaryBody& binary, const std::string& text,
              bool textMode)
        : m_o(o), m_source(source), m_binary(binary), m_text(text), m_textMode(textMode) {}

    void Sleep(uint32_t ms) override {
        m_clock += ms;
        if (ms == kPacingMs) {
            ++m_o.pacingSleeps;
        } else {
            FUZZ_CHECK(ms == kIdleWaitMs);
            ++m_o.otherSleeps;
            m_o.maxIdleRun = std::max(m_o.maxIdleRun, ++m_o.idleRun);
        }
    }
    void OnData() override {
        ++m_o.onData;
        m_o.idleRun = 0;
        FUZZ_CHECK(m_o.last == ReadKind::Data);
        // The body fields are current when the progress hook runs.
        if (m_textMode)
            FUZZ_CHECK(m_text == m_o.expectedText && m_binary.Size() == 0);
        else
            FUZZ_CHECK(m_binary.Size() == m_o.expectedBinary.size());
    }
    bool IsAbortRequested() override {
        ++m_o.abortCalls;
        m_o.lastAbortAnswer = m_source.TakeAbort();
        return m_o.lastAbortAnswer;
    }

private:
    Observed& m_o;
    ScriptSource& m_source;
    const CBinaryBody& m_binary;
    const std::string& m_text;
    bool m_textMode;
    uint64_t m_clock = 0;
};

// An announced body asks for its whole block first: refused above 64 MiB, so that lengths up to
// 4 GiB stay inside the fuzzer's memory limit and the refusal is fuzzed too.
void* CappedRealloc(void* p, size_t n) {
    return n > (64u << 20) ? nullptr : std::realloc(p, n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const uint8_t flags = in.Byte();
    const uint8_t blockByte = in.Byte();
    const uint32_t lengthBits = in.U32();
    BodyRule rule;
    rule.textMode = flags & 1;
    rule.hasLength = flags & 2;
    switch ((flags >> 2) & 3) {
    case 0:
        rule.length = lengthBits & 0x3FF;
        break;
    case 1:
        rule.length = lengthBits;
        break;
    case 2:
        rule.length = 0;
        break;
    default:
        rule.length = kPacedLength + (lengthBits & 0x3FF); // around the pacing threshold
        break;
    }
    // Up to a little above the 10000 ms default, so one idle run is at most 257 reads.
    rule.waitWithLength = in.U16() % 12801;
    rule.waitWithoutLength = in.U16() % 12801;
    rule.blockSize = (flags & 16) ? 16384 : blockByte;
    const bool overReport = flags & 32;

    const bool bounded = rule.hasLength;
    const uint32_t waitLimit = bounded ? rule.waitWithLength : rule.waitWithoutLength;
    const uint32_t block = std::max<uint32_t>(rule.blockSize, 2);

    // Every script byte is at most one read; after the script, reads are empty, and a run of
    // empty reads ends after waitLimit / 50 + 1 waits.
    const size_t readLimit = in.Left() + waitLimit / kIdleWaitMs + 2;

    Observed o;
    ScriptSource script(in, o, readLimit, block - 1);
    OverReportingSource lying(script);
    std::string text;
    CBinaryBody binary(CappedRealloc);
    FakeHooks hooks(o, script, binary, text, rule.textMode);
    const bool ok = overReport ? ReadBodyLoop(lying, hooks, rule, text, binary)
                               : ReadBodyLoop(script, hooks, rule, text, binary);

    // Only the announced block can be refused here, and then nothing is read.
    if (binary.OutOfMemory()) {
        FUZZ_CHECK(!ok && !rule.textMode && bounded && o.reads == 0 && binary.Size() == 0);
        return 0;
    }

    // What the body holds is exactly what was read, never more.
    FUZZ_CHECK(text.find('\0') == std::string::npos);
    if (rule.textMode) {
        FUZZ_CHECK(binary.Size() == 0);
        FUZZ_CHECK(text == o.expectedText);
        FUZZ_CHECK(text.size() <= o.delivered);
    } else {
        FUZZ_CHECK(text.empty());
        FUZZ_CHECK(binary.Size() == o.delivered);
        FUZZ_CHECK(o.delivered == 0 ||
                   std::memcmp(binary.Data(), o.expectedBinary.data(), o.expectedBinary.size()) == 0);
        unsigned char* kept = binary.Finish();
        std::free(kept);
    }

    FUZZ_CHECK(o.onData == o.dataReads);
    FUZZ_CHECK(!o.readAfterAbortYes);
    FUZZ_CHECK(o.pacingSleeps == (rule.length > kPacedLength ? static_cast<int>(o.reads) : 0));
    FUZZ_CHECK(o.maxIdleRun <= static_cast<int>(waitLimit / kIdleWaitMs) + 1);

    // An announced length of 0 is complete without reading.
    if (bounded && rule.length == 0) {
        FUZZ_CHECK(ok && o.reads == 0 && o.onData == 0 && o.abortCalls == 0 && o.otherSleeps == 0);
        return 0;
    }
    FUZZ_CHECK(o.reads > 0);

    // How the loop ended decides the result.
    const bool complete = bounded && o.last == ReadKind::Data && o.delivered >= rule.length;
    const bool closed = !bounded && o.last == ReadKind::Empty && o.closedAtLastRead;
    const bool waitedOut =
        o.last == ReadKind::Empty && !closed && static_cast<uint64_t>(o.idleRun) * kIdleWaitMs > waitLimit;
    if (o.last == ReadKind::Failed) {
        FUZZ_CHECK(!ok);
        FUZZ_CHECK(o.abortCalls == static_cast<int>(o.reads) - 1);
    } else if (complete || closed) {
        FUZZ_CHECK(ok);
        FUZZ_CHECK(o.abortCalls == static_cast<int>(o.reads) - 1);
    } else if (o.lastAbortAnswer) {
        FUZZ_CHECK(!ok);
        FUZZ_CHECK(o.abortCalls == static_cast<int>(o.reads));
    } else {
        // The only other way out: the idle wait ran out, after exactly waitLimit / 50 + 1 waits.
        FUZZ_CHECK(!ok);
        FUZZ_CHECK(waitedOut);
        FUZZ_CHECK(o.idleRun == static_cast<int>(waitLimit / kIdleWaitMs) + 1);
        FUZZ_CHECK(o.abortCalls == static_cast<int>(o.reads) - 1);
    }
    return 0;
}
