#pragma once

// Direct access to an SQLite file through SQLite's own library, apart from the program's database layer:
// tests build object databases with it, hold locks with it and read back what the program wrote.
// Failures throw std::runtime_error, which GoogleTest reports as a failed test.

#include <filesystem>
#include <string>
#include <vector>

struct sqlite3;

namespace vantrel::testing_support {

class SqliteFile {
  public:
    // Opens the file, creating it when missing.
    explicit SqliteFile(const std::filesystem::path& path);
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    // Runs one or more statements.
    void Exec(const std::string& sql);
    // Every row of a query, each value as text; NULL as "<NULL>".
    std::vector<std::vector<std::string>> Rows(const std::string& sql);

  private:
    sqlite3* db_ = nullptr;
};

using Rows = std::vector<std::vector<std::string>>;

// A table OBJECT_LIST made by `createTable`, holding `records` records numbered from 1: objname "old<n>",
// grad_lat "lat<n>", grad_long "lon<n>", graphic_id 100 + n (fields the table lacks are left out), and
// "k<n>" in a column named code where the table has one (a text key).
void MakeObjectDatabase(const std::filesystem::path& path, int records,
                        const std::string& createTable =
                            "CREATE TABLE OBJECT_LIST (id INTEGER PRIMARY KEY, "
                            "objname TEXT, grad_lat TEXT, grad_long TEXT, "
                            "graphic_id INTEGER)");

// objname, grad_lat, grad_long, graphic_id of every record, in rowid order unless told otherwise.
Rows ObjectRows(const std::filesystem::path& path, const std::string& order = "rowid");

// The four texts of record n (1-based) as MakeObjectDatabase wrote them.
std::vector<std::string> OldRecord(int n);

}  // namespace vantrel::testing_support
