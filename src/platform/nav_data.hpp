#pragma once

// NavData: the main window's connection to the object database that Update Database writes and the
// database view shows. It starts on the database the setting DataBaseFilename names; Set Database File
// points it at another file for the rest of the run (the setting itself is not changed).

#include <filesystem>
#include <memory>
#include <optional>

#include "core/measurement_state.hpp"
#include "core/outcome.hpp"
#include "map_outputs/object_table.hpp"

namespace vantrel::platform {

// The object database the program makes for itself when the setting names it and it is missing: the SQLite
// file of DefaultLocationsForThisSystem() on systems other than Windows. None on Windows, whose default is
// the map application's own database.
std::optional<std::filesystem::path> OwnDefaultDatabase();

class NavData {
  public:
    // Start-up with the setting's path. When it is `ownDefault` and missing, that database is created first
    // (an existing file is never replaced). A database that cannot be opened now is reported; the path is
    // kept and the next use tries again, so a drive plugged in later still works.
    core::Outcome Start(const std::filesystem::path& database,
                        const std::optional<std::filesystem::path>& ownDefault);

    // Set Database File: opens the chosen file and uses it from now on. When it cannot be opened the
    // message says why and the previous database stays in use.
    core::Outcome Choose(const std::filesystem::path& database);

    // The database in use (empty before Start).
    [[nodiscard]] const std::filesystem::path& DatabasePath() const { return path_; }

    // The open table, opening the database first when it is not open yet.
    core::Result<map_outputs::ObjectTable*> Table();

    // Update Database on the database in use: "No Valid Data." before the first Calculate (the database is
    // not even opened then), otherwise map_outputs::UpdateDatabase.
    core::Outcome UpdateDatabase(const core::MeasurementState& state);

  private:
    std::filesystem::path path_;
    std::unique_ptr<map_outputs::ObjectTable> table_;
};

// Set Database File as the main window runs it after its dialog: on success DbFileName records the chosen
// path; on failure nothing changes.
core::Outcome SetDatabaseFile(core::MeasurementState& state, NavData& navData,
                              const std::filesystem::path& chosen);

}  // namespace vantrel::platform
