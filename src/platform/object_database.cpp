#include "platform/object_database.hpp"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QUuid>
#include <QVariant>

#include <array>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "persistence/atomic_file.hpp"
#include "platform/locations.hpp"

namespace vantrel::platform {
namespace {

using map_outputs::FieldAssignment;
using map_outputs::FieldValue;
using map_outputs::ObjectRecordTexts;

std::string Quoted(const std::filesystem::path& file) {
    return "\"" + persistence::DisplayPath(file) + "\"";
}

std::string TableName() {
    return std::string(map_outputs::kObjectTableName);
}

// What the database said, in one line.
std::string Reason(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty()) {
        text = error.driverText().trimmed();
    }
    if (text.isEmpty()) {
        text = QStringLiteral("unknown database error");
    }
    return text.toStdString();
}

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
    return QStringLiteral("file:") + encoded + QStringLiteral("?mode=rw");
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

QVariant ToVariant(const FieldValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return QString::fromStdString(*text);
    }
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
        return QVariant::fromValue(static_cast<qlonglong>(*number));
    }
    return QVariant(QMetaType::fromType<QString>());  // NULL
}

// Table OBJECT_LIST of one open connection. Records are told apart by their rowid where the database has
// one (SQLite; the natural order is then rowid order), otherwise by the table's primary key in the order
// the database delivers them.
class SqlObjectTable final : public map_outputs::ObjectTable {
  public:
    SqlObjectTable(QString connectionName, std::filesystem::path file)
        : connectionName_(std::move(connectionName)), file_(std::move(file)) {}

    ~SqlObjectTable() override {
        {
            QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
            if (db.isOpen()) {
                db.close();
            }
        }
        QSqlDatabase::removeDatabase(connectionName_);
    }
    SqlObjectTable(const SqlObjectTable&) = delete;
    SqlObjectTable& operator=(const SqlObjectTable&) = delete;

    // Connects and finds the table, its fields and how its records are told apart.
    core::Outcome Connect(const DatabaseConnection& connection) {
        QSqlDatabase db = QSqlDatabase::addDatabase(connection.driver, connectionName_);
        if (!db.isValid()) {
            return core::Outcome::Fail("Could not open " + Quoted(file_) + ": the database driver " +
                                       connection.driver.toStdString() + " is not available.");
        }
        db.setDatabaseName(connection.databaseName);
        db.setConnectOptions(connection.connectOptions);
        if (!db.open()) {
            return core::Outcome::Fail("Could not open " + Quoted(file_) + ": " + Reason(db.lastError()) +
                                       ".");
        }
        sqlite_ = connection.driver == QStringLiteral("QSQLITE");
        if (auto found = FindTable(db); !found) {
            return found;
        }
        if (auto fields = ReadFieldNames(db); !fields) {
            return fields;
        }
        return FindRecordIdentity(db);
    }

    [[nodiscard]] std::string DisplayName() const override { return persistence::DisplayPath(file_); }

    core::Result<int> Requery() override {
        QSqlQuery query(Database());
        query.setForwardOnly(true);
        const QString order = byRowId_ ? QStringLiteral(" ORDER BY rowid") : QString();
        if (!query.exec(QStringLiteral("SELECT ") + keyFields_.join(QStringLiteral(", ")) +
                        QStringLiteral(" FROM ") + table_ + order)) {
            return core::Result<int>::Fail("Could not read table " + TableName() + " of " + Quoted(file_) +
                                           ": " + Reason(query.lastError()) + ".");
        }
        std::vector<QVariantList> keys;
        while (query.next()) {
            QVariantList key;
            for (int i = 0; i < keyFields_.size(); ++i) {
                key.append(query.value(i));
            }
            keys.push_back(std::move(key));
        }
        if (query.lastError().isValid()) {
            return core::Result<int>::Fail("Could not read table " + TableName() + " of " + Quoted(file_) +
                                           ": " + Reason(query.lastError()) + ".");
        }
        keys_ = std::move(keys);
        current_ = -1;
        editing_ = false;
        return RecordCount();
    }

    [[nodiscard]] int RecordCount() const override { return static_cast<int>(keys_.size()); }

