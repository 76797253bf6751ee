#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

#include "http/BodyReader.h"

using namespace http;

namespace {

// Scripted reads: each step delivers its bytes, fails, or (empty) delivers nothing. After the
// script, every read is empty. closedAfter: the connection counts as closed from that read on.
struct Step {
    std::string bytes;
    bool fail = false;
};

class ScriptedSource : public IBodySource {
public:
    std::deque<Step> script;
    size_t closedAfterReads = SIZE_MAX;
    size_t reads = 0;
    std::vector<uint32_t> maxAsked;

    bool Read(unsigned char* buffer, uint32_t max, uint32_t& received) override {
        ++reads;
        maxAsked.push_back(max);
        received = 0;
        if (script.empty())
            return true;
        Step s = script.front();
        script.pop_front();
        if (s.fail)
            return false;
        EXPECT_LE(s.bytes.size(), max);
        std::memcpy(buffer, s.bytes.data(), s.bytes.size());
        received = static_cast<uint32_t>(s.bytes.size());
        return true;
    }
    bool IsConnectionClosed() const override { return reads >= closedAfterReads; }
};

class FakeHooks : public IBodyHooks {
public:
    std::vector<uint32_t> sleeps;
    uint64_t clock = 0;
    int dataCalls = 0;
    int abortAfterCalls = -1;
    int abortCalls = 0;
    std::vector<uint32_t> binarySizes;
    const CBinaryBody* binary = nullptr;

    void Sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        clock += ms;
    }
    void OnData() override {
        ++dataCalls;
        if (binary)
            binarySizes.push_back(binary->Size());
    }
    bool IsAbortRequested() override { return ++abortCalls == abortAfterCalls; }
    size_t Count(uint32_t ms) const { return std::count(sleeps.begin(), sleeps.end(), ms); }
};

// The C heap, refusing blocks above limit; remembers the largest block asked for.
size_t g_limit = SIZE_MAX;
size_t g_largest = 0;
void* LimitedRealloc(void* p, size_t n) {
    g_largest = std::max(g_largest, n);
    return n > g_limit ? nullptr : std::realloc(p, n);
}

BodyRule Rule(bool textMode, bool hasLength, uint32_t length, uint32_t block = 32768) {
    BodyRule r;
    r.textMode = textMode;
    r.hasLength = hasLength;
    r.length = length;
    r.blockSize = block;
    return r;
}

} // namespace

TEST(BodyReader, AnnouncedEmptyBodyIsCompleteWithoutReading) {
    ScriptedSource src;
    FakeHooks hooks;
    std::string text;
    CBinaryBody bin;
    EXPECT_TRUE(ReadBodyLoop(src, hooks, Rule(false, true, 0), text, bin));
    EXPECT_EQ(src.reads, 0u);
    EXPECT_EQ(hooks.dataCalls, 0);
    EXPECT_EQ(bin.Size(), 0u);
}

TEST(BodyReader, OneBlockOfTheAnnouncedLengthEndsAtOnce) {
    ScriptedSource src;
    src.script.push_back({std::string(1000, 'x')});
    FakeHooks hooks;
    std::string text;
    CBinaryBody bin;
    hooks.binary = &bin;
    EXPECT_TRUE(ReadBodyLoop(src, hooks, Rule(false, true, 1000), text, bin));
    EXPECT_EQ(hooks.binarySizes, std::vector<uint32_t>{1000});
    EXPECT_EQ(src.reads, 1u);
    EXPECT_EQ(hooks.abortCalls, 0); // the finishing read is not followed by the abort question
    EXPECT_EQ(src.maxAsked[0], 32767u);
    EXPECT_EQ(bin.Capacity(), 1000u + 32767u); // the one allocation: the length and one read more
    unsigned char* p = bin.Finish();
    EXPECT_EQ(p[999], 'x');
    std::free(p);
}

TEST(BodyReader, MoreThanAnnouncedIsNotReadFurther) {
    ScriptedSource src;
    src.script.push_back({"abcdef"});
    src.script.push_back({"more"});
    FakeHooks hooks;
    std::string text;
    CBinaryBody bin;
    EXPECT_TRUE(ReadBodyLoop(src, hooks, Rule(true, true, 4), text, bin));
    EXPECT_EQ(text, "abcdef");
    EXPECT_EQ(src.reads, 1u);
}

TEST(BodyReader, BoundedBodyFailsAfter201WaitsKeepingThePart) {
    ScriptedSource src;
    src.script.push_back({std::string(600, 'a')});
    FakeHooks hooks;
    std::string text;
    CBinaryBody bin;
    EXPECT_FALSE(ReadBodyLoop(src, hooks, Rule(false, true, 1000), text, bin));
    EXPECT_EQ(hooks.Count(50), 201u);
    EXPECT_EQ(hooks.clock, 10050u);
    EXPECT_EQ(src.reads, 1u + 202u);
    EXPECT_EQ(bin.Size(), 600u);
    std::free(bin.Finish());
}

