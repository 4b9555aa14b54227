#include "cli/cli.hpp"
#include "cli/measurement_input.hpp"
#include "core/number_text.hpp"

namespace vantrel::cli {

// show FILE: the 26 station boxes as loading fills them, then (for a ".fh2") every reading marked valid.
int RunShow(const Context& context) {
    if (!ExpectPositionals(context, 1, 1, "show FILE")) {
        return kExitUsage;
    }
    const std::string& name = context.args.positional[0];
    const auto state = LoadMeasurement(name, context.decimalSeparator);
    if (!state) {
        return Fail(state.message());
    }
    for (const core::BoxId id : core::StationBoxesInListingOrder()) {
        PrintLine(core::BoxName(id) + "\t" + core::Box(state->main, id));
    }
    if (IsImportFileName(name)) {
        return kExitOk;
    }
    using instruments::RxReadings;
    for (int s = 0; s < RxReadings::kUsedStations; ++s) {
        for (int f = 0; f < RxReadings::kUsedFoxes; ++f) {
            for (int r = 0; r < RxReadings::kUsedRows; ++r) {
                const instruments::RxReading& reading = state->RxReadings(s, f, r);
                if (reading.Valid != 1) {
                    continue;
                }
                PrintLine("RxReadings(" + std::to_string(s) + "," + std::to_string(f) + "," +
                          std::to_string(r) + ")\t" + core::ShortestText(reading.Angle) + "\t" +
                          core::ShortestText(reading.Signal));
            }
        }
    }
    return kExitOk;
}

}  // namespace vantrel::cli
