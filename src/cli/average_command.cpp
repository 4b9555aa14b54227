#include <vector>

#include "cli/cli.hpp"
#include "instruments/bearing_table.hpp"

namespace vantrel::cli {

int RunAverage(const Context& context) {
    if (!ExpectPositionals(context, 0, instruments::kTableRows, "average CELL... (at most 30)")) {
        return kExitUsage;
    }
    std::vector<std::string> cells = context.args.positional;
    cells.resize(instruments::kTableRows);
    const std::vector<double> noSignals(instruments::kTableRows, 0.0);
    const instruments::ColumnAverage average =
        instruments::AverageColumn(cells, noSignals, context.decimalSeparator);
    if (!average.overflow.empty()) {
        return Fail("Could not average: " + average.overflow + ".");
    }
    PrintLine(average.mean + "\t" + (average.overlap ? "1" : "0"));
    return kExitOk;
}

}  // namespace vantrel::cli