TEST(BodyReader, UnboundedOpenConnectionFailsOnThe42ndEmptyReadWithTheBodyKept) {
    ScriptedSource src;
    src.script.push_back({"whole body"});
    FakeHooks hooks;
    std::string text;
    CBinaryBody bin;
    EXPECT_FALSE(ReadBodyLoop(src, hooks, Rule(true, false, 0), text, bin));
    EXPECT_EQ(hooks.Count(50), 41u);
    EXPECT_EQ(hooks.clock, 2050u);
    EXPECT_EQ(src.reads, 1u + 42u);
    EXPECT_EQ(text, "whole body");
}

TEST(BodyReader, UnboundedEndsWhenTheConnectionIsReportedClosed) {
    ScriptedSource src;
    src.script.push_back({"abc"});
    src.script.push_back({""});
    src.script.push_back({"def"});
    src.closedAfterReads = 4; // closed before the 4th read comes back empty
    FakeHooks hooks;
    std::string text;
    CBinaryBody bin;
    EXPECT_TRUE(ReadBodyLoop(src, hooks, Rule(true, false, 0), text, bin));
    EXPECT_EQ(text, "abcdef");
    EXPECT_EQ(hooks.Count(50), 1u);
    // A bounded body ignores the notification and waits for its length.
    ScriptedSource src2;
    src2.closedAfterReads = 0;
    FakeHooks hooks2;
    std::string text2;
    CBinaryBody bin2;
    BodyRule r = Rule(true, true, 10);
    r.waitWithLength = 100;
    EXPECT_FALSE(ReadBodyLoop(src2, hooks2, r, text2, bin2));
    EXPECT_EQ(hooks2.Count(50), 3u);
}

TEST(BodyReader, IdleCountRestartsAfterData) {
    ScriptedSource src;
    for (int i = 0; i < 30; ++i)
        src.script.push_back({""});
    src.script.push_back({"x"});
    FakeHooks hooks;
    std::string text;
    CBinaryBody bin;
    EXPECT_FALSE(ReadBodyLoop(src, hooks, Rule(true, false, 0), text, bin));
    EXPECT_EQ(hooks.Count(50), 30u + 41u);
    EXPECT_EQ(text, "x");
}

TEST(BodyReader, TextModeStopsEachBlockAtItsFirstZeroByte) {
    ScriptedSource src;
    src.script.push_back({std::string("ab\0cd", 5)});
    src.script.push_back({"ef"});
    FakeHooks hooks;
    std::string text;
    CBinaryBody bin;
    EXPECT_TRUE(ReadBodyLoop(src, hooks, Rule(true, true, 7), text, bin));
    EXPECT_EQ(text, "abef");
    EXPECT_EQ(hooks.dataCalls, 2);
    EXPECT_EQ(bin.Size(), 0u); // text mode leaves the binary count at 0 for the progress hook
}

TEST(BodyReader, BinaryModeKeepsZeroBytesAndReadsOneByteLessThanTheBlock) {
    ScriptedSource src;
    src.script.push_back({std::string("a\0b", 3)});
    src.script.push_back({std::string("\0\0", 2)});
    FakeHooks hooks;
    std::string text;
    CBinaryBody bin;
    hooks.binary = &bin;
    EXPECT_TRUE(ReadBodyLoop(src, hooks, Rule(false, true, 5, 16), text, bin));
    EXPECT_EQ(hooks.binarySizes, (std::vector<uint32_t>{3, 5}));
    EXPECT_EQ(src.maxAsked, (std::vector<uint32_t>{15, 15}));
    unsigned char* p = bin.Finish();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p), 5), std::string("a\0b\0\0", 5));
    std::free(p);
}

TEST(BodyReader, AbortAfterTheFirstBlockKeepsIt) {
    ScriptedSource src;
    src.script.push_back({"first"});
    src.script.push_back({"second"});
    FakeHooks hooks;
    hooks.abortAfterCalls = 1;
    std::string text;
    CBinaryBody bin;
    EXPECT_FALSE(ReadBodyLoop(src, hooks, Rule(false, true, 100), text, bin));
    EXPECT_EQ(bin.Size(), 5u);
    EXPECT_EQ(src.reads, 1u);
    std::free(bin.Finish());
}

TEST(BodyReader, AbortIsAlsoAskedAfterAnEmptyRead) {
    ScriptedSource src;
    FakeHooks hooks;
    hooks.abortAfterCalls = 3;
    std::string text;
    CBinaryBody bin;
    EXPECT_FALSE(ReadBodyLoop(src, hooks, Rule(true, false, 0), text, bin));
    EXPECT_EQ(src.reads, 3u);
}

