#include "cli/cli.hpp"
#include "cli/measurement_input.hpp"
#include "core/cross_fix.hpp"

namespace vantrel::cli {

// solve FILE [--zone ZONE[,ZONE]]: the five result rows as the Results boxes show them after Calculate, and
// on stderr Calculate's zone warning.
int RunSolve(const Context& context) {
    if (!ExpectPositionals(context, 1, 1, "solve FILE [--zone ZONE[,ZONE]]")) {
        return kExitUsage;
    }
    const auto zones = ZoneBoxesOption(context);
    if (!zones) {
        return kExitUsage;
    }
    auto state = LoadAndCalculate(context.args.positional[0], context.decimalSeparator);
    if (!state) {
        return Fail(state.message());
    }
    const core::MeasurementState& main = state->main;
    for (std::size_t fox = 0; fox < core::kFoxCount; ++fox) {
        PrintLine("F" + std::to_string(fox + 1) + "\t" + main.ResLat[fox] + "\t" + main.ResLon[fox]);
    }
    PrintZoneWarnings(*zones, {geodesy::ZoneCheck::Calculate});
    return kExitOk;
}

}  // namespace vantrel::cli
