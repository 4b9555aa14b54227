#include "platform/sql_object_table.hpp"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QUuid>
#include <QVariant>

#include <string>
#include <utility>
#include <vector>

#include "persistence/atomic_file.hpp"

namespace vantrel::platform {
namespace {

using map_outputs::FieldAssignment;
using map_outputs::FieldValue;
using map_outputs::ObjectRecordTexts;

std::string TableName() {
    return std::string(map_outputs::kObjectTableName);
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
            return core::Outcome::Fail("Could not open " + QuotedPath(file_) + ": the database driver " +
                                       connection.driver.toStdString() + " is not available.");
        }
        db.setDatabaseName(connection.databaseName);
        db.setConnectOptions(connection.connectOptions);
        if (!db.open()) {
            return core::Outcome::Fail("Could not open " + QuotedPath(file_) + ": " +
                                       SqlReason(db.lastError()) + ".");
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
            return core::Result<int>::Fail("Could not read table " + TableName() + " of " +
                                           QuotedPath(file_) + ": " + SqlReason(query.lastError()) + ".");
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
            return core::Result<int>::Fail("Could not read table " + TableName() + " of " +
                                           QuotedPath(file_) + ": " + SqlReason(query.lastError()) + ".");
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
            return core::Outcome::Fail("Table " + TableName() + " of " + QuotedPath(file_) +
                                       " holds no records.");
        }
        current_ = 0;
        return core::Outcome::Ok();
    }

    core::Outcome MoveNext() override {
        if (current_ < 0 || current_ + 1 >= RecordCount()) {
            return core::Outcome::Fail("Table " + TableName() + " of " + QuotedPath(file_) +
                                       " has no record after record " + std::to_string(current_ + 1) + ".");
        }
        ++current_;
        editing_ = false;
        return core::Outcome::Ok();
    }

    core::Outcome Edit() override {
        if (current_ < 0) {
            return core::Outcome::Fail("No current record in table " + TableName() + " of " +
                                       QuotedPath(file_) + ".");
        }
        editing_ = true;
        pending_.clear();
        return core::Outcome::Ok();
    }

    core::Outcome SetField(std::string_view field, const FieldValue& value) override {
        if (!editing_) {
            return core::Outcome::Fail("No record of table " + TableName() + " of " + QuotedPath(file_) +
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
            return core::Outcome::Fail("No record of table " + TableName() + " of " + QuotedPath(file_) +
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
            return core::Outcome::Fail("Could not start writing to " + QuotedPath(file_) + ": " +
                                       SqlReason(error) + ".");
        }
        return core::Outcome::Ok();
    }

    core::Outcome CommitTransaction() override {
        QSqlDatabase db = Database();
        if (!db.commit()) {
            return core::Outcome::Fail("Could not save the changes to " + QuotedPath(file_) + ": " +
                                       SqlReason(db.lastError()) + ".");
        }
        return core::Outcome::Ok();
    }

    core::Outcome RollbackTransaction() override {
        QSqlDatabase db = Database();
        if (!db.rollback()) {
            return core::Outcome::Fail("Could not undo the changes to " + QuotedPath(file_) + ": " +
                                       SqlReason(db.lastError()) + ".");
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
            return core::Outcome::Fail(RecordFailure("save", index, QSqlError()));
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
        // The list of tables comes back empty, without an error, when the file is locked: ask the table
        // itself before saying that it is not there.
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT * FROM ") + wanted + QStringLiteral(" WHERE 1 = 0")) &&
            IsLockedByAnother(probe.lastError())) {
            return core::Outcome::Fail("Could not read " + QuotedPath(file_) + ": " +
                                       SqlReason(probe.lastError()) + ".");
        }
        return core::Outcome::Fail(QuotedPath(file_) + " has no table " + TableName() + ".");
    }

    core::Outcome ReadFieldNames(const QSqlDatabase& db) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT * FROM ") + table_ + QStringLiteral(" WHERE 1 = 0"))) {
            return core::Outcome::Fail("Could not read table " + TableName() + " of " + QuotedPath(file_) +
                                       ": " + SqlReason(query.lastError()) + ".");
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
                "Table " + TableName() + " of " + QuotedPath(file_) +
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
        return core::Result<QString>::Fail("Table " + TableName() + " of " + QuotedPath(file_) +
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
            return core::Outcome::Fail("Table " + TableName() + " of " + QuotedPath(file_) +
                                       " has no record " + std::to_string(index + 1) + ".");
        }
        return core::Outcome::Ok();
    }

    std::string RecordFailure(const char* action, int index, const QSqlError& error) const {
        const std::string reason =
            error.isValid() ? SqlReason(error) : "the record no longer exists (another program removed it)";
        return std::string("Could not ") + action + " record " + std::to_string(index + 1) + " of table " +
               TableName() + " in " + QuotedPath(file_) + ": " + reason + ".";
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

}  // namespace

core::Result<std::unique_ptr<map_outputs::ObjectTable>> ConnectObjectTable(
    const DatabaseConnection& connection) {
    const QString name =
        QStringLiteral("vantrel-objects-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    auto table = std::make_unique<SqlObjectTable>(name, connection.file);
    if (auto connected = table->Connect(connection); !connected) {
        return connected;
    }
    return std::unique_ptr<map_outputs::ObjectTable>(std::move(table));
}

}  // namespace vantrel::platform