TEST(BodyReader, AFailedReadEndsWithWhatArrived) {
    ScriptedSource src;
    src.script.push_back({"part"});
    src.script.push_back({"", true});
    FakeHooks hooks;
    std::string text;
    CBinaryBody bin;
    EXPECT_FALSE(ReadBodyLoop(src, hooks, Rule(true, true, 100), text, bin));
    EXPECT_EQ(text, "part");
}

TEST(BodyReader, LargeAnnouncedBodiesPauseBeforeEveryRead) {
    ScriptedSource src;
    src.script.push_back({std::string(100, 'a')});
    src.script.push_back({""});
    src.script.push_back({std::string(100, 'b')});
    FakeHooks hooks;
    std::string text;
    CBinaryBody bin;
    BodyRule r = Rule(false, true, 204801, 128);
    r.length = 200; // the announced length decides, so check both sides of the limit
    EXPECT_TRUE(ReadBodyLoop(src, hooks, r, text, bin));
    EXPECT_EQ(hooks.Count(10), 0u);
    std::free(bin.Finish());

    ScriptedSource big;
    big.script.push_back({std::string(100, 'a')});
    big.script.push_back({""});
    FakeHooks hooks2;
    CBinaryBody bin2;
    BodyRule r2 = Rule(false, true, 204801, 128);
    r2.waitWithLength = 0;
    EXPECT_FALSE(ReadBodyLoop(big, hooks2, r2, text, bin2));
    // read, read(empty, wait), read(empty, give up): three reads, three pauses first.
    EXPECT_EQ(hooks2.sleeps, (std::vector<uint32_t>{10, 10, 50, 10}));
    std::free(bin2.Finish());
}

TEST(BinaryBody, FinishGivesAnExactBlockOrNull) {
    CBinaryBody b;
    EXPECT_EQ(b.Finish(), nullptr);
    b.Reserve(5000);
    EXPECT_EQ(b.Capacity(), 5000u);
    EXPECT_EQ(b.Size(), 0u);
    std::string chunk(1000, 'z');
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(b.Append(reinterpret_cast<const unsigned char*>(chunk.data()), 1000));
    EXPECT_EQ(b.Size(), 100000u);
    EXPECT_GE(b.Capacity(), 100000u);
    EXPECT_LE(b.Capacity(), 200000u);
    unsigned char* p = b.Finish();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[99999], 'z');
    std::free(p);
    EXPECT_EQ(b.Size(), 0u);
}

TEST(BinaryBody, GrowthNeverAsksForMoreThanTheBodyAndItsBound) {
    // Reads of 16383 bytes (the download worker's block) until the body is in.
    const uint32_t read = 16383;
    const struct {
        bool announced;
        uint32_t size;
        uint32_t largest; // bound of the largest block
        int steps;        // bound of the reallocations
    } cases[] = {
        {true, 600u << 20, (600u << 20) + read, 0},
        {true, 3000000000u, 3000000000u + read, 0},
        {false, 600u << 20, (600u << 20) + kMaxGrowthSlack, 30},
        {false, 5000000, 2 * 5000000, 10},
    };
    for (const auto& c : cases) {
        uint32_t capacity = c.announced ? AnnouncedReservation(c.size, read + 1) : 0, largest = capacity;
        int steps = 0;
        for (uint32_t held = 0; held < c.size;) {
            const uint32_t needed = held + std::min(read, c.size - held);
            if (needed > capacity) {
                capacity = GrownCapacity(capacity, held, needed);
                EXPECT_LE(capacity, held + std::max(kMaxGrowthSlack, needed - held)) << c.size;
                ++steps;
            }
            largest = std::max(largest, capacity);
            held = needed;
        }
        EXPECT_LE(largest, c.largest) << c.size;
        EXPECT_LE(steps, c.steps) << c.size;
    }
}

TEST(BodyReader, ABinaryBodyWithoutMemoryFailsAndSaysSo) {
    // Announced: the block for the whole body is asked for first, and its refusal ends it unread.
    g_limit = 64u << 20;
    g_largest = 0;
    ScriptedSource src;
    FakeHooks hooks;
    std::string text;
    CBinaryBody bin(LimitedRealloc);
    EXPECT_FALSE(ReadBodyLoop(src, hooks, Rule(false, true, 600u << 20, 16384), text, bin));
    EXPECT_TRUE(bin.OutOfMemory());
    EXPECT_EQ(src.reads, 0u);
    EXPECT_EQ(g_largest, (600u << 20) + 16383u);

    // Unannounced: growth that finds no memory ends the transfer, keeping what was in.
    g_limit = 16;
    ScriptedSource src2;
    src2.script = {{std::string(10, 'a')}, {std::string(10, 'b')}};
    CBinaryBody bin2(LimitedRealloc);
    EXPECT_FALSE(ReadBodyLoop(src2, hooks, Rule(false, false, 0), text, bin2));
    EXPECT_TRUE(bin2.OutOfMemory());
    EXPECT_EQ(bin2.Size(), 10u);
    g_limit = SIZE_MAX;
}
