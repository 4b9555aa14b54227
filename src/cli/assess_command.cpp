// assess FILE [--sigma DEG] [--sigma-floor DEG] [--confidence P]: open or import FILE, Calculate, then one
// line per fox with the quality of its fix.

#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "cli/measurement_input.hpp"
#include "core/number_text.hpp"
#include "quality/fix_quality.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis = "assess FILE [--sigma DEG] [--sigma-floor DEG] [--confidence P]";

// Numbers always with '.', whatever the separator of the boxes: the fields are for programs.
std::string Number(double value) {
    return core::ShortestText(value);
}

std::string OptionalNumber(const std::optional<double>& value) {
    return value ? Number(*value) : "-";
}

// F<i> northing easting crossing t1 t2 sigma1 sigma2 semi-major semi-minor azimuth flags.
std::string QualityLine(const quality::FixQuality& q) {
    std::vector<std::string> fields{
        Number(q.northing), Number(q.easting),        Number(q.crossing),      Number(q.t1),
        Number(q.t2),       OptionalNumber(q.sigma1), OptionalNumber(q.sigma2)};
    if (q.ellipse) {
        fields.insert(fields.end(), {Number(q.ellipse->semiMajor), Number(q.ellipse->semiMinor),
                                     Number(q.ellipse->azimuth)});
    } else {
        fields.insert(fields.end(), {"-", "-", "-"});
    }
    fields.push_back(q.FlagsText());
    std::string line;
    for (const std::string& field : fields) {
        line += "\t" + field;
    }
    return line;
}

}  // namespace

int RunAssess(const Context& context) {
    if (!ExpectPositionals(context, 1, 1, kSynopsis)) {
        return kExitUsage;
    }
    const auto settings = QualityOptions(context);
    if (!settings) {
        return kExitUsage;
    }
    const auto state = LoadAndCalculate(context.args.positional[0], context.decimalSeparator);
    if (!state) {
        return Fail(state.message());
    }
    const core::MeasurementState& main = state->main;
    const auto fixes = quality::AssessFixes(main, state->RxReadings, *settings, context.decimalSeparator);
    for (std::size_t fox = 0; fox < core::kFoxCount; ++fox) {
        const std::string name = "F" + std::to_string(fox + 1);
        if (main.ResLat[fox] == core::kNoMatch) {
            PrintLine(name + "\tno Match");
        } else if (fixes[fox]) {
            PrintLine(name + QualityLine(*fixes[fox]));
        } else {
            // A fix whose ranges overflow a Double: its position, and no quality.
            PrintLine(name + "\t" + Number(main.FoxNorth[fox]) + "\t" + Number(main.FoxEast[fox]) +
                      "\t-\t-\t-\t-\t-\t-\t-\t-\t-");
        }
    }
    return kExitOk;
}

}  // namespace vantrel::cli
