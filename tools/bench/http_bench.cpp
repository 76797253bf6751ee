// Download cost of HttpGetBinary against the loopback server: wall time against the pacing floor
// (reads x 10 ms), the CPU time it took and the process's peak memory, for growing body sizes.
// With PLMO_BENCH_BIG=1 also a 600 MiB body and the largest body this process can take (built
// large-address-aware, as the program is); those take many minutes, as the pacing makes them.
//
//   http_bench.exe TABLE.tsv OUTDIR
#include <windows.h>
#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "http/BodyReader.h"
#include "http/HttpAccess.h"
#include "tests/win/support/LoopbackServer.h"
#include "tools/bench/BenchTable.h"

namespace {

class CCountingAccess : public CHttpAccess {
public:
    void OnProgress(DWORD, DWORD) override { ++dataReads; }
    int IsAbortRequested() override {
        ++unfinishedReads;
        return 0;
    }
    // Every read but the last is followed by the abort question.
    unsigned Reads() const { return unfinishedReads + 1; }
    unsigned dataReads = 0;
    unsigned unfinishedReads = 0;
};

double Now() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

PROCESS_MEMORY_COUNTERS_EX MemoryEx() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    return pmc;
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc;
}

double MiB(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// User and kernel time of this process so far, in milliseconds.
double CpuMs() {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

// One paced download of a big announced body: whether it came back whole (else why not), its
// time against the pacing floor and the process's peak memory above what it held before. The
// peak working set stands for the private bytes: the body is written through, so every page of
// it is in the working set, and a reallocation that copies holds both blocks there at once.
// Under Wine the private-bytes counters follow the address space Wine reserved, not the heap.
struct CBigRun {
    bool ok = false;
    std::string why;
    double wall = 0, floor = 0, workingSetAbove = 0, privateAbove = 0;
};

CBigRun BigDownload(CLoopbackServer& server, uint32_t size) {
    ScriptedResponse r;
    r.headers = {"Content-Type: application/octet-stream", "Content-Length: " + std::to_string(size)};
    r.generatedBytes = size;
    r.generatedBlock = 1u << 20;
    server.Enqueue(r);
    CBigRun run;
    const PROCESS_MEMORY_COUNTERS_EX before = MemoryEx();
    {
        CCountingAccess h;
        h.SetUserAgent("korvenalis-installapp [pc]");
        h.SetReadBufferSize(16384);
        const double start = Now();
        run.ok = h.HttpGetBinary(server.Url("/big.bin").c_str(), nullptr, nullptr);
        run.wall = Now() - start;
        run.floor = h.Reads() * static_cast<double>(http::kPacingMs);
        if (!run.ok)
            run.why = "failed after " + std::to_string(h.m_dwDataSize) + " bytes: " +
                      (h.m_strError.empty() ? "status " + std::to_string(h.m_dwStatusCode) : h.m_strError);
        else if (h.m_dwDataSize != size)
            run.why = "gave " + std::to_string(h.m_dwDataSize) + " bytes";
        for (DWORD i = 0; run.ok && run.why.empty() && i < h.m_dwDataSize; i += 4093)
            if (h.m_pData[i] != PatternByte(i))
                run.why = "the body came back wrong";
        run.ok = run.ok && run.why.empty();
    }
    const PROCESS_MEMORY_COUNTERS_EX after = MemoryEx();
    run.privateAbove = MiB(after.PeakPagefileUsage) - MiB(before.PrivateUsage);
    run.workingSetAbove = MiB(after.PeakWorkingSetSize) - MiB(before.WorkingSetSize);
    return run;
}

// The largest announced length, in MiB, whose whole block the body reader could have now.
uint32_t LargestReservableMiB() {
    uint32_t lo = 0, hi = 4095;
    while (lo < hi) {
        const uint32_t mid = (lo + hi + 1) / 2;
        void* p = std::malloc(http::AnnouncedReservation(mid << 20, 16384));
        std::free(p);
        if (p)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

void BigBodies(bench::CTable& table, CLoopbackServer& server) {
    const std::string benchmark = "1b big body";
    const uint32_t mib = 600;
    CBigRun run = BigDownload(server, mib << 20);
    std::printf("600 MiB: %s, %.0f ms, floor %.0f ms, peak working set +%.1f MiB (private counter +%.1f MiB)\n",
                run.ok ? "whole" : run.why.c_str(), run.wall, run.floor, run.workingSetAbove, run.privateAbove);
    if (!run.ok) {
        table.AddFailure(benchmark, "600 MiB: downloads", run.why, "succeeds");
    } else {
        table.Add(benchmark, "600 MiB: downloads", "whole", "succeeds", bench::Verdict::Met);
        table.AddAtMost(benchmark, "600 MiB: peak memory (working set) above the start",
                        bench::Format("%.1f MiB", run.workingSetAbove), run.workingSetAbove, mib + 8.0,
                        "<= 608 MiB (body + 8)");
        table.AddAtMost(benchmark, "600 MiB: wall / pacing floor",
                        bench::Format("%.3f (%.0f ms / %.0f ms)", run.wall / run.floor, run.wall, run.floor),
                        run.wall / run.floor, 1.05, "<= 1.05");
    }
    // The reservation is the body's only large block, so the largest one the process can have
    // bounds the largest body; one download just below it shows that the rest fits too.
    const uint32_t largest = LargestReservableMiB();
    const uint32_t tried = largest > 8 ? largest - 8 : 0;
    run = BigDownload(server, tried << 20);
    std::printf("largest block %u MiB; a %u MiB download: %s (%.0f ms)\n", largest, tried,
                run.ok ? "whole" : run.why.c_str(), run.wall);
    table.Add(benchmark, "largest body",
              bench::Format("%u MiB %s (largest block to be had: %u MiB)", tried,
                            run.ok ? "downloads whole" : ("fails: " + run.why).c_str(), largest));
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 3) {
        std::printf("usage: http_bench TABLE.tsv OUTDIR\n");
        return 2;
    }
    const std::string benchmark = "1 download cost";
    bench::CTable table;
    CLoopbackServer server;
    if (!server.Start()) {
        std::printf("loopback server did not start\n");
        table.AddFailure(benchmark, "HttpGetBinary", "the loopback server did not start", "");
        table.AppendTo(argv[1]);
        return 1;
    }
    FILE* csv = std::fopen((std::string(argv[2]) + "\\http_download.csv").c_str(), "wb");
    if (csv)
        std::fprintf(csv, "size_mib,wall_ms,reads,floor_ms,ratio,above_floor_pct,engine_pct,sleep_ms,cpu_ms,"
                          "peak_working_set_mib,base_working_set_mib,peak_private_mib,ok\n");

    // What one pacing pause costs on this system, to tell the sleeps' own overshoot from the
    // engine's work per read.
    const double sleepStart = Now();
    for (int i = 0; i < 200; ++i)
        ::Sleep(http::kPacingMs);
    const double sleepMs = (Now() - sleepStart) / 200;

    // One small download first, unmeasured: the first request of a process loads the internet
    // library and its dependencies (some 14 MiB of working set under Wine), which is no cost of
    // any one download.
    {
        ScriptedResponse warm = ScriptedResponse::Ok(std::string(65536, 'w'), "application/octet-stream");
        server.Enqueue(warm);
        CCountingAccess h;
        h.SetReadBufferSize(16384);
        if (!h.HttpGetBinary(server.Url("/warm.bin").c_str(), nullptr, nullptr))
            std::printf("the warm-up download failed: %s\n", h.m_strError.c_str());
    }
    const PROCESS_MEMORY_COUNTERS base = Memory();
    std::printf("%8s %10s %7s %10s %7s %8s %10s %8s %12s %12s\n", "size", "wall ms", "reads", "floor ms",
                "ratio", "above %", "engine %", "cpu ms", "peak ws", "ws - base");
    bool allOk = true;
    double previousWall = 0;
    for (unsigned mib : {1u, 16u, 64u}) {
        const uint64_t size = static_cast<uint64_t>(mib) << 20;
        ScriptedResponse r;
        r.headers = {"Content-Type: application/octet-stream", "Content-Length: " + std::to_string(size)};
        r.generatedBytes = size;
        server.Enqueue(r);

        bool ok;
        double wall, cpu;
        unsigned reads;
        const double cpuStart = CpuMs();
        {
            CCountingAccess h;
            h.SetUserAgent("korvenalis-installapp [pc]");
            h.SetReadBufferSize(16384);
            const double start = Now();
            ok = h.HttpGetBinary(server.Url("/bench.bin").c_str(), nullptr, nullptr);
            wall = Now() - start;
            reads = h.Reads();
            cpu = CpuMs() - cpuStart;
            ok = ok && h.m_dwDataSize == size;
            for (DWORD i = 0; ok && i < h.m_dwDataSize; ++i)
                ok = h.m_pData[i] == PatternByte(i);
        }
        const PROCESS_MEMORY_COUNTERS m = Memory();
        const double floor = reads * static_cast<double>(http::kPacingMs);
        const double ratio = wall / floor;
        // The engine's share: wall time beyond what the pauses themselves took.
        const double engine = (wall - reads * sleepMs) / floor * 100;
        const double aboveBase = MiB(m.PeakWorkingSetSize) - MiB(base.WorkingSetSize);
        std::printf("%5u MiB %10.0f %7u %10.0f %7.3f %7.1f%% %9.1f%% %8.0f %8.1f MiB %8.1f MiB%s\n", mib,
                    wall, reads, floor, ratio, (ratio - 1) * 100, engine, cpu, MiB(m.PeakWorkingSetSize),
                    aboveBase, ok ? "" : "  BODY WRONG");
        if (csv)
            std::fprintf(csv, "%u,%.0f,%u,%.0f,%.4f,%.2f,%.2f,%.3f,%.1f,%.1f,%.1f,%.1f,%d\n", mib, wall,
                         reads, floor, ratio, (ratio - 1) * 100, engine, sleepMs, cpu,
                         MiB(m.PeakWorkingSetSize), MiB(base.WorkingSetSize), MiB(m.PeakPagefileUsage),
                         ok ? 1 : 0);

        const std::string label = bench::Format("%u MiB", mib);
        if (!ok) {
            table.AddFailure(benchmark, label + ": wall / pacing floor", "the body came back wrong",
                             "<= 1.05");
        } else {
            table.AddAtMost(benchmark, label + ": wall / pacing floor",
                            bench::Format("%.3f (%.0f ms / %u reads x %u ms = %.0f ms; CPU %.0f ms)", ratio,
                                          wall, reads, http::kPacingMs, floor, cpu),
                            ratio, 1.05, "<= 1.05");
            // The peak of the whole process: it only grows, so each size is held to its own body.
            table.AddAtMost(benchmark, label + ": peak working set above the start",
                            bench::Format("%.1f MiB", aboveBase), aboveBase, mib + 8.0,
                            bench::Format("<= %u MiB (body + 8)", mib + 8));
        }
        if (previousWall > 0 && mib == 64) {
            std::printf("          64 MiB / 16 MiB time: %.2f\n", wall / previousWall);
            table.AddAtMost(benchmark, "64 MiB time / 16 MiB time",
                            bench::Format("%.2f", wall / previousWall), wall / previousWall, 4.4, "<= 4.4");
        }
        previousWall = wall;
        allOk = allOk && ok;
    }
    if (const char* big = std::getenv("PLMO_BENCH_BIG"); big && std::string(big) == "1")
        BigBodies(table, server);
    std::printf("one Sleep(%u) takes %.3f ms here; working set before the downloads %.1f MiB "
                "(peak private bytes %.1f MiB)\n",
                http::kPacingMs, sleepMs, MiB(base.WorkingSetSize), MiB(Memory().PeakPagefileUsage));
    if (csv)
        std::fclose(csv);
    server.Stop();
    if (!table.AppendTo(argv[1]))
        return 1;
    return allOk ? 0 : 1;
}
