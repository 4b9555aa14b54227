#pragma once

// What every part of the database code shares: how a database file is reached through QtSql, and the
// pieces of the messages that name the file and what the database said. The object database and table
// OBJECT_LIST both build on this header; it builds on neither.

#include <QSqlError>
#include <QString>

#include <filesystem>
#include <string>

namespace vantrel::platform {

// How to reach one database file through QtSql.
struct DatabaseConnection {
    QString driver;        // "QSQLITE" or "QODBC"
    QString databaseName;  // what QSqlDatabase::setDatabaseName gets: a file URI or an ODBC connection string
    QString connectOptions;      // QSqlDatabase::setConnectOptions
    std::filesystem::path file;  // the file behind it; it must exist before anything connects
};

// The path in double quotes, as messages show it.
std::string QuotedPath(const std::filesystem::path& file);

// What the database said, in one line.
std::string SqlReason(const QSqlError& error);

// The database file is locked by another connection (SQLite's "database is locked"), so that it can be
// neither read nor written now. SqlReason says so in the user's words.
bool IsLockedByAnother(const QSqlError& error);

}  // namespace vantrel::platform
