// World files and calibration points: any text read as a world file (and, when it reads, written and
// read again), and the same text read as calibration points, one "column row x y" a line, and fitted.
//
// Input: the file's text.

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "core/number_text.hpp"
#include "fuzz_support.hpp"
#include "maps/calibration.hpp"
#include "maps/world_file.hpp"

using vantrel::fuzzing::Check;
using namespace vantrel::maps;

namespace {

bool Finite(const GeoTransform& t) {
    for (double c : t.c) {
        if (!std::isfinite(c)) {
            return false;
        }
    }
    return true;
}

void WorldFile(const std::string& text) {
    const auto read = ReadWorldFile(text);
    if (!read) {
        Check(!read.message().empty(), "a refusal says why");
        return;
    }
    Check(Finite(*read), "a world file that reads has finite terms");
    const auto inverse = Invert(*read);
    Check(inverse.has_value(), "a world file that reads can be inverted");
    const std::string written = WorldFileText(*read);
    const auto again = ReadWorldFile(written);
    Check(again.ok(), "what is written reads back", written);
    for (std::size_t i = 0; i < 6; ++i) {
        // The corner is stored as the pixel centre: at most a rounding apart.
        const double scale = std::abs(read->c[0]) + std::abs(read->c[3]) + std::abs(read->c[1]) +
                             std::abs(read->c[2]) + std::abs(read->c[4]) + std::abs(read->c[5]);
        Check(std::abs(again->c[i] - read->c[i]) <= scale * 1e-12 || again->c[i] == read->c[i],
              "the written world file is the same transform", written);
    }
}

void Calibration(const std::string& text) {
    std::vector<ControlPoint> points;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line) && points.size() < 64) {
        std::istringstream words(line);
        std::string word;
        std::vector<double> numbers;
        while (words >> word && numbers.size() < 4) {
            const auto number = vantrel::core::ReadRegional(word, '.');
            numbers.push_back(number ? *number : std::numeric_limits<double>::quiet_NaN());
        }
        if (numbers.size() == 4) {
            points.push_back({numbers[0], numbers[1], numbers[2], numbers[3]});
        }
    }
    const auto fit = FitCalibration(points);
    if (!fit) {
        Check(!fit.message().empty(), "a refused fit says why");
        return;
    }
    Check(points.size() >= 2, "a fit needs 2 points");
    Check(fit->residuals.size() == points.size(), "one residual per point");
    Check(fit->worst < points.size(), "the worst point is one of them");
    for (double r : fit->residuals) {
        Check(!(r > fit->residuals[fit->worst]), "no residual beyond the worst");
    }
    Check(fit->kind == (points.size() == 2 ? FitKind::Similarity : FitKind::Affine), "the fit's kind");
    Check(Finite(fit->transform), "a fit's terms are finite");
    Check(Invert(fit->transform).has_value(), "a fit can be inverted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    WorldFile(text);
    Calibration(text);
    return 0;
}
