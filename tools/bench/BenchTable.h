// The rows a benchmark contributes to the one table make bench prints: what was measured, the
// figure, the goal beside it and whether the figure meets it. Each program appends its rows to
// one tab-separated file; tools/bench.sh prints them together and turns them into CSV.
#pragma once

#include <string>
#include <vector>

namespace bench {

enum class Verdict { None, Met, Missed };

struct CRow {
    std::string benchmark; // "1 download cost", ...
    std::string measure;   // what the figure is
    std::string figure;    // the value with its unit and context
    std::string goal;      // empty where the figure is context only
    Verdict verdict = Verdict::None;
};

class CTable {
public:
    void Add(const std::string& benchmark, const std::string& measure, const std::string& figure,
             const std::string& goal = std::string(), Verdict verdict = Verdict::None);
    // A figure against an upper bound: met when value <= bound.
    void AddAtMost(const std::string& benchmark, const std::string& measure, const std::string& figure,
                   double value, double bound, const std::string& goal);
    // A figure that could not be taken: the goal stays beside it and the verdict is missed.
    void AddFailure(const std::string& benchmark, const std::string& measure, const std::string& why,
                    const std::string& goal);
    // Appends the rows to path (tabs and line breaks inside fields become spaces); false on failure.
    bool AppendTo(const std::string& path) const;
    const std::vector<CRow>& Rows() const { return m_rows; }

private:
    std::vector<CRow> m_rows;
};

// printf into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The median and the p-th percentile (nearest rank, p in 0..100) of samples; 0 for none.
double Median(std::vector<double> samples);
double Percentile(std::vector<double> samples, double p);
double Max(const std::vector<double>& samples);

double NowMs(); // QueryPerformanceCounter in milliseconds

} // namespace bench
