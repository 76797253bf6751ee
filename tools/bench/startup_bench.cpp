// Start-up of the program as built, from CreateProcess to its main dialog shown and answering,
// beside a minimal dialog program built the same way (bench_floor.exe) as the floor; and the size
// of the program's file.
//
//   startup_bench.exe TABLE.tsv OUTDIR
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/e2e/driver/Driver.h"
#include "tools/bench/BenchTable.h"

using namespace bench;
using namespace e2e;

namespace {

constexpr int kStarts = 10;
constexpr double kSizeGoal = 1.5 * 1024 * 1024;

// Milliseconds from just before CreateProcess until an unowned dialog of that caption is visible
// and answers WM_NULL; the process is ended again before returning.
double StartOnce(const std::string& exe, const std::string& caption) {
    CStartOptions options;
    options.exePath = exe;
    const double start = NowMs();
    CAppProcess app(options);
    for (;;) {
        for (const CRemoteWindow& w : app.TopLevelWindows(true)) {
            if (w.Owner() || w.ClassName() != "#32770" || w.Caption() != caption)
                continue;
            DWORD_PTR result = 0;
            if (::SendMessageTimeoutA(w.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) {
                const double ms = NowMs() - start;
                app.Terminate();
                return ms;
            }
        }
        if (!app.IsRunning())
            throw std::runtime_error(exe + " ended before its dialog was shown");
        if (NowMs() - start > 30000)
            throw std::runtime_error(exe + " showed no dialog \"" + caption + "\" within 30 s");
        ::Sleep(1);
    }
}

std::string Figure(const std::vector<double>& s) {
    return Format("median %.0f ms (n=%u, min %.0f, max %.0f)", Median(s), static_cast<unsigned>(s.size()),
                  Percentile(s, 0), Max(s));
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 3) {
        std::printf("usage: startup_bench TABLE.tsv OUTDIR\n");
        return 2;
    }
    const std::string benchmark = "6 start-up";
    const std::string program = BuiltProgramPath();
    const std::string floor = ProgramDir() + "bench_floor.exe";
    CTable table;
    std::vector<double> ours, floors;
    FILE* csv = std::fopen((std::string(argv[2]) + "\\startup_samples.csv").c_str(), "wb");
    if (csv)
        std::fprintf(csv, "program,sample,ms\n");
    try {
        // One of each first, unmeasured: the first start also warms the file cache.
        StartOnce(program, "PLMOInstApp");
        StartOnce(floor, "PLMOBenchFloor");
        for (int i = 0; i < kStarts; ++i) {
            // In turn, the one that goes first changing each time.
            for (int side = 0; side < 2; ++side) {
                if ((side == 0) == (i % 2 == 0))
                    ours.push_back(StartOnce(program, "PLMOInstApp"));
                else
                    floors.push_back(StartOnce(floor, "PLMOBenchFloor"));
                ::Sleep(100);
            }
        }
        const double ratio = Median(ours) / Median(floors);
        table.Add(benchmark, "PLMOInstApp.exe: start to dialog shown and answering", Figure(ours));
        table.Add(benchmark, "floor: minimal dialog program, same toolchain and manifest", Figure(floors));
        table.AddAtMost(benchmark, "PLMOInstApp / floor", Format("%.2f", ratio), ratio, 1.5, "<= 1.5");
    } catch (const std::exception& e) {
        table.AddFailure(benchmark, "start to dialog shown and answering", e.what(), "<= 1.5 x floor");
    }
    if (csv) {
        for (unsigned i = 0; i < ours.size(); ++i)
            std::fprintf(csv, "PLMOInstApp,%u,%.1f\n", i, ours[i]);
        for (unsigned i = 0; i < floors.size(); ++i)
            std::fprintf(csv, "floor,%u,%.1f\n", i, floors[i]);
        std::fclose(csv);
    }

    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExA(program.c_str(), GetFileExInfoStandard, &data)) {
        const double size = static_cast<double>(data.nFileSizeLow);
        table.AddAtMost(benchmark, "size of the static PLMOInstApp.exe",
                        Format("%.2f MiB (%lu bytes)", size / 1048576, data.nFileSizeLow), size, kSizeGoal,
                        "<= 1.5 MiB");
    } else {
        table.AddFailure(benchmark, "size of the static PLMOInstApp.exe", "cannot read " + program,
                         "<= 1.5 MiB");
    }
    for (const CRow& r : table.Rows())
        std::printf("%s | %s | %s | %s\n", r.benchmark.c_str(), r.measure.c_str(), r.figure.c_str(),
                    r.goal.c_str());
    return table.AppendTo(argv[1]) ? 0 : 1;
}
