// vantrel-cli update-db on measurement files and SQLite object databases in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/cli_test.hpp"
#include "e2e/two_station_hunt.hpp"
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

// The shared two-station hunt (see two_station_hunt.hpp).
ScedRecord Station1() {
    return testing_support::HuntStation1();
}
ScedRecord Station2() {
    return testing_support::HuntStation2();
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
