// vantrel-cli update-db on measurement files and SQLite object databases in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/cli_test.hpp"
#include "file_bytes.hpp"
#include "persistence/data_file.hpp"
#include "support/sqlite_file.hpp"
#include "temp_dir.hpp"

namespace vantrel {
namespace {

using persistence::ScedRecord;
using testing_support::MakeObjectDatabase;
using testing_support::ObjectRows;
using testing_support::OldRecord;
using testing_support::ProcessResult;
using testing_support::ReadBytes;
using testing_support::Rows;
using testing_support::RunCli;
using testing_support::TempDir;
using testing_support::WriteBytes;

// Stations 1 km apart on northing 5700000, station 1 on the central meridian. Absolute bearings:
// F1 45 / 315 (fix N 5700500 E 500500), F2 0 / 0 (no fix), F3 90 / 0 (fix at station 2), F4 30 / 30
// (parallel, no fix), F5 0 / 315 (fix N 5701000 E 500000).
ScedRecord Station1() {
    ScedRecord r;
    r.North = 5700000;
    r.East = 500000;
    r.BaseAngle = 20;
    r.Ang = {25, -20, 70, 10, 340};
    return r;
}

ScedRecord Station2() {
    ScedRecord r;
    r.North = 5700000;
    r.East = 501000;
    r.BaseAngle = -10;
    r.Ang = {325, 10, 10, 40, -35};
    return r;
}

// Latitudes and longitudes from GeographicLib (GeoConvert) and the written inverse series evaluated in
// Python, which agree within 0.00005"; written in degrees, minutes and seconds by hand. A fox without a fix
// in a fresh run keeps northing 0 and easting 0, which converts to 0 N 4 30'40.522" E.
const Rows kExpected{
    {"FP1", "512704.256", "0090000.000", "23"},  // 51 27'04.2559" N  9 E
    {"FP2", "512704.253", "0090051.808", "24"},  // 51 27'04.2528" N  9 00'51.8083" E
    {"F1", "512720.440", "0090025.907", "25"},   // 51 27'20.4404" N  9 00'25.9067" E
    {"F2", "000000.000", "0043040.522", "26"},
    {"F3", "512704.253", "0090051.808", "27"},
    {"F4", "000000.000", "0043040.522", "28"},
    {"F5", "512736.626", "0090000.000", "29"},  // 51 27'36.6264" N  9 E
};

class CliUpdateDb : public testing::Test {
  protected:
    void SetUp() override {
        WriteBytes(dir / "hunt.fh2", persistence::EncodeDataFile(Station1(), Station2(), {}));
        WriteBytes(dir / "old.fhd",
                   persistence::EncodeScedRecord(Station1()) + persistence::EncodeScedRecord(Station2()));
    }

    ProcessResult Run(const std::vector<std::string>& args) {
        testing_support::ProcessOptions options;
        options.environment["XDG_CONFIG_HOME"] = (dir / "config").string();
        options.environment["XDG_DATA_HOME"] = (dir / "data").string();
        return RunCli(args, options);
    }

    TempDir dir;
    std::filesystem::path db = dir / "objects.sqlite";
};

TEST_F(CliUpdateDb, WritesTheSevenObjectsSilentlyAndLeavesTheRest) {
    for (const char* file : {"hunt.fh2", "old.fhd"}) {
        SCOPED_TRACE(file);
        std::filesystem::remove(db);
        MakeObjectDatabase(db, 8);
        const ProcessResult r = Run({"update-db", (dir / file).string(), "--db", db.string()});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
        Rows expected = kExpected;
        expected.push_back(OldRecord(8));
        EXPECT_EQ(ObjectRows(db), expected);
    }
    // Neither the settings nor the program's own default database are touched.
    EXPECT_FALSE(std::filesystem::exists(dir / "config"));
    EXPECT_FALSE(std::filesystem::exists(dir / "data"));
}

TEST_F(CliUpdateDb, AMissingDatabaseIsReportedAndNotCreated) {
    const ProcessResult r = Run({"update-db", (dir / "hunt.fh2").string(), "--db", db.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "vantrel-cli: The object database \"" + db.string() + "\" does not exist.\n");
    EXPECT_FALSE(std::filesystem::exists(db));
}

TEST_F(CliUpdateDb, ADatabaseThatCannotTakeTheUpdateIsLeftAsItWas) {
    MakeObjectDatabase(db, 6);
    const std::string before = ReadBytes(db);
    const ProcessResult r = Run({"update-db", (dir / "hunt.fh2").string(), "--db", db.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "vantrel-cli: Table OBJECT_LIST of \"" + db.string() +
                         "\" holds 6 records; Update Database needs at least 7. Nothing was changed.\n");
    EXPECT_EQ(ReadBytes(db), before);
}

TEST_F(CliUpdateDb, UsageErrors) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"update-db", "hunt.fh2"},
                                               {"update-db", "hunt.fh2", "--db="},
                                               {"update-db", "--db", "x.sqlite"},
                                               {"update-db", "a.fh2", "b.fh2", "--db", "x.sqlite"},
                                               {"update-db", "hunt.fh2", "--database", "x.sqlite"}}) {
        const ProcessResult r = Run(args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

}  // namespace
}  // namespace vantrel