    core::Outcome MoveFirst() override {
        const auto count = Requery();
        if (!count) {
            return count.outcome();
        }
        if (*count == 0) {
            return core::Outcome::Fail("Table " + TableName() + " of " + Quoted(file_) +
                                       " holds no records.");
        }
        current_ = 0;
        return core::Outcome::Ok();
    }

    core::Outcome MoveNext() override {
        if (current_ < 0 || current_ + 1 >= RecordCount()) {
            return core::Outcome::Fail("Table " + TableName() + " of " + Quoted(file_) +
                                       " has no record after record " + std::to_string(current_ + 1) + ".");
        }
        ++current_;
        editing_ = false;
        return core::Outcome::Ok();
    }

    core::Outcome Edit() override {
        if (current_ < 0) {
            return core::Outcome::Fail("No current record in table " + TableName() + " of " + Quoted(file_) +
                                       ".");
        }
        editing_ = true;
        pending_.clear();
        return core::Outcome::Ok();
    }

    core::Outcome SetField(std::string_view field, const FieldValue& value) override {
        if (!editing_) {
            return core::Outcome::Fail("No record of table " + TableName() + " of " + Quoted(file_) +
                                       " is being edited.");
        }
        if (auto name = FieldName(field); !name) {
            return name.outcome();
        }
        pending_.push_back({std::string(field), value});
        return core::Outcome::Ok();
    }

    core::Outcome Update() override {
        if (!editing_) {
            return core::Outcome::Fail("No record of table " + TableName() + " of " + Quoted(file_) +
                                       " is being edited.");
        }
        editing_ = false;
        return WriteRecord(current_, std::exchange(pending_, {}));
    }

    core::Outcome BeginTransaction() override {
        QSqlDatabase db = Database();
        bool begun = false;
        QSqlError error;
        if (sqlite_) {
            // Takes the write lock at once, waiting for another writer up to the busy timeout; a deferred
            // start would fail at the first save without waiting.
            QSqlQuery query(db);
            begun = query.exec(QStringLiteral("BEGIN IMMEDIATE"));
            error = query.lastError();
        } else {
            begun = db.transaction();
            error = db.lastError();
        }
        if (!begun) {
            return core::Outcome::Fail("Could not start writing to " + Quoted(file_) + ": " + Reason(error) +
                                       ".");
        }
        return core::Outcome::Ok();
    }

    core::Outcome CommitTransaction() override {
        QSqlDatabase db = Database();
        if (!db.commit()) {
            return core::Outcome::Fail("Could not save the changes to " + Quoted(file_) + ": " +
                                       Reason(db.lastError()) + ".");
        }
        return core::Outcome::Ok();
    }

    core::Outcome RollbackTransaction() override {
        QSqlDatabase db = Database();
        if (!db.rollback()) {
            return core::Outcome::Fail("Could not undo the changes to " + Quoted(file_) + ": " +
                                       Reason(db.lastError()) + ".");
        }
        return core::Outcome::Ok();
    }

