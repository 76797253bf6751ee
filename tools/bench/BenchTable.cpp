#include "tools/bench/BenchTable.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace bench {

namespace {

std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return s;
}

const char* VerdictText(Verdict v) {
    switch (v) {
    case Verdict::Met:
        return "met";
    case Verdict::Missed:
        return "missed";
    default:
        return "";
    }
}

} // namespace

void CTable::Add(const std::string& benchmark, const std::string& measure, const std::string& figure,
                 const std::string& goal, Verdict verdict) {
    m_rows.push_back({benchmark, measure, figure, goal, verdict});
}

void CTable::AddAtMost(const std::string& benchmark, const std::string& measure, const std::string& figure,
                       double value, double bound, const std::string& goal) {
    Add(benchmark, measure, figure, goal, value <= bound ? Verdict::Met : Verdict::Missed);
}

void CTable::AddFailure(const std::string& benchmark, const std::string& measure, const std::string& why,
                        const std::string& goal) {
    Add(benchmark, measure, "not measured: " + why, goal, Verdict::Missed);
}

bool CTable::AppendTo(const std::string& path) const {
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f)
        return false;
    for (const CRow& r : m_rows)
        std::fprintf(f, "%s\t%s\t%s\t%s\t%s\n", OneLine(r.benchmark).c_str(), OneLine(r.measure).c_str(),
                     OneLine(r.figure).c_str(), OneLine(r.goal).c_str(), VerdictText(r.verdict));
    return std::fclose(f) == 0;
}

std::string Format(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

double Percentile(std::vector<double> samples, double p) {
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    // Nearest rank: the smallest sample with at least p % of the samples at or below it.
    size_t rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(samples.size())));
    rank = std::min(std::max<size_t>(rank, 1), samples.size());
    return samples[rank - 1];
}

double Median(std::vector<double> samples) {
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

double Max(const std::vector<double>& samples) {
    return samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
}

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / frequency;
}

} // namespace bench
