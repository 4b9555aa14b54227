// Which files the database layer accepts, how it reaches them, and the program's own default database.
#include "platform/object_database.hpp"

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QStringList>

#include <filesystem>
#include <ostream>
#include <string>

#include "file_bytes.hpp"
#include "map_outputs/reference_hunt.hpp"
#include "map_outputs/update_database.hpp"
#include "persistence/atomic_file.hpp"
#include "support/sqlite_file.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::platform {
namespace {

using testing_support::MakeObjectDatabase;
using testing_support::ObjectRows;
using testing_support::ReadBytes;
using testing_support::Rows;
using testing_support::SqliteFile;
using testing_support::TempDir;
using testing_support::WriteBytes;

std::string Quoted(const std::filesystem::path& file) {
    return "\"" + persistence::DisplayPath(file) + "\"";
}

// The first bytes of an Access file: a page header, then the engine's name from byte 4 on.
std::string AccessHeader(const char* engine) {
    return std::string("\x00\x01\x00\x00", 4) + engine + std::string(1, '\0') + std::string(100, '\x5a');
}

struct HeaderCase {
    const char* name;
    friend void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }
    std::string bytes;
    bool sqlite;
    const char* refusal;  // the message's end after the quoted path, for bytes that are no database
};

class DatabaseHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(DatabaseHeader, TellsTheFormatByTheFirstBytesNotTheName) {
    const HeaderCase& c = GetParam();
    TempDir dir;
    const auto file = dir / "objects.mdb";  // the name suggests Access whatever the content
    WriteBytes(file, c.bytes);
    const auto format = DetectDatabaseFormat(file);
    if (c.refusal != nullptr) {
        ASSERT_FALSE(format.ok());
        EXPECT_EQ(format.message(), Quoted(file) + c.refusal);
    } else {
        ASSERT_TRUE(format.ok()) << format.message();
        EXPECT_EQ(*format, c.sqlite ? DatabaseFormat::Sqlite : DatabaseFormat::Access);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DatabaseHeader,
    testing::Values(HeaderCase{"Sqlite", std::string("SQLite format 3\0", 16) + std::string(84, '\0'), true,
                               nullptr},
                    HeaderCase{"Jet", AccessHeader("Standard Jet DB"), false, nullptr},
                    HeaderCase{"Ace", AccessHeader("Standard ACE DB"), false, nullptr},
                    HeaderCase{"Text", "objname;grad_lat\r\nFP1;500135.123\r\n", false,
                               " is neither an SQLite nor an Access database."},
                    HeaderCase{"SqliteNameCutShort", "SQLite format", false,
                               " is neither an SQLite nor an Access database."},
                    HeaderCase{"Empty", "", false, " is neither an SQLite nor an Access database."}),
    testing_support::ParamName{});

#ifndef _WIN32
TEST(DatabaseFile, AnAccessFileIsRefusedWhereNoDriverCanWriteIt) {
    TempDir dir;
    const auto file = dir / "Univdb_u.mdb";
    const std::string bytes = AccessHeader("Standard Jet DB");
    WriteBytes(file, bytes);
    const auto table = OpenObjectTable(file);
    ASSERT_FALSE(table.ok());
    EXPECT_EQ(table.message(), Quoted(file) +
                                   " is an Access database, and this system has no database driver that can "
                                   "write to one. Use an SQLite object database here.");
    EXPECT_EQ(ReadBytes(file), bytes);
}
#endif

TEST(DatabaseFile, PathsWithUriAndConnectionStringCharactersReachTheRightFile) {
    TempDir dir;
    // '%', '?' and '#' mean something in an SQLite URI, '=' in an ODBC connection string.
    const auto folder = dir / "50% sure #1?";
    std::filesystem::create_directories(folder);
    const auto sqliteFile = folder / "objects ?x=1#top.sqlite";
    const auto odbcFile = folder / "a=b.sqlite";
    MakeObjectDatabase(sqliteFile, 7);
    MakeObjectDatabase(odbcFile, 7);

    auto bySqlite = OpenObjectTable(sqliteFile);
    ASSERT_TRUE(bySqlite.ok()) << bySqlite.message();
    EXPECT_TRUE(map_outputs::UpdateDatabase(testing_support::ReferenceHunt(), **bySqlite).ok());
    auto byOdbc =
        OpenObjectTable(OdbcConnection(QStringLiteral("SQLite3"), QStringLiteral("Database"), odbcFile));
    ASSERT_TRUE(byOdbc.ok()) << byOdbc.message();
    EXPECT_TRUE(map_outputs::UpdateDatabase(testing_support::ReferenceHunt(), **byOdbc).ok());

    EXPECT_EQ(ObjectRows(sqliteFile)[0][0], "FP1");
    EXPECT_EQ(ObjectRows(odbcFile)[0][0], "FP1");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++entries;
    }
    EXPECT_EQ(entries, 2);  // no stray file under a cut-off name
}

TEST(DatabaseFile, EachOpenTableHasItsOwnConnectionUntilItIsGone) {
    TempDir dir;
    MakeObjectDatabase(dir / "a.sqlite", 7);
    const auto before = QSqlDatabase::connectionNames().size();
    {
        auto first = OpenObjectTable(dir / "a.sqlite");
        auto second = OpenObjectTable(dir / "a.sqlite");
        ASSERT_TRUE(first.ok() && second.ok());
        EXPECT_EQ(QSqlDatabase::connectionNames().size(), before + 2);
    }
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), before);
}

TEST(OwnObjectDatabase, IsCreatedWithSevenEmptyRecordsAndItsFolder) {
    TempDir dir;
    const auto file = dir / "data" / "Vantrel" / "Univdb_u.sqlite";
    const core::Outcome created = CreateObjectDatabase(file);
    ASSERT_TRUE(created.ok()) << created.message();

    SqliteFile db(file);
    EXPECT_EQ(db.Rows("SELECT name, type, pk FROM pragma_table_info('OBJECT_LIST') ORDER BY cid"),
              (Rows{{"id", "INTEGER", "1"},
                    {"objname", "TEXT", "0"},
                    {"grad_lat", "TEXT", "0"},
                    {"grad_long", "TEXT", "0"},
                    {"graphic_id", "INTEGER", "0"}}));
    EXPECT_EQ(ObjectRows(file), Rows(7, {"<NULL>", "<NULL>", "<NULL>", "<NULL>"}));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);  // the file it was built in is gone
}

TEST(OwnObjectDatabase, AnExistingFileIsNeverReplaced) {
    TempDir dir;
    const auto file = dir / "Univdb_u.sqlite";
    WriteBytes(file, "the user's own file, whatever it holds");
    EXPECT_TRUE(CreateObjectDatabase(file).ok());
    EXPECT_EQ(ReadBytes(file), "the user's own file, whatever it holds");
}

}  // namespace
}  // namespace vantrel::platform
