#pragma once

// The figures of a benchmark program: the numbers the summary table of `./dev bench` shows, each worked out
// from the results of one run (a ratio of two benchmarks measured side by side, a median, a throughput),
// with its target and whether the run met it.
//
// A benchmark program links figures.cpp, which holds its main(): it runs the benchmarks chosen on the
// command line, prints Google Benchmark's table, then works out and prints the figures of every maker
// registered with VANTREL_FIGURES. When VANTREL_BENCH_FIGURES names a file, the figures are also appended
// to it, one per line: name TAB value TAB target TAB verdict.

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::bench {

struct Figure {
    std::string name;
    std::string value;
    std::string target;       // empty when the figure is only reported
    std::optional<bool> met;  // nullopt when there is no target, or it could not be measured
};

// The verdict column: "met", "NOT MET", "not measured", or "-" for a figure without a target.
std::string Verdict(const Figure& figure);

// One figure line as appended to the figures file (TABs and line ends inside a field become blanks).
std::string FigureLine(const Figure& figure);

// The benchmarks of this run, by full name ("NmeaReader/captures/4096").
class RunResults {
  public:
    void Add(const benchmark::BenchmarkReporter::Run& run);

    // Nullptr when the benchmark did not run (filtered out) or failed.
    [[nodiscard]] const benchmark::BenchmarkReporter::Run* Find(const std::string& name) const;
    // Seconds per iteration, real (wall-clock) or CPU time of the benchmark's thread.
    [[nodiscard]] std::optional<double> RealSeconds(const std::string& name) const;
    [[nodiscard]] std::optional<double> CpuSeconds(const std::string& name) const;
    [[nodiscard]] std::optional<double> Counter(const std::string& name, const std::string& counter) const;
    // CPU seconds per iteration of every repetition of a benchmark run with Repetitions(n) (Google Benchmark
    // names it "<name>/repeats:n", with "/min_time:..." before that when one is set), in the order they
    // ran; empty when it did not run. Find and the others above give the last repetition.
    [[nodiscard]] std::vector<double> CpuSecondsOfEach(const std::string& name) const;

  private:
    std::map<std::string, std::vector<benchmark::BenchmarkReporter::Run>> runs_;
};

// Works out figures from the run; a maker leaves out the figures whose benchmarks did not run.
using FigureMaker = std::function<std::vector<Figure>(const RunResults&)>;

bool RegisterFigures(FigureMaker maker);

// Prints the figures under the heading "Figures:" and appends them to the file VANTREL_BENCH_FIGURES names,
// if any.
void ReportFigures(const std::vector<Figure>& figures);

// Number text for the table: `digits` significant digits, no exponent for everyday magnitudes.
std::string Number(double value, int digits = 3);

}  // namespace vantrel::bench

#define VANTREL_FIGURES_CONCAT2(a, b) a##b
#define VANTREL_FIGURES_CONCAT(a, b) VANTREL_FIGURES_CONCAT2(a, b)
// Registers a figure maker of this program (at namespace scope).
#define VANTREL_FIGURES(maker)                                                               \
    [[maybe_unused]] static const bool VANTREL_FIGURES_CONCAT(figuresRegistered, __LINE__) = \
        ::vantrel::bench::RegisterFigures(maker)
