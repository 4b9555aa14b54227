#pragma once

// The likelihood of a fox's position over a plane box, cell by cell: what the bearings say everywhere, not
// only at the fix. L(p) = sum k_i w_i cos(theta_i - mu_i(p)) with the kappas k_i and the robust weights w_i
// the estimator used for the fox's fix (TermsOfFix); P = exp(L - Lmax) normalised to sum to 1 over the
// grid; the highest-density regions holding 50 % and 95 % of P, their outlines and their areas.
//
// Plane and angles as in locate.hpp: x = easting, y = northing, metres; theta_i = 90 deg - bearing. With
// X = x - x_i, Y = y - y_i and d = sqrt(X^2 + Y^2): cos(theta_i - mu_i) = (X cos theta_i + Y sin theta_i) /
// d, so each cell costs one square root and one division per bearing and no trigonometric call. A cell centre
// exactly on a station (d = 0) has no direction to that station: the term counts 0 there, the mean of the
// cosine over every direction, so L stays finite and the station's cell neither wins nor loses by it.
//
// Values are at cell centres: cell (column i, row j) has its centre at (minX + (i + 1/2) size,
// minY + (j + 1/2) size); row 0 is the southern edge, rows run north; storage is row by row.
//
// Threads: a LikelihoodGrid is owned by one thread at a time (not locked); different grids may be worked on
// by different threads at once. Recompute splits the rows into one band per worker (std::jthread); each
// worker reads the terms (shared, read-only for the call) and writes only the rows of its band; the workers
// are joined before Recompute returns, so the caller sees the whole grid. A stop request (the caller's
// stop_token, from any thread) makes every worker give up at its next row; the grid is then incomplete and
// Recompute says so. The free functions are pure: any thread.

#include <cstddef>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "core/outcome.hpp"
#include "locate/locate.hpp"

namespace vantrel::locate {

// One bearing's term of L.
struct GridTerm {
    double x = 0, y = 0;                // the station, metres
    double cosTheta = 1, sinTheta = 0;  // of the bearing as a mathematical angle
    double weight = 0;                  // k_i w_i, >= 0
};

// The terms of the bearings a fix was made from: the kappas the estimator used (from the sigmas when every
// bearing has one, its own first, else Options::sigmaDeg; otherwise kappa-hat for every bearing) times the
// fix's final weights. Fails, saying why, without a fix, or without any kappa (two bearings and no sigma:
// the bearings' spread is unknown, so L has no scale).
core::Result<std::vector<GridTerm>> TermsOfFix(std::span<const Bearing> bearings, const Outcome& outcome,
                                               const Options& options);

// Where the cells lie: columns x rows square cells of `size` metres from the south-west corner (minX, minY).
struct GridFrame {
    double minX = 0, minY = 0;
    double size = 1;  // metres, > 0
    int columns = 0, rows = 0;

    [[nodiscard]] std::size_t Cells() const {
        return static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    }
    [[nodiscard]] double CentreX(int column) const { return minX + (column + 0.5) * size; }
    [[nodiscard]] double CentreY(int row) const { return minY + (row + 0.5) * size; }
};

// The frame of columns x rows cells (each side at least 2) that covers the box [minX, maxX] x [minY, maxY]
// with square cells, centred on it; the longer side sets the cell size.
GridFrame FrameOver(double minX, double minY, double maxX, double maxY, int columns, int rows);

class LikelihoodGrid {
  public:
    explicit LikelihoodGrid(const GridFrame& frame);  // L = 0 everywhere

    // Adds one bearing's term to every cell: the grid follows bearings as they arrive. Single-threaded; the
    // cost is one pass over the grid.
    void AddBearing(const GridTerm& term);
    // L of exactly `terms` (whatever was added before is replaced), the rows split among `threads` workers
    // (0: one per core). Each cell sums its terms in the order given, as AddBearing one by one would, so the
    // two agree to the last bit. Returns false when `stop` was requested before every row was done.
    bool Recompute(std::span<const GridTerm> terms, unsigned threads = 0, std::stop_token stop = {});

    [[nodiscard]] const GridFrame& Frame() const { return frame_; }
    [[nodiscard]] const std::vector<double>& Values() const { return logLikelihood_; }  // L, row by row

  private:
    GridFrame frame_;
    std::vector<double> logLikelihood_;
};

// P = exp(L - Lmax) / sum over the grid, and the levels of its highest-density regions: the cells with
// P >= level50 hold (just) at least 50 % of P, those with P >= level95 at least 95 %. The levels come from
// the cells sorted by P (exact at the grid's resolution; a histogram would be faster but puts the level
// anywhere within a bin, and the sort of a 512 x 512 grid takes milliseconds once per picture, not per
// bearing).
struct Density {
    GridFrame frame;
    std::vector<double> p;     // row by row, sums to 1
    double peak = 0;           // the largest P
    double logNormaliser = 0;  // P = exp(L - logNormaliser): Lmax + ln(sum of exp(L - Lmax))
    double level50 = 0, level95 = 0;
    std::size_t cells50 = 0, cells95 = 0;  // cells in each region

    [[nodiscard]] double CellArea() const { return frame.size * frame.size; }
    [[nodiscard]] double Area50() const { return static_cast<double>(cells50) * CellArea(); }
    [[nodiscard]] double Area95() const { return static_cast<double>(cells95) * CellArea(); }
};

// The density of a grid; nullopt for an empty grid or one whose L is not finite everywhere.
std::optional<Density> DensityOf(const LikelihoodGrid& grid);

// The outline of the region P >= level (marching squares between cell centres, a saddle resolved by the mean
// of its four corners), as polylines in plane metres: closed ones repeat their first point; open ones end
// at the grid's edge.
using Polyline = std::vector<std::pair<double, double>>;  // (x, y)
std::vector<Polyline> Contours(const GridFrame& frame, std::span<const double> values, double level);

}  // namespace vantrel::locate
