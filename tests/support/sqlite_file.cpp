#include "support/sqlite_file.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <stdexcept>

namespace vantrel::testing_support {

SqliteFile::SqliteFile(const std::filesystem::path& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
        const std::string reason = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw std::runtime_error("cannot open " + path.string() + ": " + reason);
    }
}

SqliteFile::~SqliteFile() {
    sqlite3_close(db_);
}

void SqliteFile::Exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string reason = error != nullptr ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("SQL failed: " + sql + ": " + reason);
    }
}

std::vector<std::vector<std::string>> SqliteFile::Rows(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        throw std::runtime_error("SQL failed: " + sql + ": " + sqlite3_errmsg(db_));
    }
    std::vector<std::vector<std::string>> rows;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const unsigned char* text = sqlite3_column_text(statement, i);
            row.emplace_back(text == nullptr ? "<NULL>" : reinterpret_cast<const char*>(text));
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    if (step != SQLITE_DONE) {
        throw std::runtime_error("SQL failed: " + sql + ": " + sqlite3_errmsg(db_));
    }
    return rows;
}

void MakeObjectDatabase(const std::filesystem::path& path, int records, const std::string& createTable) {
    SqliteFile db(path);
    db.Exec(createTable);
    std::vector<std::string> columns;
    for (const auto& row : db.Rows("SELECT name FROM pragma_table_info('OBJECT_LIST')")) {
        columns.push_back(row[0]);
    }
    const auto has = [&](const std::string& name) {
        return std::find(columns.begin(), columns.end(), name) != columns.end();
    };
    db.Exec("BEGIN");
    for (int n = 1; n <= records; ++n) {
        const std::vector<std::string> old = OldRecord(n);
        std::string names_list;
        std::string values_list;
        const std::vector<std::string> fields{"objname", "grad_lat", "grad_long", "graphic_id"};
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (!has(fields[i])) {
                continue;
            }
            names_list += (names_list.empty() ? "" : ", ") + fields[i];
            values_list +=
                std::string(values_list.empty() ? "" : ", ") + (i == 3 ? old[i] : "'" + old[i] + "'");
        }
        if (has("code")) {  // the text key of a table without rowid
            names_list += ", code";
            values_list += ", 'k" + std::to_string(n) + "'";
        }
        db.Exec("INSERT INTO OBJECT_LIST (" + names_list + ") VALUES (" + values_list + ")");
    }
    db.Exec("COMMIT");
}

Rows ObjectRows(const std::filesystem::path& path, const std::string& order) {
    SqliteFile db(path);
    return db.Rows("SELECT objname, grad_lat, grad_long, graphic_id FROM OBJECT_LIST ORDER BY " + order);
}

std::vector<std::string> OldRecord(int n) {
    const std::string number = std::to_string(n);
    return {"old" + number, "lat" + number, "lon" + number, std::to_string(100 + n)};
}

}  // namespace vantrel::testing_support