    core::Result<ObjectRecordTexts> ReadRecord(int index) override {
        if (auto valid = CheckIndex(index); !valid) {
            return valid;
        }
        QStringList columns;
        for (std::string_view field : {map_outputs::kFieldObjName, map_outputs::kFieldGradLat,
                                       map_outputs::kFieldGradLong, map_outputs::kFieldGraphicId}) {
            const auto name = FieldName(field);
            if (!name) {
                return name.outcome();
            }
            columns.append(Escaped(*name));
        }
        QSqlQuery query(Database());
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) +
                      QStringLiteral(" FROM ") + table_ + KeyCondition());
        BindKey(query, index, 0);
        if (!query.exec() || !query.next()) {
            return core::Result<ObjectRecordTexts>::Fail(RecordFailure("read", index, query.lastError()));
        }
        return ObjectRecordTexts{
            query.value(0).toString().toStdString(),
            query.value(1).toString().toStdString(),
            query.value(2).toString().toStdString(),
            query.value(3).toString().toStdString(),
        };
    }

    core::Outcome WriteRecord(int index, const std::vector<FieldAssignment>& assignments) override {
        if (auto valid = CheckIndex(index); !valid) {
            return valid;
        }
        if (assignments.empty()) {
            return core::Outcome::Ok();
        }
        QStringList sets;
        for (const FieldAssignment& assignment : assignments) {
            const auto name = FieldName(assignment.field);
            if (!name) {
                return name.outcome();
            }
            sets.append(Escaped(*name) + QStringLiteral(" = ?"));
        }
        QSqlQuery query(Database());
        query.prepare(QStringLiteral("UPDATE ") + table_ + QStringLiteral(" SET ") +
                      sets.join(QStringLiteral(", ")) + KeyCondition());
        int position = 0;
        for (const FieldAssignment& assignment : assignments) {
            query.bindValue(position++, ToVariant(assignment.value));
        }
        BindKey(query, index, position);
        if (!query.exec()) {
            return core::Outcome::Fail(RecordFailure("save", index, query.lastError()));
        }
        if (query.numRowsAffected() == 0) {
            return core::Outcome::Fail("Could not save record " + std::to_string(index + 1) + " of table " +
                                       TableName() + " in " + Quoted(file_) +
                                       ": the record no longer exists (another program removed it).");
        }
        return core::Outcome::Ok();
    }

  private:
    [[nodiscard]] QSqlDatabase Database() const { return QSqlDatabase::database(connectionName_, false); }

    [[nodiscard]] QString Escaped(const QString& identifier) const {
        return Database().driver()->escapeIdentifier(identifier, QSqlDriver::FieldName);
    }

    // Table names are matched without regard to case, as the databases themselves do.
    core::Outcome FindTable(const QSqlDatabase& db) {
        const QString wanted = QString::fromStdString(TableName());
        for (const QString& name : db.tables(QSql::Tables)) {
            if (name.compare(wanted, Qt::CaseInsensitive) == 0) {
                table_ = db.driver()->escapeIdentifier(name, QSqlDriver::TableName);
                tableName_ = name;
                return core::Outcome::Ok();
            }
        }
        return core::Outcome::Fail(Quoted(file_) + " has no table " + TableName() + ".");
    }

    core::Outcome ReadFieldNames(const QSqlDatabase& db) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT * FROM ") + table_ + QStringLiteral(" WHERE 1 = 0"))) {
            return core::Outcome::Fail("Could not read table " + TableName() + " of " + Quoted(file_) + ": " +
                                       Reason(query.lastError()) + ".");
        }
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i) {
            fields_.append(record.fieldName(i));
        }
        return core::Outcome::Ok();
    }

    core::Outcome FindRecordIdentity(const QSqlDatabase& db) {
        {
            QSqlQuery probe(db);
            probe.setForwardOnly(true);
            if (probe.exec(QStringLiteral("SELECT rowid FROM ") + table_ + QStringLiteral(" WHERE 1 = 0"))) {
                byRowId_ = true;
                keyFields_ = QStringList{QStringLiteral("rowid")};
                return core::Outcome::Ok();
            }
        }
        const QSqlIndex key = db.primaryIndex(tableName_);
        if (key.isEmpty()) {
            return core::Outcome::Fail(
                "Table " + TableName() + " of " + Quoted(file_) +
                " has no primary key, so its records cannot be told apart for saving.");
        }
        for (int i = 0; i < key.count(); ++i) {
            keyFields_.append(Escaped(key.fieldName(i)));
        }
        return core::Outcome::Ok();
    }

    // The table's own spelling of a field, matched without regard to case.
    core::Result<QString> FieldName(std::string_view field) const {
        const QString wanted = QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
        for (const QString& name : fields_) {
            if (name.compare(wanted, Qt::CaseInsensitive) == 0) {
                return name;
            }
        }
        return core::Result<QString>::Fail("Table " + TableName() + " of " + Quoted(file_) +
                                           " has no field \"" + std::string(field) + "\".");
    }

    [[nodiscard]] QString KeyCondition() const {
        QStringList parts;
        for (const QString& key : keyFields_) {
            parts.append(key + QStringLiteral(" = ?"));
        }
        return QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
    }

    void BindKey(QSqlQuery& query, int index, int firstPosition) const {
        const QVariantList& key = keys_[static_cast<std::size_t>(index)];
        for (int i = 0; i < key.size(); ++i) {
            query.bindValue(firstPosition + i, key[i]);
        }
    }

    core::Outcome CheckIndex(int index) const {
        if (index < 0 || index >= RecordCount()) {
            return core::Outcome::Fail("Table " + TableName() + " of " + Quoted(file_) + " has no record " +
                                       std::to_string(index + 1) + ".");
        }
        return core::Outcome::Ok();
    }

    std::string RecordFailure(const char* action, int index, const QSqlError& error) const {
        const std::string reason =
            error.isValid() ? Reason(error) : "the record no longer exists (another program removed it)";
        return std::string("Could not ") + action + " record " + std::to_string(index + 1) + " of table " +
               TableName() + " in " + Quoted(file_) + ": " + reason + ".";
    }

    QString connectionName_;
    std::filesystem::path file_;
    bool sqlite_ = false;
    QString tableName_;  // as the database spells it
    QString table_;      // escaped for statements
    QStringList fields_;
    bool byRowId_ = false;
    QStringList keyFields_;  // escaped for statements
    std::vector<QVariantList> keys_;
    int current_ = -1;
    bool editing_ = false;
    std::vector<FieldAssignment> pending_;
};

