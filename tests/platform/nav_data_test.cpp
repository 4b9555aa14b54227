// NavData: the database Update Database writes and the view shows, from start-up through Set Database File.
#include "platform/nav_data.hpp"

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QStringList>

#include <filesystem>
#include <string>

#include "file_bytes.hpp"
#include "map_outputs/object_browser.hpp"
#include "map_outputs/reference_hunt.hpp"
#include "persistence/atomic_file.hpp"
#include "support/sqlite_file.hpp"
#include "temp_dir.hpp"

namespace vantrel::platform {
namespace {

using testing_support::MakeObjectDatabase;
using testing_support::ObjectRows;
using testing_support::OldRecord;
using testing_support::ReadBytes;
using testing_support::ReferenceHunt;
using testing_support::Rows;
using testing_support::TempDir;
using testing_support::WriteBytes;

Rows OldRows(int count) {
    Rows rows;
    for (int n = 1; n <= count; ++n) {
        rows.push_back(OldRecord(n));
    }
    return rows;
}

class NavDataTest : public testing::Test {
  protected:
    TempDir dir;
    std::filesystem::path setting = dir / "setting.sqlite";
    std::filesystem::path chosen = dir / "chosen.sqlite";
    NavData navData;
};

TEST_F(NavDataTest, FirstStartCreatesTheOwnDefaultDatabaseAndUpdateDatabaseWorksAtOnce) {
    const auto own = dir / "share" / "Vantrel" / "Univdb_u.sqlite";
    const core::Outcome started = navData.Start(own, own);
    ASSERT_TRUE(started.ok()) << started.message();

    const core::Outcome updated = navData.UpdateDatabase(ReferenceHunt());
    ASSERT_TRUE(updated.ok()) << updated.message();
    EXPECT_EQ(ObjectRows(own)[6][0], "F5");
}

TEST_F(NavDataTest, AnotherMissingDatabaseIsReportedNotCreatedAndTriedAgainLater) {
    const auto own = dir / "own.sqlite";
    const core::Outcome started = navData.Start(setting, own);
    EXPECT_EQ(started.message(),
              "The object database \"" + persistence::DisplayPath(setting) + "\" does not exist.");
    EXPECT_EQ(navData.DatabasePath(), setting);
    EXPECT_FALSE(std::filesystem::exists(setting));
    EXPECT_FALSE(std::filesystem::exists(own));

    MakeObjectDatabase(setting, 7);  // the drive with the database is plugged in
    const core::Outcome updated = navData.UpdateDatabase(ReferenceHunt());
    ASSERT_TRUE(updated.ok()) << updated.message();
    EXPECT_EQ(ObjectRows(setting)[0][0], "FP1");
}

// Another program in the middle of writing the database holds it exclusively at start-up: said as such
// (not as a missing table), and the database is tried again by the next Update Database.
TEST_F(NavDataTest, ADatabaseLockedAtStartUpIsReportedAsLockedAndTriedAgainLater) {
    MakeObjectDatabase(setting, 7);
    {
        testing_support::SqliteFile other(setting);
        other.Exec("BEGIN EXCLUSIVE; UPDATE OBJECT_LIST SET objname = 'theirs' WHERE id = 1");
        const core::Outcome started = navData.Start(setting, std::nullopt);
        EXPECT_EQ(started.message(), "Could not read \"" + persistence::DisplayPath(setting) +
                                         "\": the database is locked by another program.");
        other.Exec("ROLLBACK");
    }
    const core::Outcome updated = navData.UpdateDatabase(ReferenceHunt());
    ASSERT_TRUE(updated.ok()) << updated.message();
    EXPECT_EQ(ObjectRows(setting)[0][0], "FP1");
}

TEST_F(NavDataTest, NoValidDataComesBeforeAnyLookAtTheDatabase) {
    navData.Start(setting, std::nullopt);  // missing
    core::MeasurementState state = ReferenceHunt();
    state.ResultsValid = false;
    EXPECT_EQ(navData.UpdateDatabase(state).message(), "No Valid Data.");
}

TEST_F(NavDataTest, SetDatabaseFileSendsTheNextUpdateToTheChosenFileOnly) {
    MakeObjectDatabase(setting, 7);
    MakeObjectDatabase(chosen, 8);
    const std::string settingBytes = ReadBytes(setting);
    ASSERT_TRUE(navData.Start(setting, std::nullopt).ok());
    core::MeasurementState state = ReferenceHunt();

    const core::Outcome set = SetDatabaseFile(state, navData, chosen);
    ASSERT_TRUE(set.ok()) << set.message();
    EXPECT_EQ(state.DbFileName, persistence::DisplayPath(chosen));
    ASSERT_TRUE(navData.UpdateDatabase(state).ok());

    EXPECT_EQ(ObjectRows(chosen)[0][0], "FP1");
    EXPECT_EQ(ReadBytes(setting), settingBytes);
    // The previous database's connection is closed: only the chosen one is open.
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), 1);
}

TEST_F(NavDataTest, AChoiceThatCannotBeOpenedKeepsThePreviousDatabase) {
    MakeObjectDatabase(setting, 7);
    ASSERT_TRUE(navData.Start(setting, std::nullopt).ok());
    core::MeasurementState state = ReferenceHunt();
    const auto notADatabase = dir / "notes.mdb";
    WriteBytes(notADatabase, "FP1 was on the hill\n");

    for (const auto& bad : {chosen, notADatabase}) {
        SCOPED_TRACE(bad.string());
        const core::Outcome set = SetDatabaseFile(state, navData, bad);
        EXPECT_FALSE(set.ok());
        EXPECT_NE(set.message().find(persistence::DisplayPath(bad)), std::string::npos) << set.message();
        EXPECT_EQ(state.DbFileName, "");
        EXPECT_EQ(navData.DatabasePath(), setting);
    }
    EXPECT_FALSE(std::filesystem::exists(chosen));
    ASSERT_TRUE(navData.UpdateDatabase(state).ok());
    EXPECT_EQ(ObjectRows(setting)[0][0], "FP1");
}

TEST_F(NavDataTest, TheViewShowsTheDatabaseThatUpdateDatabaseWrites) {
    MakeObjectDatabase(setting, 7);
    MakeObjectDatabase(chosen, 9);
    ASSERT_TRUE(navData.Start(setting, std::nullopt).ok());
    ASSERT_TRUE(navData.Choose(chosen).ok());
    ASSERT_TRUE(navData.UpdateDatabase(ReferenceHunt()).ok());

    const auto table = navData.Table();
    ASSERT_TRUE(table.ok());
    map_outputs::ObjectBrowser view(**table);
    ASSERT_TRUE(view.Open().ok());
    EXPECT_EQ(view.RecordCount(), 9);
    EXPECT_EQ(view.Texts(), (map_outputs::ObjectRecordTexts{"FP1", "500135.123", "0083716.250", "23"}));
    EXPECT_EQ(ObjectRows(setting), OldRows(7));
}

}  // namespace
}  // namespace vantrel::platform
