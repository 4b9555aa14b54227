#pragma once

// The map application's object database files, opened with QtSql: an SQLite file through the built-in
// SQLite driver, an Access file through the platform's Access ODBC driver where one can write to it. The
// kind of file is told by its first bytes, not by its name. A file that does not exist is never created.

#include <QString>

#include <filesystem>
#include <memory>

#include "core/outcome.hpp"
#include "map_outputs/object_table.hpp"
#include "platform/sql_connection.hpp"

namespace vantrel::platform {

enum class DatabaseFormat { Sqlite, Access };

// The format by the file's header: "SQLite format 3" or an Access (Jet / ACE) database. A missing file,
// a folder, an unreadable file or any other content is refused with a message naming the file.
core::Result<DatabaseFormat> DetectDatabaseFormat(const std::filesystem::path& file);

// How long a save waits for another program's lock on the database before it gives up.
inline constexpr int kBusyTimeoutMs = 2000;

// An SQLite file through QSQLITE, opened read-write without ever creating it.
DatabaseConnection SqliteConnection(const std::filesystem::path& file);

// A file through QODBC with a DSN-less connection string, "DRIVER={<driver>};<fileKey>=<file>;<extra>".
DatabaseConnection OdbcConnection(const QString& driver, const QString& fileKey,
                                  const std::filesystem::path& file, const QString& extra = {});

// The connection for a file by its format. An Access file needs a writable Access ODBC driver: Windows has
// one; elsewhere the answer is a message saying that this system cannot write Access databases.
core::Result<DatabaseConnection> ConnectionForFile(const std::filesystem::path& file);

// Opens table OBJECT_LIST through the given connection, under a connection name of its own that is closed
// and removed with the returned object. Needs a QCoreApplication (QtSql loads its drivers as plugins).
core::Result<std::unique_ptr<map_outputs::ObjectTable>> OpenObjectTable(const DatabaseConnection& connection);

// ConnectionForFile, then OpenObjectTable.
core::Result<std::unique_ptr<map_outputs::ObjectTable>> OpenObjectTable(const std::filesystem::path& file);

}  // namespace vantrel::platform

namespace vantrel::platform {

// Creates an SQLite object database at `file` with table OBJECT_LIST (an integer key and the fields
// objname, grad_lat, grad_long, graphic_id) holding `emptyRecords` records whose fields are all NULL, so
// that Update Database and the view work at once. An existing file is never replaced: then nothing happens.
// The file is built beside the target and moved into place in one step, so an interrupted creation never
// leaves a half-made database under the name.
core::Outcome CreateObjectDatabase(const std::filesystem::path& file, int emptyRecords = 7);

}  // namespace vantrel::platform
