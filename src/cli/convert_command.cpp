#include <filesystem>

#include "cli/cli.hpp"
#include "cli/measurement_input.hpp"
#include "persistence/data_file_commands.hpp"
#include "persistence/file_access.hpp"

namespace vantrel::cli {

// convert IN OUT.fh2: load IN, then save to OUT exactly as File > Save would (the boxes read back from their
// texts, the readings table as loaded: all zero after an import). The settings file is not touched.
int RunConvert(const Context& context) {
    if (!ExpectPositionals(context, 2, 2, "convert IN OUT.fh2")) {
        return kExitUsage;
    }
    const std::string& in = context.args.positional[0];
    const std::string& outName = context.args.positional[1];
    // convert always writes the data file format: under a legacy name it could not be opened again.
    if (IsImportFileName(outName)) {
        return Fail("Could not write \"" + persistence::DisplayPath(std::filesystem::path(outName)) +
                    "\": convert writes a .fh2 data file, not the legacy .fhd format; choose a name "
                    "ending in .fh2");
    }
    if (const core::Outcome distinct = CheckOutputIsNoInput(outName, {in}); !distinct) {
        return FailWith(distinct);
    }
    auto state = LoadMeasurement(in, context.decimalSeparator);
    if (!state) {
        return Fail(state.message());
    }
    const std::filesystem::path out(outName);
    return FailWith(persistence::WriteDataFile(*state, out, context.decimalSeparator));
}

}  // namespace vantrel::cli
