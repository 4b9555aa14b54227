#include "platform/sql_connection.hpp"

#include "persistence/file_access.hpp"

namespace vantrel::platform {

std::string QuotedPath(const std::filesystem::path& file) {
    return "\"" + persistence::DisplayPath(file) + "\"";
}

bool IsLockedByAnother(const QSqlError& error) {
    // SQLite's own words for SQLITE_BUSY and SQLITE_LOCKED, which its driver and the ODBC driver pass on.
    const QString text = error.databaseText();
    return text.contains(QStringLiteral("database is locked"), Qt::CaseInsensitive) ||
           text.contains(QStringLiteral("database table is locked"), Qt::CaseInsensitive);
}

std::string SqlReason(const QSqlError& error) {
    if (IsLockedByAnother(error)) {
        return "the database is locked by another program";
    }
    QString text = error.databaseText().trimmed();
    if (text.isEmpty()) {
        text = error.driverText().trimmed();
    }
    if (text.isEmpty()) {
        text = QStringLiteral("unknown database error");
    }
    return text.toStdString();
}

}  // namespace vantrel::platform
