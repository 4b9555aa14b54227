// The bearing table of the "Data Processing" window: cursor, editing, deleting, clearing, averaging and the
// transfer to the main window.
#include "instruments/bearing_table.hpp"

#include <gtest/gtest.h>

#include "test_names.hpp"

#include <ostream>
#include <string>
#include <vector>

namespace vantrel::instruments {
namespace {

struct Table {
    DataInForm form;
    RxReadings readings;

    Table() { LayoutGrid(form); }
    void Fill(int column, const std::vector<std::pair<int, std::string>>& cells) {
        for (const auto& [row, text] : cells) {
            form.Grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
        }
    }
    [[nodiscard]] const std::string& Cell(int row, int column) const {
        return form.Grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }
};

TEST(LayoutGrid, HeadersRowNumbersAndFoxOne) {
    Table t;
    t.form.ActiveFox = 4;
    t.form.CursorRow = 9;
    t.form.SelectedFoxOption = 3;
    LayoutGrid(t.form);
    EXPECT_EQ(t.Cell(0, 0), "");
    EXPECT_EQ(t.Cell(0, 1), "Fox 1");
    EXPECT_EQ(t.Cell(0, 5), "Fox 5");
    EXPECT_EQ(t.Cell(1, 0), "1");
    EXPECT_EQ(t.Cell(30, 0), "30");
    EXPECT_EQ(t.form.ActiveFox, 1);
    EXPECT_EQ(t.form.CursorRow, 1);
    EXPECT_EQ(t.form.SelectedFoxOption, 0);
}

TEST(ShowStationReadings, ValidReadingsOfTheStationInTheirCells) {
    Table t;
    t.readings(1, 0, 0) = {12.5, -3, 1};
    t.readings(1, 4, 29) = {359, 0, 1};
    t.readings(1, 2, 5) = {77, 0, 0};  // not valid
    t.readings(0, 1, 1) = {88, 0, 1};  // the other station
    ShowStationReadings(t.form, t.readings, 1, ',');
    EXPECT_EQ(t.Cell(1, 1), "12,5");
    EXPECT_EQ(t.Cell(30, 5), "359");
    EXPECT_EQ(t.Cell(6, 3), "");
    EXPECT_EQ(t.Cell(2, 2), "");
    EXPECT_EQ(t.Cell(0, 3), "Fox 3");
}

TEST(FoxOption, CursorGoesAfterTheLastFilledRow) {
    Table t;
    t.Fill(3, {{1, "1"}, {2, "2"}, {3, "3"}, {4, "4"}, {7, "7"}});
    ClickFoxOption(t.form, 2);
    EXPECT_EQ(t.form.ActiveFox, 3);
    EXPECT_EQ(t.form.CursorRow, 8);
    EXPECT_EQ(t.form.SelectedFoxOption, 2);
    ClickFoxOption(t.form, 1);
    EXPECT_EQ(t.form.CursorRow, 1);
    t.Fill(5, {{30, "300"}});
    ClickFoxOption(t.form, 4);
    EXPECT_EQ(t.form.CursorRow, 30);
}

TEST(CellClick, OtherFoxMovesTheCursorSameFoxKeepsTheClickedRow) {
    Table t;
    t.Fill(2, {{1, "10"}, {2, "20"}});
    ClickCell(t.form, 1, 2);  // option Fox2 was not selected: its click runs
    EXPECT_EQ(t.form.ActiveFox, 2);
    EXPECT_EQ(t.form.CursorRow, 3);
    EXPECT_EQ(t.form.SelectedFoxOption, 1);
    ClickCell(t.form, 1, 2);  // now it is: the next reading replaces row 1
    EXPECT_EQ(t.form.CursorRow, 1);
}

TEST(CellClick, HeaderRowAndNumberColumnChangeNothing) {
    Table t;
    ClickCell(t.form, 5, 1);
    for (const auto& [row, column] :
         std::vector<std::pair<int, int>>{{0, 3}, {4, 0}, {0, 0}, {31, 2}, {3, 6}}) {
        ClickCell(t.form, row, column);
        EXPECT_EQ(t.form.ActiveFox, 1);
        EXPECT_EQ(t.form.CursorRow, 5);
        EXPECT_EQ(t.form.SelectedFoxOption, 0);
    }
}

TEST(EditCell, AcceptsZeroUpToBelowThreeSixty) {
    Table t;
    t.readings(0, 1, 3) = {100, -7, 1};
    EXPECT_TRUE(EditCell(t.form, t.readings, 0, 4, 2, "12,50", ','));
    EXPECT_EQ(t.Cell(4, 2), "12,50");  // as typed
    EXPECT_EQ(t.readings(0, 1, 3), (RxReading{12.5, -7, 1}));

    EXPECT_TRUE(EditCell(t.form, t.readings, 1, 1, 1, "0", ','));
    EXPECT_EQ(t.readings(1, 0, 0), (RxReading{0, 0, 1}));
    EXPECT_EQ(t.Cell(1, 1), "0");

    for (const char* refused : {"360", "-1", "359,9x", "", "abc"}) {
        EXPECT_FALSE(EditCell(t.form, t.readings, 0, 4, 2, refused, ',')) << refused;
        EXPECT_EQ(t.Cell(4, 2), "12,50");
        EXPECT_EQ(t.readings(0, 1, 3).Angle, 12.5);
    }
    EXPECT_FALSE(EditCell(t.form, t.readings, 0, 0, 2, "10", ','));
    EXPECT_EQ(t.Cell(0, 2), "Fox 2");
}

TEST(DeleteCells, DownwardSelectionEmptiesCellsAndInvalidatesReadings) {
    Table t;
    for (int row = 1; row <= 6; ++row) {
        t.Fill(2, {{row, std::to_string(row * 10)}});
        t.readings(0, 1, row - 1) = {row * 10.0, -1.0 * row, 1};
    }
    DeleteCells(t.form, t.readings, 0, 5, 2, 3);  // end row above the current row
    EXPECT_EQ(t.Cell(3, 2), "30");
    DeleteCells(t.form, t.readings, 0, 3, 2, 5);
    EXPECT_EQ(t.Cell(2, 2), "20");
    EXPECT_EQ(t.Cell(3, 2), "");
    EXPECT_EQ(t.Cell(5, 2), "");
    EXPECT_EQ(t.Cell(6, 2), "60");
    EXPECT_EQ(t.readings(0, 1, 1).Valid, 1);
    EXPECT_EQ(t.readings(0, 1, 2), (RxReading{30, -3, 0}));  // Angle and Signal kept
    EXPECT_EQ(t.readings(0, 1, 4).Valid, 0);
    EXPECT_EQ(t.readings(0, 1, 5).Valid, 1);
}

TEST(DeleteCells, InvalidatesTheColumnItEmptiesEvenWhenAnotherFoxIsActive) {
    Table t;
    t.Fill(2, {{1, "20"}});
    t.Fill(4, {{1, "40"}});
    t.readings(0, 1, 0).Valid = 1;
    t.readings(0, 3, 0).Valid = 1;
    t.form.ActiveFox = 4;
    DeleteCells(t.form, t.readings, 0, 1, 2, 1);
    EXPECT_EQ(t.Cell(1, 2), "");
    EXPECT_EQ(t.readings(0, 1, 0).Valid, 0);
    EXPECT_EQ(t.Cell(1, 4), "40");
    EXPECT_EQ(t.readings(0, 3, 0).Valid, 1);
}

TEST(ClearTable, EmptiesTheStationAndStartsOverAtFoxOne) {
    Table t;
    t.Fill(3, {{4, "44"}});
    t.readings(0, 2, 3) = {44, -4, 1};
    t.readings(1, 2, 3) = {55, -5, 1};
    ClickFoxOption(t.form, 2);
    ClearTable(t.form, t.readings, 0);
    EXPECT_EQ(t.Cell(4, 3), "");
    EXPECT_EQ(t.Cell(0, 3), "Fox 3");
    EXPECT_EQ(t.Cell(4, 0), "4");
    EXPECT_EQ(t.form.ActiveFox, 1);
    EXPECT_EQ(t.form.CursorRow, 1);
    EXPECT_EQ(t.form.SelectedFoxOption, 0);
    EXPECT_EQ(t.readings(0, 2, 3), (RxReading{44, -4, 0}));
    EXPECT_EQ(t.readings(1, 2, 3).Valid, 1);
}

struct AverageCase {
    const char* name;
    friend void PrintTo(const AverageCase& c, std::ostream* os) { *os << c.name; }
    std::vector<std::string> cells;
    const char* mean;
    bool overlap;
};

class AverageColumnTest : public testing::TestWithParam<AverageCase> {};

TEST_P(AverageColumnTest, WrapsAroundNorthOnlyWhenBothSidesArePresent) {
    const AverageCase& c = GetParam();
    std::vector<std::string> cells = c.cells;
    cells.resize(kTableRows);
    const std::vector<double> signals(kTableRows, 0.0);
    const ColumnAverage average = AverageColumn(cells, signals, ',');
    EXPECT_EQ(average.mean, c.mean);
    EXPECT_EQ(average.overlap, c.overlap);
}

// 1100 / 3 is 366.666666666666686 as a double; less 360 that is 6.666666666666686, written with 15 digits.
INSTANTIATE_TEST_SUITE_P(
    Examples, AverageColumnTest,
    testing::Values(AverageCase{"AcrossNorth", {"350", "10", "20"}, "6,66666666666669", true},
                    AverageCase{"HighOnly", {"350", "340"}, "345", false},
                    AverageCase{"LowOnly", {"10", "40"}, "25", false},
                    AverageCase{"LimitsCountAsNeither", {"45", "315"}, "180", false},
                    AverageCase{"OverlapWithMeanBelow360", {"10", "180", "350"}, "300", true},
                    AverageCase{"LowBeforeHigh", {"", "5", "", "355"}, "0", true},
                    AverageCase{"GapsSkipped", {"", "100", "", "", "200"}, "150", false},
                    AverageCase{"NotNumbersSkipped", {"abc", "10", "1,2,3", "20"}, "15", false},
                    AverageCase{"NotNumberDoesNotMakeOverlap", {"350", "x10"}, "350", false},
                    AverageCase{"DecimalsEitherSeparator", {"10,5", "11.5"}, "11", false},
                    AverageCase{"NoFilledCell", {}, "0", false},
                    AverageCase{"OnlyNotNumbers", {"-", "?"}, "0", false}),
    testing_support::ParamName{});

TEST(CalcAverages, SignalMeanUsesTheStoredSignalOfEachFilledRow) {
    Table t;
    // Rows 1 and 2 received readings; row 2 was typed over; row 3 was typed where nothing was received.
    t.readings(0, 0, 0) = {100, -40, 1};
    t.readings(0, 0, 1) = {101, -50, 1};
    t.Fill(1, {{1, "100"}, {2, "110"}, {3, "120"}});
    t.readings(0, 0, 5) = {0, -99, 0};  // signal of an empty row counts for nothing
    CalcAverages(t.form, t.readings, 0, ',');
    EXPECT_EQ(t.form.txtRes[0], "110");
    EXPECT_EQ(t.form.txtDB[0], "-30");
    EXPECT_EQ(t.form.txtRes[1], "0");
    EXPECT_EQ(t.form.txtDB[1], "0");
}

TEST(CalcAverages, UsesTheStationsSignalsAndTheOverlapMarkFollowsTheLatestAveraging) {
    Table t;
    t.Fill(2, {{1, "350"}, {2, "20"}});
    t.readings(1, 1, 0).Signal = -11;
    t.readings(1, 1, 1).Signal = -12;
    CalcAverages(t.form, t.readings, 1, '.');
    EXPECT_EQ(t.form.txtRes[1], "5");
    EXPECT_EQ(t.form.txtDB[1], "-11.5");
    EXPECT_TRUE(t.form.chkOvlp[1]);
    t.Fill(2, {{1, "340"}});
    t.Fill(2, {{2, "330"}});
    CalcAverages(t.form, t.readings, 1, '.');
    EXPECT_EQ(t.form.txtRes[1], "335");
    EXPECT_FALSE(t.form.chkOvlp[1]);
}

// Readings from a file may hold any finite number: two of 1e308 add up to infinity, which used to be
// shown as the fox's mean "Inf" (and so transferred). Such a fox keeps its boxes and is named.
TEST(CalcAverages, ASumBeyondTheLargestNumberIsReportedNotShown) {
    Table t;
    t.form.txtRes[1] = "7";
    t.form.txtDB[1] = "-7";
    t.Fill(1, {{1, "10"}, {2, "20"}});
    t.Fill(2, {{1, "1E+308"}, {2, "1E+308"}});
    t.Fill(3, {{1, "30"}, {2, "50"}});
    t.readings(0, 2, 0) = {30, 1e308, 1};
    t.readings(0, 2, 1) = {50, 1e308, 1};
    const core::Outcome averaged = CalcAverages(t.form, t.readings, 0, ',');
    EXPECT_EQ(averaged.message(),
              "Fox 2: the sum of the bearings is too large for a number (a value far outside any bearing or "
              "signal), so no average was taken.\n"
              "Fox 3: the sum of the signals is too large for a number (a value far outside any bearing or "
              "signal), so no average was taken.");
    EXPECT_EQ(t.form.txtRes[0], "15");
    EXPECT_EQ(t.form.txtRes[1], "7");
    EXPECT_EQ(t.form.txtDB[1], "-7");
    EXPECT_EQ(t.form.txtRes[2], "0");
    EXPECT_EQ(t.form.txtRes[3], "0");  // an empty column is no failure
}

TEST(TransferToMain, WritesOnlyTheStationsBoxes) {
    Table t;
    t.form.txtRes = {"1", "2", "3", "4", "5,5"};
    t.form.txtDB = {"-1", "-2", "-3", "-4", "-5"};
    core::MeasurementState state;
    TransferToMain(t.form, state, 1);
    EXPECT_EQ(state.S2Ang, (std::array<std::string, 5>{"1", "2", "3", "4", "5,5"}));
    EXPECT_EQ(state.S2Sig, (std::array<std::string, 5>{"-1", "-2", "-3", "-4", "-5"}));
    EXPECT_EQ(state.S1Ang, (std::array<std::string, 5>{"0", "0", "0", "0", "0"}));
    TransferToMain(t.form, state, 0);
    EXPECT_EQ(state.S1Ang[4], "5,5");
    EXPECT_EQ(state.S1Sig[0], "-1");
}

}  // namespace
}  // namespace vantrel::instruments
