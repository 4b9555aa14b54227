#include <filesystem>

#include "cli/cli.hpp"
#include "cli/measurement_input.hpp"
#include "core/cross_fix.hpp"
#include "map_outputs/update_database.hpp"
#include "platform/object_database.hpp"

namespace vantrel::cli {

// update-db FILE --db PATH: load FILE as Open (or Import, for a ".fhd") does, Calculate, then Update
// Database on PATH. Silent on success but for the window's zone warnings on stderr. Nothing is written unless
// every step before the update succeeded, and a database file that does not exist is reported, never created.
int RunUpdateDb(const Context& context) {
    constexpr const char* kSynopsis = "update-db FILE --db PATH [--zone ZONE[,ZONE]]";
    if (!ExpectPositionals(context, 1, 1, kSynopsis)) {
        return kExitUsage;
    }
    const auto zones = ZoneBoxesOption(context);
    if (!zones) {
        return kExitUsage;
    }
    const auto database = context.args.Option("db");
    if (!database || database->empty()) {
        return UsageError("usage: vantrel-cli " + std::string(kSynopsis) + " (name the object database)");
    }
    if (const core::Outcome distinct = CheckOutputIsNoInput(*database, {context.args.positional[0]});
        !distinct) {
        return FailWith(distinct);
    }
    auto state = LoadAndCalculate(context.args.positional[0], context.decimalSeparator);
    if (!state) {
        return Fail(state.message());
    }
    auto table = platform::OpenObjectTable(std::filesystem::path(*database));
    if (!table) {
        return Fail(table.message());
    }
    if (const core::Outcome updated = map_outputs::UpdateDatabase(state->main, **table); !updated) {
        return FailWith(updated);
    }
    PrintZoneWarnings(*zones, {geodesy::ZoneCheck::Calculate, geodesy::ZoneCheck::Database});
    return kExitOk;
}

}  // namespace vantrel::cli
