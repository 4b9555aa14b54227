#include "figures.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace vantrel::bench {
namespace {

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

}  // namespace

std::string Verdict(const Figure& figure) {
    if (!figure.met) {
        return figure.target.empty() ? "-" : "not measured";
    }
    return *figure.met ? "met" : "NOT MET";
}

std::string FigureLine(const Figure& figure) {
    return OneLine(figure.name) + "\t" + OneLine(figure.value) + "\t" +
           OneLine(figure.target.empty() ? "-" : figure.target) + "\t" + Verdict(figure) + "\n";
}

void RunResults::Add(const benchmark::BenchmarkReporter::Run& run) {
    if (run.run_type == benchmark::BenchmarkReporter::Run::RT_Iteration && !run.error_occurred) {
        runs_[run.benchmark_name()].push_back(run);
    }
}

const benchmark::BenchmarkReporter::Run* RunResults::Find(const std::string& name) const {
    const auto found = runs_.find(name);
    return found == runs_.end() ? nullptr : &found->second.back();
}

std::vector<double> RunResults::CpuSecondsOfEach(const std::string& name) const {
    std::vector<double> seconds;
    const auto found = runs_.find(name);
    if (found != runs_.end()) {
        for (const auto& run : found->second) {
            if (run.iterations > 0) {
                seconds.push_back(run.cpu_accumulated_time / static_cast<double>(run.iterations));
            }
        }
    }
    return seconds;
}

std::optional<double> RunResults::RealSeconds(const std::string& name) const {
    const auto* run = Find(name);
    if (run == nullptr || run->iterations == 0) {
        return std::nullopt;
    }
    return run->real_accumulated_time / static_cast<double>(run->iterations);
}

std::optional<double> RunResults::CpuSeconds(const std::string& name) const {
    const auto* run = Find(name);
    if (run == nullptr || run->iterations == 0) {
        return std::nullopt;
    }
    return run->cpu_accumulated_time / static_cast<double>(run->iterations);
}

std::optional<double> RunResults::Counter(const std::string& name, const std::string& counter) const {
    const auto* run = Find(name);
    if (run == nullptr) {
        return std::nullopt;
    }
    const auto found = run->counters.find(counter);
    if (found == run->counters.end()) {
        return std::nullopt;
    }
    return found->second.value;
}

std::string Number(double value, int digits) {
    char text[64];
    if (!std::isfinite(value)) {
        return "n/a";
    }
    if (std::fabs(value) >= std::pow(10.0, digits)) {
        std::snprintf(text, sizeof text, "%.0f", value);
    } else {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
    }
    return text;
}

void ReportFigures(const std::vector<Figure>& figures) {
    if (figures.empty()) {
        return;
    }
    std::size_t nameWidth = 0;
    std::size_t valueWidth = 0;
    std::size_t targetWidth = 0;
    for (const Figure& figure : figures) {
        nameWidth = std::max(nameWidth, figure.name.size());
        valueWidth = std::max(valueWidth, figure.value.size());
        targetWidth = std::max(targetWidth, std::max<std::size_t>(1, figure.target.size()));
    }
    std::printf("\nFigures:\n");
    for (const Figure& figure : figures) {
        std::printf("  %-*s  %-*s  %-*s  %s\n", static_cast<int>(nameWidth), figure.name.c_str(),
                    static_cast<int>(valueWidth), figure.value.c_str(), static_cast<int>(targetWidth),
                    figure.target.empty() ? "-" : figure.target.c_str(), Verdict(figure).c_str());
    }
    std::fflush(stdout);
    const char* file = std::getenv("VANTREL_BENCH_FIGURES");
    if (file != nullptr && *file != '\0') {
        std::ofstream out(file, std::ios::app);
        for (const Figure& figure : figures) {
            out << FigureLine(figure);
        }
    }
}

}  // namespace vantrel::bench
