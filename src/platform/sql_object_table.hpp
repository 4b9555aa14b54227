#pragma once

// Inside the platform layer: table OBJECT_LIST over a QtSql connection, and the message pieces the
// database code shares.

#include <QSqlError>

#include <filesystem>
#include <memory>
#include <string>

#include "core/outcome.hpp"
#include "map_outputs/object_table.hpp"
#include "platform/object_database.hpp"

namespace vantrel::platform {

// Connects under a connection name of its own (closed and removed with the returned table) and finds table
// OBJECT_LIST, its fields and how its records are told apart. The caller has checked that the file exists.
core::Result<std::unique_ptr<map_outputs::ObjectTable>> ConnectObjectTable(
    const DatabaseConnection& connection);

// The path in double quotes, as messages show it.
std::string QuotedPath(const std::filesystem::path& file);

// What the database said, in one line.
std::string SqlReason(const QSqlError& error);

// The database file is locked by another connection (SQLite's "database is locked"), so that it can be
// neither read nor written now. SqlReason says so in the user's words.
bool IsLockedByAnother(const QSqlError& error);

}  // namespace vantrel::platform
