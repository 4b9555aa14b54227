#include "platform/object_database.hpp"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "persistence/atomic_file.hpp"
#include "platform/locations.hpp"
#include "platform/sql_object_table.hpp"

namespace vantrel::platform {
namespace {

bool StartsWith(const std::string& bytes, std::size_t offset, std::string_view prefix) {
    return bytes.size() >= offset + prefix.size() && bytes.compare(offset, prefix.size(), prefix) == 0;
}

// The file as an SQLite URI: '%', '?' and '#' would otherwise be read as escapes, query or fragment.
QString SqliteUri(const std::filesystem::path& file) {
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(file, ignored);
    QString path = FromPath(absolute.empty() ? file : absolute);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!path.startsWith(QLatin1Char('/'))) {
        path.prepend(QLatin1Char('/'));  // "C:/x" -> "/C:/x", the form SQLite takes on Windows
    }
    QString encoded;
    for (const QChar c : path) {
        if (c == QLatin1Char('%')) {
            encoded += QStringLiteral("%25");
        } else if (c == QLatin1Char('?')) {
            encoded += QStringLiteral("%3F");
        } else if (c == QLatin1Char('#')) {
            encoded += QStringLiteral("%23");
        } else {
            encoded += c;
        }
    }
    // An empty authority ("file://" + "/path") keeps a UNC path's "//server" from being read as one.
    return QStringLiteral("file://") + encoded + QStringLiteral("?mode=rw");
}

// An ODBC attribute value; braces keep ';' and blanks at the ends from ending or trimming it.
QString OdbcValue(const QString& value) {
    const bool needsBraces = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{')) ||
                             value.contains(QLatin1Char('}')) || value != value.trimmed();
    if (!needsBraces) {
        return value;
    }
    QString escaped = value;
    escaped.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

core::Outcome CheckExists(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return core::Outcome::Fail("The object database " + QuotedPath(file) + " does not exist.");
    }
    if (error) {
        return core::Outcome::Fail("Could not open " + QuotedPath(file) + ": " + error.message() + ".");
    }
    if (status.type() != std::filesystem::file_type::regular) {
        return core::Outcome::Fail(QuotedPath(file) + " is not a database file.");
    }
    return core::Outcome::Ok();
}

}  // namespace

core::Result<DatabaseFormat> DetectDatabaseFormat(const std::filesystem::path& file) {
    if (auto exists = CheckExists(file); !exists) {
        return exists;
    }
    // Only the first bytes, and never blocking: a pipe put there after the check above is refused.
    const auto head = persistence::ReadFileHead(file, 32);
    if (!head) {
        return core::Result<DatabaseFormat>::Fail(head.message() + ".");
    }
    const std::string& header = head->bytes;
    if (StartsWith(header, 0, std::string_view("SQLite format 3\0", 16))) {
        return DatabaseFormat::Sqlite;
    }
    // Jet (.mdb) and ACE (.accdb) files name their engine from byte 4 on.
    if (StartsWith(header, 4, "Standard Jet DB") || StartsWith(header, 4, "Standard ACE DB")) {
        return DatabaseFormat::Access;
    }
    return core::Result<DatabaseFormat>::Fail(QuotedPath(file) +
                                              " is neither an SQLite nor an Access database.");
}

DatabaseConnection SqliteConnection(const std::filesystem::path& file) {
    return {
        .driver = QStringLiteral("QSQLITE"),
        .databaseName = SqliteUri(file),
        .connectOptions = QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs),
        .file = file,
    };
}

DatabaseConnection OdbcConnection(const QString& driver, const QString& fileKey,
                                  const std::filesystem::path& file, const QString& extra) {
    QString name = QStringLiteral("DRIVER={") + driver + QStringLiteral("};") + fileKey + QLatin1Char('=') +
                   OdbcValue(FromPath(file)) + QLatin1Char(';') + extra;
    return {.driver = QStringLiteral("QODBC"), .databaseName = name, .connectOptions = {}, .file = file};
}

