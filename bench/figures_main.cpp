// main() of a Google Benchmark program with figures: the benchmarks as usual, then the figures worked out
// from this very run (see figures.hpp).
#include <unistd.h>

#include <vector>

#include "figures.hpp"

namespace vantrel::bench {
namespace {

std::vector<FigureMaker>& Makers() {
    static std::vector<FigureMaker> makers;
    return makers;
}

// The usual console table, keeping every run for the figures.
class CollectingReporter : public benchmark::ConsoleReporter {
  public:
    explicit CollectingReporter(RunResults& results)
        : benchmark::ConsoleReporter(isatty(STDOUT_FILENO) != 0 ? OO_ColorTabular : OO_Tabular),
          results_(results) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            results_.Add(run);
        }
        benchmark::ConsoleReporter::ReportRuns(runs);
    }

  private:
    RunResults& results_;
};

}  // namespace

bool RegisterFigures(FigureMaker maker) {
    Makers().push_back(std::move(maker));
    return true;
}

}  // namespace vantrel::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    vantrel::bench::RunResults results;
    vantrel::bench::CollectingReporter reporter(results);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::vector<vantrel::bench::Figure> figures;
    for (const auto& maker : vantrel::bench::Makers()) {
        for (auto& figure : maker(results)) {
            figures.push_back(std::move(figure));
        }
    }
    vantrel::bench::ReportFigures(figures);
    return 0;
}
