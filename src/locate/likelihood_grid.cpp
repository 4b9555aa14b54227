#include "locate/likelihood_grid.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <system_error>
#include <thread>

namespace vantrel::locate {
namespace {

// One term added to the cells of one row: the inner loop of both AddBearing and Recompute, so that the two
// add in the same order with the same arithmetic. Without a branch, so it vectorises: at the station itself
// the numerator is exactly 0 and the distance is floored at the smallest normal number, so the term is 0
// there; a distance below that floor (under 1e-154 m) only shrinks a term whose size stays below 1.
//
// On x86-64 Linux the loop is built twice, for AVX2 (four cells at a time) and for the baseline SSE2 (two),
// and the processor's best is chosen when the program starts. Without FMA both do the same correctly
// rounded operations, so the results agree to the bit.
// Not under the sanitizers: the choice runs before their run-time is set up, and crashes it.
#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
#define VANTREL_GRID_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VANTREL_GRID_CLONES
#endif
VANTREL_GRID_CLONES void AddTermToRow(const GridFrame& frame, const GridTerm& term, int row, double* values) {
    constexpr double kFloor = std::numeric_limits<double>::min();
    // Locals, so the stores into `values` cannot be taken to change them.
    const double size = frame.size, c = term.cosTheta, weight = term.weight;
    const double dy = frame.CentreY(row) - term.y;
    const double dy2 = dy * dy;
    const double along = term.sinTheta * dy;
    const double x0 = frame.CentreX(0) - term.x;
    const int columns = frame.columns;
    for (int i = 0; i < columns; ++i) {
        const double dx = x0 + i * size;
        const double squared = dx * dx + dy2;
        const double d2 =
            squared > kFloor ? squared : kFloor;  // a select the vectoriser takes, unlike std::max
        values[i] += weight * ((c * dx + along) / std::sqrt(d2));
    }
}

void ComputeRows(const GridFrame& frame, std::span<const GridTerm> terms, int firstRow, int endRow,
                 double* values, const std::stop_token& stop) {
    for (int row = firstRow; row < endRow && !stop.stop_requested(); ++row) {
        double* rowValues = values + static_cast<std::size_t>(row) * static_cast<std::size_t>(frame.columns);
        std::fill(rowValues, rowValues + frame.columns, 0.0);
        for (const GridTerm& term : terms) {
            AddTermToRow(frame, term, row, rowValues);
        }
    }
}

// The kappa of every bearing the estimator used: the sigmas' when every bearing has one, else kappa-hat.
std::optional<std::vector<double>> KappasUsed(std::span<const Bearing> bearings, const Fix& fix,
                                              const Options& options) {
    std::vector<double> kappas;
    for (const Bearing& b : bearings) {
        const std::optional<double> sigma = b.sigmaDeg ? b.sigmaDeg : options.sigmaDeg;
        if (!sigma) {
            if (!fix.kappaHat) {
                return std::nullopt;
            }
            return std::vector<double>(bearings.size(), *fix.kappaHat);
        }
        kappas.push_back(KappaFromSigma(*sigma));
    }
    return kappas;
}

}  // namespace

core::Result<std::vector<GridTerm>> TermsOfFix(std::span<const Bearing> bearings, const Outcome& outcome,
                                               const Options& options) {
    if (!outcome.fix) {
        return core::Result<std::vector<GridTerm>>::Fail("no fix (" +
                                                         std::string(ReasonText(outcome.reason)) + ")");
    }
    const Fix& fix = *outcome.fix;
    if (fix.bearings.size() != bearings.size()) {
        return core::Result<std::vector<GridTerm>>::Fail("the fix was made from other bearings");
    }
    const auto kappas = KappasUsed(bearings, fix, options);
    if (!kappas) {
        return core::Result<std::vector<GridTerm>>::Fail(
            "the spread of its bearings is unknown (two bearings without a sigma)");
    }
    std::vector<GridTerm> terms;
    terms.reserve(bearings.size());
    for (std::size_t i = 0; i < bearings.size(); ++i) {
        const double radians = bearings[i].bearingDeg * std::numbers::pi / 180;
        // theta = 90 deg - b: cos theta = sin b, sin theta = cos b.
        terms.push_back(GridTerm{bearings[i].x, bearings[i].y, std::sin(radians), std::cos(radians),
                                 (*kappas)[i] * fix.bearings[i].weight});
    }
    return terms;
}

GridFrame FrameOver(double minX, double minY, double maxX, double maxY, int columns, int rows) {
    GridFrame frame;
    frame.columns = std::max(columns, 2);
    frame.rows = std::max(rows, 2);
    frame.size = std::max((maxX - minX) / frame.columns, (maxY - minY) / frame.rows);
    if (!(frame.size > 0)) {
        frame.size = 1;
    }
    frame.minX = (minX + maxX) / 2 - frame.size * frame.columns / 2;
    frame.minY = (minY + maxY) / 2 - frame.size * frame.rows / 2;
    return frame;
}

LikelihoodGrid::LikelihoodGrid(const GridFrame& frame) : frame_(frame), logLikelihood_(frame.Cells(), 0.0) {}

void LikelihoodGrid::AddBearing(const GridTerm& term) {
    for (int row = 0; row < frame_.rows; ++row) {
        AddTermToRow(
            frame_, term, row,
            logLikelihood_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(frame_.columns));
    }
}

bool LikelihoodGrid::Recompute(std::span<const GridTerm> terms, unsigned threads, std::stop_token stop) {
    if (threads == 0) {
        threads = std::max(1U, std::thread::hardware_concurrency());
    }
    const int bands = static_cast<int>(std::min<unsigned>(threads, static_cast<unsigned>(frame_.rows)));
    double* values = logLikelihood_.data();
    {
        std::vector<std::jthread> workers;
        workers.reserve(static_cast<std::size_t>(bands));
        // Band b holds rows [b rows / bands, (b + 1) rows / bands): disjoint, so no two workers share a cell.
        // A band whose thread cannot be started (the system is out of threads) is done here, after band 0.
        int firstOwnRow = frame_.rows;
        for (int band = 1; band < bands; ++band) {
            const int first = band * frame_.rows / bands;
            const int end = (band + 1) * frame_.rows / bands;
            try {
                workers.emplace_back([this, terms, first, end, values, stop] {
                    ComputeRows(frame_, terms, first, end, values, stop);
                });
            } catch (const std::system_error&) {
                firstOwnRow = first;
                break;
            }
        }
        ComputeRows(frame_, terms, 0, frame_.rows / bands, values, stop);
        ComputeRows(frame_, terms, firstOwnRow, frame_.rows, values, stop);
    }  // the workers are joined here
    return !stop.stop_requested();
}

std::optional<Density> DensityOf(const LikelihoodGrid& grid) {
    const std::vector<double>& values = grid.Values();
    if (values.empty()) {
        return std::nullopt;
    }
    const double top = *std::max_element(values.begin(), values.end());
    if (!std::isfinite(top) ||
        !std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); })) {
        return std::nullopt;
    }
    Density density;
    density.frame = grid.Frame();
    density.p.resize(values.size());
    double sum = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        density.p[i] = std::exp(values[i] - top);
        sum += density.p[i];
    }
    for (double& p : density.p) {
        p /= sum;
    }
    density.logNormaliser = top + std::log(sum);
    std::vector<double> sorted = density.p;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    density.peak = sorted.front();
    double mass = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        mass += sorted[i];
        if (density.cells50 == 0 && mass >= 0.5) {
            density.cells50 = i + 1;
            density.level50 = sorted[i];
        }
        if (mass >= 0.95) {
            density.cells95 = i + 1;
            density.level95 = sorted[i];
            break;
        }
    }
    if (density.cells95 == 0) {  // rounding kept the sum a hair below 0.95: every cell
        density.cells95 = sorted.size();
        density.level95 = sorted.back();
    }
    return density;
}

}  // namespace vantrel::locate
