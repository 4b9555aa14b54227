#include "quality/quality_text.hpp"

#include <algorithm>
#include <cmath>

#include "core/number_text.hpp"

namespace vantrel::quality {
namespace {

std::string Station(int k) {
    return "Scedule " + std::to_string(k);
}

std::string Whole(double value) {
    return core::FormatPattern(value, "0", '.');
}

std::string Distance(double metres) {
    const double m = std::fabs(metres);
    return m < 10000 ? Whole(m) + " m" : Whole(m / 1000) + " km";
}

// The smaller angle between the two lines, 0..90.
double LineAngle(const FixQuality& fix) {
    return std::min(fix.crossing, 180 - fix.crossing);
}

std::string Range(double t, int station) {
    return Distance(t) + (t > 0 ? " from " : " behind ") + Station(station);
}

std::string Summary(const FixQuality& fix, double confidence, char decimalSeparator) {
    std::string text;
    if (fix.ellipse) {
        const Ellipse& e = *fix.ellipse;
        text = core::DefaultText(std::round(confidence * 1000) / 10, decimalSeparator) + " % within ";
        const bool circle = Whole(e.semiMajor) == Whole(e.semiMinor);
        text += circle ? Distance(e.semiMajor) + " (circle)"
                       : Distance(e.semiMajor) + " x " + Distance(e.semiMinor) + " (long axis towards " +
                             Whole(e.azimuth) + " degrees)";
    } else {
        text = "no ellipse";
    }
    return text + "; crossing " + Whole(fix.crossing) + " degrees; " + Range(fix.t1, 1) + ", " +
           Range(fix.t2, 2);
}

}  // namespace

std::vector<std::string> QualityInWords(const FixQuality& fix, int fox, double confidence,
                                        char decimalSeparator) {
    const std::string name = "F" + std::to_string(fox + 1);
    std::vector<std::string> lines;
    for (const auto& [behind, k] : {std::pair{fix.behind1, 1}, std::pair{fix.behind2, 2}}) {
        if (behind) {
            lines.push_back("Behind " + Station(k) +
                            ": the bearings meet opposite to the measured direction - check " + name +
                            "'s bearing");
        }
    }
    if (fix.acute) {
        lines.push_back("The bearings cross at " + Whole(LineAngle(fix)) +
                        " degrees: a small bearing error moves the fix far");
    }
    if (fix.approximate) {
        lines.push_back("Approximate: the ellipse is more than 0.3 times the distance to the nearer station");
    }
    if (fix.unreliable) {
        lines.push_back("Unreliable: the ellipse is larger than the distance to the nearer station");
    }
    for (const auto& [scattered, k] : {std::pair{fix.scattered1, 1}, std::pair{fix.scattered2, 2}}) {
        if (scattered) {
            lines.push_back("The readings of " + Station(k) + " for " + name +
                            " point all round: take the bearing again");
        }
    }
    lines.push_back(Summary(fix, confidence, decimalSeparator));
    return lines;
}

std::string FlagNote(const FixQuality& fix) {
    std::vector<std::string> notes;
    if (fix.behind1) {
        notes.push_back("behind " + Station(1));
    }
    if (fix.behind2) {
        notes.push_back("behind " + Station(2));
    }
    if (fix.acute) {
        notes.push_back("bearings cross at " + Whole(LineAngle(fix)) + " degrees");
    }
    if (fix.approximate) {
        notes.push_back("approximate");
    }
    if (fix.unreliable) {
        notes.push_back("unreliable");
    }
    if (fix.scattered1) {
        notes.push_back("readings of " + Station(1) + " all round");
    }
    if (fix.scattered2) {
        notes.push_back("readings of " + Station(2) + " all round");
    }
    std::string text;
    for (const std::string& note : notes) {
        text += (text.empty() ? "" : ", ") + note;
    }
    return text;
}

std::string FlaggedFixesNote(const std::array<std::optional<FixQuality>, core::kFoxCount>& fixes) {
    std::string text;
    for (std::size_t fox = 0; fox < fixes.size(); ++fox) {
        if (!fixes[fox]) {
            continue;
        }
        const std::string note = FlagNote(*fixes[fox]);
        if (!note.empty()) {
            text += (text.empty() ? "F" : "; F") + std::to_string(fox + 1) + ": " + note;
        }
    }
    return text;
}

}  // namespace vantrel::quality