core::Result<DatabaseConnection> ConnectionForFile(const std::filesystem::path& file) {
    const auto format = DetectDatabaseFormat(file);
    if (!format) {
        return format.outcome();
    }
    if (*format == DatabaseFormat::Sqlite) {
        return SqliteConnection(file);
    }
#ifdef _WIN32
    return OdbcConnection(QStringLiteral("Microsoft Access Driver (*.mdb, *.accdb)"), QStringLiteral("DBQ"),
                          file);
#else
    return core::Result<DatabaseConnection>::Fail(
        QuotedPath(file) +
        " is an Access database, and this system has no database driver that can write to one. " +
        "Use an SQLite object database here.");
#endif
}

core::Result<std::unique_ptr<map_outputs::ObjectTable>> OpenObjectTable(
    const DatabaseConnection& connection) {
    // QSQLITE and ODBC drivers create an empty database for a name that does not exist: look first.
    if (auto exists = CheckExists(connection.file); !exists) {
        return exists;
    }
    return ConnectObjectTable(connection);
}

core::Result<std::unique_ptr<map_outputs::ObjectTable>> OpenObjectTable(const std::filesystem::path& file) {
    const auto connection = ConnectionForFile(file);
    if (!connection) {
        return connection.outcome();
    }
    return OpenObjectTable(*connection);
}

namespace {

core::Outcome FillNewDatabase(QSqlDatabase& db, const std::filesystem::path& file, int emptyRecords) {
    const auto failure = [&](const QSqlError& error) {
        return core::Outcome::Fail("Could not create the object database " + QuotedPath(file) + ": " +
                                   SqlReason(error) + ".");
    };
    if (!db.open() || !db.transaction()) {
        return failure(db.lastError());
    }
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("CREATE TABLE OBJECT_LIST (id INTEGER PRIMARY KEY, objname TEXT, "
                                   "grad_lat TEXT, grad_long TEXT, graphic_id INTEGER)"))) {
        return failure(query.lastError());
    }
    for (int i = 0; i < emptyRecords; ++i) {
        if (!query.exec(QStringLiteral("INSERT INTO OBJECT_LIST DEFAULT VALUES"))) {
            return failure(query.lastError());
        }
    }
    if (!db.commit()) {
        return failure(db.lastError());
    }
    return core::Outcome::Ok();
}

core::Outcome BuildObjectDatabase(const std::filesystem::path& file, int emptyRecords) {
    const QString name =
        QStringLiteral("vantrel-create-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    core::Outcome outcome = core::Outcome::Ok();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(FromPath(file));
        outcome = FillNewDatabase(db, file, emptyRecords);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return outcome;
}

}  // namespace

core::Outcome CreateObjectDatabase(const std::filesystem::path& file, int emptyRecords) {
    std::error_code error;
    // Whatever stands there (a link leading nowhere included) is the user's: it is opened, never replaced.
    if (persistence::KindAt(file) != persistence::FileKind::Missing) {
        return core::Outcome::Ok();
    }
    if (!file.parent_path().empty()) {
        std::filesystem::create_directories(file.parent_path(), error);
        if (error) {
            return core::Outcome::Fail("Could not create the folder of " + QuotedPath(file) + ": " +
                                       error.message() + ".");
        }
    }
    std::filesystem::path temporary = file;
    temporary += ".new-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    core::Outcome built = BuildObjectDatabase(temporary, emptyRecords);
    // QFile::rename never replaces an existing file: a database that appeared meanwhile is kept.
    if (built && !QFile::rename(FromPath(temporary), FromPath(file)) &&
        !std::filesystem::exists(file, error)) {
        built = core::Outcome::Fail("Could not create the object database " + QuotedPath(file) + ".");
    }
    std::filesystem::remove(temporary, error);
    return built;
}

}  // namespace vantrel::platform