core::Outcome CheckExists(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return core::Outcome::Fail("The object database " + Quoted(file) + " does not exist.");
    }
    if (error) {
        return core::Outcome::Fail("Could not open " + Quoted(file) + ": " + error.message() + ".");
    }
    if (status.type() != std::filesystem::file_type::regular) {
        return core::Outcome::Fail(Quoted(file) + " is not a database file.");
    }
    return core::Outcome::Ok();
}

}  // namespace

core::Result<DatabaseFormat> DetectDatabaseFormat(const std::filesystem::path& file) {
    if (auto exists = CheckExists(file); !exists) {
        return exists;
    }
    std::ifstream in(file, std::ios::binary);
    std::string header(32, '\0');
    in.read(header.data(), static_cast<std::streamsize>(header.size()));
    if (in.bad() || (!in && !in.eof())) {
        return core::Result<DatabaseFormat>::Fail("Could not read " + Quoted(file) + ".");
    }
    header.resize(static_cast<std::size_t>(in.gcount()));
    if (StartsWith(header, 0, std::string_view("SQLite format 3\0", 16))) {
        return DatabaseFormat::Sqlite;
    }
    // Jet (.mdb) and ACE (.accdb) files name their engine from byte 4 on.
    if (StartsWith(header, 4, "Standard Jet DB") || StartsWith(header, 4, "Standard ACE DB")) {
        return DatabaseFormat::Access;
    }
    return core::Result<DatabaseFormat>::Fail(Quoted(file) + " is neither an SQLite nor an Access database.");
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
        Quoted(file) +
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
    const QString name =
        QStringLiteral("vantrel-objects-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    auto table = std::make_unique<SqlObjectTable>(name, connection.file);
    if (auto connected = table->Connect(connection); !connected) {
        return connected;
    }
    return std::unique_ptr<map_outputs::ObjectTable>(std::move(table));
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
        return core::Outcome::Fail("Could not create the object database " + Quoted(file) + ": " +
                                   Reason(error) + ".");
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
    if (std::filesystem::exists(file, error)) {
        return core::Outcome::Ok();
    }
    if (!file.parent_path().empty()) {
        std::filesystem::create_directories(file.parent_path(), error);
        if (error) {
            return core::Outcome::Fail("Could not create the folder of " + Quoted(file) + ": " +
                                       error.message() + ".");
        }
    }
    std::filesystem::path temporary = file;
    temporary += ".new-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    core::Outcome built = BuildObjectDatabase(temporary, emptyRecords);
    // QFile::rename never replaces an existing file: a database that appeared meanwhile is kept.
    if (built && !QFile::rename(FromPath(temporary), FromPath(file)) &&
        !std::filesystem::exists(file, error)) {
        built = core::Outcome::Fail("Could not create the object database " + Quoted(file) + ".");
    }
    std::filesystem::remove(temporary, error);
    return built;
}

}  // namespace vantrel::platform
