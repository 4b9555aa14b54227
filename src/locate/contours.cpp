// Marching squares over the cell centres of a likelihood grid, the pieces joined into polylines.

#include <array>
#include <cstdint>
#include <unordered_map>

#include "locate/likelihood_grid.hpp"

namespace vantrel::locate {
namespace {

// A crossing of the level on the edge between two neighbouring cell centres. Every edge is shared by at
// most two squares, and each square joins an edge's crossing to exactly one other, so a crossing has at
// most two neighbours: the pieces form simple chains and rings.
struct Crossing {
    double x = 0, y = 0;
    std::array<std::int64_t, 2> next{-1, -1};
    int degree = 0;
    bool visited = false;
};

class ContourTracer {
  public:
    ContourTracer(const GridFrame& frame, std::span<const double> values, double level)
        : frame_(frame), values_(values), level_(level) {}

    std::vector<Polyline> Trace() {
        for (int j = 0; j + 1 < frame_.rows; ++j) {
            for (int i = 0; i + 1 < frame_.columns; ++i) {
                Square(i, j);
            }
        }
        std::vector<Polyline> lines;
        // Open chains first, from one of their ends (degree 1, at the grid's edge); then the rings.
        for (const int wanted : {1, 2}) {
            for (auto& [id, crossing] : crossings_) {
                if (!crossing.visited && crossing.degree == wanted) {
                    lines.push_back(Walk(id));
                }
            }
        }
        return lines;
    }

  private:
    [[nodiscard]] double Value(int i, int j) const {
        return values_[static_cast<std::size_t>(j) * static_cast<std::size_t>(frame_.columns) +
                       static_cast<std::size_t>(i)];
    }
    // Edge ids: the edge from centre (i, j) east is 2 k, the one north 2 k + 1, k the centre's index.
    [[nodiscard]] std::int64_t EdgeId(int i, int j, bool north) const {
        return 2 * (static_cast<std::int64_t>(j) * frame_.columns + i) + (north ? 1 : 0);
    }

    // The crossing on the edge from (i, j) east or north, created on first use.
    std::int64_t CrossingOn(int i, int j, bool north) {
        const std::int64_t id = EdgeId(i, j, north);
        if (!crossings_.contains(id)) {
            const double from = Value(i, j);
            const double to = north ? Value(i, j + 1) : Value(i + 1, j);
            const double t = (level_ - from) / (to - from);
            Crossing c;
            c.x = frame_.CentreX(i) + (north ? 0 : t * frame_.size);
            c.y = frame_.CentreY(j) + (north ? t * frame_.size : 0);
            crossings_.emplace(id, c);
        }
        return id;
    }

    void Join(std::int64_t a, std::int64_t b) {
        for (const auto& [from, to] : {std::pair{a, b}, std::pair{b, a}}) {
            Crossing& c = crossings_.at(from);
            if (c.degree < 2) {
                c.next.at(static_cast<std::size_t>(c.degree++)) = to;
            }
        }
    }

    // The square with corners (i, j) south-west, (i + 1, j), (i + 1, j + 1), (i, j + 1).
    void Square(int i, int j) {
        const std::array<double, 4> corner{Value(i, j), Value(i + 1, j), Value(i + 1, j + 1),
                                           Value(i, j + 1)};
        std::array<bool, 4> in{};
        for (std::size_t k = 0; k < 4; ++k) {
            in.at(k) = corner.at(k) >= level_;
        }
        // The edges in order south, east, north, west; edge k runs from corner k to corner k + 1.
        const std::array<std::pair<std::array<int, 2>, bool>, 4> edges{
            {{{i, j}, false}, {{i + 1, j}, true}, {{i, j + 1}, false}, {{i, j}, true}}};
        std::vector<int> cut;
        for (std::size_t k = 0; k < 4; ++k) {
            if (in.at(k) != in.at((k + 1) % 4)) {
                cut.push_back(static_cast<int>(k));
            }
        }
        const auto crossing = [&](int k) {
            const auto& [at, north] = edges.at(static_cast<std::size_t>(k));
            return CrossingOn(at[0], at[1], north);
        };
        if (cut.size() == 2) {
            Join(crossing(cut[0]), crossing(cut[1]));
        } else if (cut.size() == 4) {
            // A saddle: the corners unlike the centre (the mean of the four) are cut off, each by the piece
            // joining its two edges (corner k lies between edges k - 1 and k).
            const bool centreIn = (corner[0] + corner[1] + corner[2] + corner[3]) / 4 >= level_;
            for (int k = 0; k < 4; ++k) {
                if (in.at(static_cast<std::size_t>(k)) != centreIn) {
                    Join(crossing((k + 3) % 4), crossing(k));
                }
            }
        }
    }

    Polyline Walk(std::int64_t start) {
        Polyline line;
        std::int64_t current = start;
        while (current >= 0) {
            Crossing& c = crossings_.at(current);
            c.visited = true;
            line.emplace_back(c.x, c.y);
            std::int64_t following = -1;
            for (int k = 0; k < c.degree; ++k) {
                const std::int64_t candidate = c.next.at(static_cast<std::size_t>(k));
                if (!crossings_.at(candidate).visited) {
                    following = candidate;
                    break;
                }
            }
            if (following < 0 && line.size() > 2 && c.degree == 2 &&
                (c.next[0] == start || c.next[1] == start)) {
                line.push_back(line.front());  // a ring closes on its first point
            }
            current = following;
        }
        return line;
    }

    const GridFrame& frame_;
    std::span<const double> values_;
    double level_;
    std::unordered_map<std::int64_t, Crossing> crossings_;
};

}  // namespace

std::vector<Polyline> Contours(const GridFrame& frame, std::span<const double> values, double level) {
    if (frame.columns < 2 || frame.rows < 2 || values.size() != frame.Cells()) {
        return {};
    }
    return ContourTracer(frame, values, level).Trace();
}

}  // namespace vantrel::locate
