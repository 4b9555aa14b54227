#include <filesystem>

#include "cli/cli.hpp"
#include "cli/measurement_input.hpp"
#include "persistence/data_file_commands.hpp"

namespace vantrel::cli {

// convert IN OUT.fh2: load IN, then save to OUT exactly as File > Save would (the boxes read back from their
// texts, the readings table as loaded: all zero after an import). The settings file is not touched.
int RunConvert(const Context& context) {
    if (!ExpectPositionals(context, 2, 2, "convert IN OUT.fh2")) {
        return kExitUsage;
    }
    auto state = LoadMeasurement(context.args.positional[0], context.decimalSeparator);
    if (!state) {
        return Fail(state.message());
    }
    const std::filesystem::path out(context.args.positional[1]);
    return FailWith(persistence::WriteDataFile(*state, out, context.decimalSeparator));
}

}  // namespace vantrel::cli
