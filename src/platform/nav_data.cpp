#include "platform/nav_data.hpp"

#include <utility>

#include "map_outputs/update_database.hpp"
#include "persistence/atomic_file.hpp"
#include "platform/locations.hpp"
#include "platform/object_database.hpp"

namespace vantrel::platform {

std::optional<std::filesystem::path> OwnDefaultDatabase() {
#ifdef _WIN32
    return std::nullopt;
#else
    return std::filesystem::path(DefaultLocationsForThisSystem().database);
#endif
}

core::Outcome NavData::Start(const std::filesystem::path& database,
                             const std::optional<std::filesystem::path>& ownDefault) {
    table_.reset();
    path_ = database;
    if (ownDefault && database == *ownDefault) {
        if (auto created = CreateObjectDatabase(database); !created) {
            return created;
        }
    }
    return Table().outcome();
}

core::Outcome NavData::Choose(const std::filesystem::path& database) {
    auto opened = OpenObjectTable(database);
    if (!opened) {
        return opened.outcome();
    }
    table_.reset();  // closes the previous connection before the new one takes over
    table_ = std::move(*opened);
    path_ = database;
    return core::Outcome::Ok();
}

core::Result<map_outputs::ObjectTable*> NavData::Table() {
    if (!table_) {
        if (path_.empty()) {
            return core::Result<map_outputs::ObjectTable*>::Fail("No object database has been chosen.");
        }
        auto opened = OpenObjectTable(path_);
        if (!opened) {
            return opened.outcome();
        }
        table_ = std::move(*opened);
    }
    return table_.get();
}

core::Outcome NavData::UpdateDatabase(const core::MeasurementState& state) {
    if (!state.ResultsValid) {
        return core::Outcome::Fail(map_outputs::kNoValidData);
    }
    const auto table = Table();
    if (!table) {
        return table.outcome();
    }
    return map_outputs::UpdateDatabase(state, **table);
}

core::Outcome SetDatabaseFile(core::MeasurementState& state, NavData& navData,
                              const std::filesystem::path& chosen) {
    if (auto chosenOk = navData.Choose(chosen); !chosenOk) {
        return chosenOk;
    }
    state.DbFileName = persistence::DisplayPath(chosen);
    return core::Outcome::Ok();
}

}  // namespace vantrel::platform
