// Update Database on real SQLite files, through the SQLite driver and through ODBC with the SQLite3 ODBC
// driver, so both code paths of the database layer run for real.
#include "map_outputs/update_database.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>

#include "map_outputs/reference_hunt.hpp"
#include "persistence/atomic_file.hpp"
#include "platform/object_database.hpp"
#include "support/read_only_file.hpp"
#include "support/sqlite_file.hpp"
#include "temp_dir.hpp"

namespace vantrel::platform {
namespace {

using map_outputs::ObjectTable;
using testing_support::MakeObjectDatabase;
using testing_support::ObjectRows;
using testing_support::OldRecord;
using testing_support::Rows;
using testing_support::SqliteFile;
using testing_support::TempDir;

using OpenFunction = core::Result<std::unique_ptr<ObjectTable>> (*)(const std::filesystem::path&);

struct Backend {
    const char* name;
    OpenFunction open;
};

core::Result<std::unique_ptr<ObjectTable>> OpenBySqliteDriver(const std::filesystem::path& file) {
    return OpenObjectTable(file);  // the program's own choice: an SQLite file goes to QSQLITE
}

core::Result<std::unique_ptr<ObjectTable>> OpenByOdbc(const std::filesystem::path& file) {
    // No NoCreat here: that a missing file is not created must come from the program's own check.
    return OpenObjectTable(OdbcConnection(QStringLiteral("SQLite3"), QStringLiteral("Database"), file,
                                          QStringLiteral("Timeout=%1;").arg(kBusyTimeoutMs)));
}

struct BackendName {
    std::string operator()(const testing::TestParamInfo<Backend>& param) const { return param.param.name; }
};

const Backend kSqliteDriver{"SqliteDriver", OpenBySqliteDriver};
const Backend kOdbc{"OdbcSqlite3", OpenByOdbc};

// Opens and updates; the outcome of whichever step failed.
core::Outcome OpenAndUpdate(const Backend& backend, const std::filesystem::path& file,
                            const core::MeasurementState& state) {
    auto table = backend.open(file);
    if (!table) {
        return table.outcome();
    }
    return map_outputs::UpdateDatabase(state, **table);
}

Rows ReferenceRows() {
    Rows rows;
    for (const auto& record : testing_support::kReferenceRecords) {
        rows.emplace_back(record.begin(), record.end());
    }
    return rows;
}

Rows OldRows(int first, int last) {
    Rows rows;
    for (int n = first; n <= last; ++n) {
        rows.push_back(OldRecord(n));
    }
    return rows;
}

Rows Concat(Rows a, const Rows& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class UpdateDatabaseOn : public testing::TestWithParam<Backend> {
  protected:
    TempDir dir;
    std::filesystem::path db = dir / "objects.sqlite";
};

TEST_P(UpdateDatabaseOn, WritesTheFirstSevenRecordsAndNothingElse) {
    MakeObjectDatabase(db, 9,
                       "CREATE TABLE OBJECT_LIST (id INTEGER PRIMARY KEY, objname TEXT, remark TEXT, "
                       "grad_lat TEXT, grad_long TEXT, graphic_id INTEGER)");
    SqliteFile(db).Exec("UPDATE OBJECT_LIST SET remark = 'mine'");

    for (int run = 1; run <= 2; ++run) {  // a second run writes the same seven again, no duplicates
        SCOPED_TRACE("run " + std::to_string(run));
        const core::Outcome outcome = OpenAndUpdate(GetParam(), db, testing_support::ReferenceHunt());
        ASSERT_TRUE(outcome.ok()) << outcome.message();
        EXPECT_EQ(ObjectRows(db), Concat(ReferenceRows(), OldRows(8, 9)));
    }
    SqliteFile check(db);
    EXPECT_EQ(check.Rows("SELECT DISTINCT remark FROM OBJECT_LIST"), Rows{{"mine"}});
    EXPECT_EQ(check.Rows("SELECT DISTINCT typeof(graphic_id) FROM OBJECT_LIST"), Rows{{"integer"}});
}

TEST_P(UpdateDatabaseOn, FollowsTheTablesNaturalOrderNotTheNamesOrAnIndex) {
    // Rowids reversed (old1 now last) and an index on objname that a query could be tempted to follow.
    MakeObjectDatabase(
        db, 8,
        "CREATE TABLE OBJECT_LIST (objname TEXT, grad_lat TEXT, grad_long TEXT, graphic_id INTEGER);"
        "CREATE INDEX by_name ON OBJECT_LIST (objname)");
    SqliteFile(db).Exec("UPDATE OBJECT_LIST SET rowid = 100 - rowid");

    const core::Outcome outcome = OpenAndUpdate(GetParam(), db, testing_support::ReferenceHunt());
    ASSERT_TRUE(outcome.ok()) << outcome.message();
    EXPECT_EQ(ObjectRows(db), Concat(ReferenceRows(), OldRows(1, 1)));
}

TEST_P(UpdateDatabaseOn, TellsRecordsApartByThePrimaryKeyWhereThereIsNoRowid) {
    MakeObjectDatabase(db, 8,
                       "CREATE TABLE OBJECT_LIST (code TEXT PRIMARY KEY, objname TEXT, grad_lat TEXT, "
                       "grad_long TEXT, graphic_id INTEGER) WITHOUT ROWID");

    const core::Outcome outcome = OpenAndUpdate(GetParam(), db, testing_support::ReferenceHunt());
    ASSERT_TRUE(outcome.ok()) << outcome.message();
    EXPECT_EQ(ObjectRows(db, "code"), Concat(ReferenceRows(), OldRows(8, 8)));
}

TEST_P(UpdateDatabaseOn, BeforeTheFirstCalculateAnswersNoValidDataAndLeavesTheTable) {
    MakeObjectDatabase(db, 7);
    core::MeasurementState state = testing_support::ReferenceHunt();
    state.ResultsValid = false;

    const core::Outcome outcome = OpenAndUpdate(GetParam(), db, state);
    EXPECT_EQ(outcome.message(), "No Valid Data.");
    EXPECT_EQ(ObjectRows(db), OldRows(1, 7));
}

TEST_P(UpdateDatabaseOn, AMissingFileIsReportedAndNotCreated) {
    const core::Outcome outcome = OpenAndUpdate(GetParam(), db, testing_support::ReferenceHunt());
    EXPECT_EQ(outcome.message(),
              "The object database \"" + persistence::DisplayPath(db) + "\" does not exist.");
    EXPECT_FALSE(std::filesystem::exists(db));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(Drivers, UpdateDatabaseOn, testing::Values(kSqliteDriver, kOdbc), BackendName{});

// A database that cannot take the update: the message names the file and the failure, and not one record
// changes (all seven are saved together or not at all).
struct FailureCase {
    const char* name;
    friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
    std::function<void(const std::filesystem::path&)> make;
    // Holds a lock or a read-only state while the update runs; empty when there is nothing to hold.
    std::function<std::shared_ptr<void>(const std::filesystem::path&)> hold;
    const char* expected;  // a part of the message
};

void MakeSeven(const std::filesystem::path& db) {
    MakeObjectDatabase(db, 7);
}

const FailureCase kFailures[] = {
    {"FewerThanSevenRecords",
     [](const auto& db) { MakeObjectDatabase(db, 6); },
     {},
     "holds 6 records; Update Database needs at least 7."},
    {"NoRecords",
     [](const auto& db) { MakeObjectDatabase(db, 0); },
     {},
     "holds 0 records; Update Database needs at least 7."},
    {"MissingField",
     [](const auto& db) {
         MakeObjectDatabase(db, 8,
                            "CREATE TABLE OBJECT_LIST (id INTEGER PRIMARY KEY, objname TEXT, "
                            "grad_lat TEXT, graphic_id INTEGER)");
     },
     {},
     "has no field \"grad_long\""},
    {"NoObjectTable",
     [](const auto& db) { SqliteFile(db).Exec("CREATE TABLE OTHER (x INTEGER)"); },
     {},
     "has no table OBJECT_LIST"},
    {"FifthSaveRefused",
     [](const auto& db) {
         MakeObjectDatabase(db, 8);
         SqliteFile(db).Exec(
             "CREATE TRIGGER guard BEFORE UPDATE ON OBJECT_LIST WHEN new.objname = 'F3' "
             "BEGIN SELECT RAISE(ABORT, 'F3 is protected'); END");
     },
     {},
     "F3 is protected"},
    {"LockedByAnotherWriter", MakeSeven,
     [](const auto& db) -> std::shared_ptr<void> {
         auto other = std::make_shared<SqliteFile>(db);
         other->Exec("BEGIN IMMEDIATE; UPDATE OBJECT_LIST SET objname = 'theirs' WHERE id = 1");
         return other;
     },
     "the database is locked by another program"},
    // A writer in the middle of its commit holds the file exclusively: not even the tables can be read.
    {"LockedExclusively", MakeSeven,
     [](const auto& db) -> std::shared_ptr<void> {
         auto other = std::make_shared<SqliteFile>(db);
         other->Exec("BEGIN EXCLUSIVE; UPDATE OBJECT_LIST SET objname = 'theirs' WHERE id = 1");
         return other;
     },
     "the database is locked by another program"},
    {"ReadByAnotherProgramUntilTheSave", MakeSeven,  // the failure comes only at the commit
     [](const auto& db) -> std::shared_ptr<void> {
         auto other = std::make_shared<SqliteFile>(db);
         other->Exec("BEGIN; SELECT count(*) FROM OBJECT_LIST");
         return other;
     },
     "locked"},
    {"ReadOnlyFile", MakeSeven,
     [](const auto& db) -> std::shared_ptr<void> {
         auto readOnly = std::make_shared<testing_support::ReadOnlyFile>(db);
         return readOnly->Made() ? readOnly : nullptr;
     },
     "readonly"},
};

struct BackendAndCaseName {
    template <class Param>
    std::string operator()(const testing::TestParamInfo<Param>& param) const {
        return std::string(std::get<0>(param.param).name) + "_" + std::get<1>(param.param).name;
    }
};

class UpdateDatabaseFailure : public testing::TestWithParam<std::tuple<Backend, FailureCase>> {
  protected:
    // Everything table OBJECT_LIST holds, whatever its fields; nothing when there is no such table.
    Rows ObjectRowsIfAny() {
        SqliteFile file(db);
        if (file.Rows("SELECT 1 FROM sqlite_master WHERE name = 'OBJECT_LIST'").empty()) {
            return {};
        }
        return file.Rows("SELECT * FROM OBJECT_LIST ORDER BY rowid");
    }

    TempDir dir;
    std::filesystem::path db = dir / "objects.sqlite";
};

TEST_P(UpdateDatabaseFailure, NamesTheFileAndTheReasonAndChangesNothing) {
    const auto& [backend, failure] = GetParam();
    failure.make(db);
    const Rows before = SqliteFile(db).Rows("SELECT * FROM sqlite_master");
    const Rows contentBefore = ObjectRowsIfAny();
    std::shared_ptr<void> held;
    if (failure.hold) {
        held = failure.hold(db);
        if (!held) {
            GTEST_SKIP() << "this system cannot make the file read-only for the test's user";
        }
    }

    const core::Outcome outcome = OpenAndUpdate(backend, db, testing_support::ReferenceHunt());
    held.reset();

    ASSERT_FALSE(outcome.ok());
    EXPECT_NE(outcome.message().find("\"" + persistence::DisplayPath(db) + "\""), std::string::npos)
        << outcome.message();
    EXPECT_NE(outcome.message().find(failure.expected), std::string::npos) << outcome.message();
    EXPECT_EQ(ObjectRowsIfAny(), contentBefore);
    EXPECT_EQ(SqliteFile(db).Rows("SELECT * FROM sqlite_master"), before);
}

INSTANTIATE_TEST_SUITE_P(Drivers, UpdateDatabaseFailure,
                         testing::Combine(testing::Values(kSqliteDriver, kOdbc),
                                          testing::ValuesIn(kFailures)),
                         BackendAndCaseName{});

}  // namespace
}  // namespace vantrel::platform
