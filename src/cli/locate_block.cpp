#include "cli/locate_block.hpp"

#include <optional>

#include "core/number_text.hpp"

namespace vantrel::cli {
namespace {

// + 0.0 turns a negative zero (a residual of exactly nothing, say) into "0".
std::string Number(double value) {
    return core::ShortestText(value + 0.0);
}

std::string Optional(const std::optional<double>& value) {
    return value ? Number(*value) : "-";
}

std::string Joined(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) {
        line += (line.empty() ? "" : "\t") + field;
    }
    return line;
}

std::string FixLine(const locate::Fix& fix) {
    std::vector<std::string> fields{"fix", Number(fix.x), Number(fix.y), Optional(fix.kappaHat)};
    if (fix.covariance) {
        fields.insert(fields.end(),
                      {Number(fix.covariance->sx), Number(fix.covariance->sy), Number(fix.covariance->rho)});
    } else {
        fields.insert(fields.end(), {"-", "-", "-"});
    }
    if (fix.ellipse) {
        fields.insert(fields.end(), {Number(fix.ellipse->semiMajor), Number(fix.ellipse->semiMinor),
                                     Number(fix.ellipse->azimuth), Number(fix.ellipse->area)});
    } else {
        fields.insert(fields.end(), {"-", "-", "-", "-"});
    }
    return Joined(fields);
}

std::string FlagsText(const locate::BearingFit& fit) {
    std::vector<std::string> flags;
    if (fit.behind) {
        flags.emplace_back("behind");
    }
    if (fit.rejected) {
        flags.emplace_back("rejected");
    }
    std::string text;
    for (const std::string& flag : flags) {
        text += (text.empty() ? "" : ",") + flag;
    }
    return text.empty() ? "-" : text;
}

}  // namespace

std::vector<std::string> LocateBlockLines(const locate::Outcome& outcome) {
    if (!outcome.fix) {
        return {"fix\tno Match\t" + std::string(locate::ReasonText(outcome.reason))};
    }
    std::vector<std::string> lines{FixLine(*outcome.fix)};
    for (std::size_t i = 0; i < outcome.fix->bearings.size(); ++i) {
        const locate::BearingFit& fit = outcome.fix->bearings[i];
        lines.push_back(
            Joined({"B" + std::to_string(i + 1), Number(fit.weight), Number(fit.residual), FlagsText(fit)}));
    }
    return lines;
}

}  // namespace vantrel::cli
