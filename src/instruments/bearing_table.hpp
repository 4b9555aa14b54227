#pragma once

// The "Data Processing" window's state and everything the user does with its table: choosing the active fox
// and the row cursor, editing and deleting cells, clearing the table, averaging each fox's bearings (with the
// wrap-around rule for bearings on both sides of north) and transferring the means to the main window.
//
// The table `Grid` has 31 rows and 6 columns: row 0 holds the headers "Fox 1" .. "Fox 5", column 0 the row
// numbers 1 .. 30; cell (r, c) shows a bearing of fox c in table row r. The averaging reads the cell texts;
// the signals come from RxReadings.

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "core/measurement_state.hpp"
#include "instruments/rx_readings.hpp"

namespace vantrel::instruments {

inline constexpr int kGridRows = 31;    // row 0 is the header row
inline constexpr int kGridColumns = 6;  // column 0 holds the row numbers
inline constexpr int kTableRows = 30;   // rows 1 .. 30 hold readings
inline constexpr int kTableFoxes = 5;   // columns 1 .. 5, fox 1 .. 5

struct DataInForm {
    // Grid[row][column].
    std::array<std::array<std::string, kGridColumns>, kGridRows> Grid;
    int ActiveFox = 1;          // 1..5: the column that receives new readings
    int CursorRow = 1;          // 1..30: the row that receives the next reading
    int SelectedFoxOption = 0;  // index 0..4 of the selected option "Fox1" .. "Fox5"
    double LastAngle = 0;       // bearing of the last filed line
    double LastSignal = 0;      // signal of the last filed line
    std::string txtTest;        // the last received line
    // Per fox index 0..4: mean bearing, mean signal, overlap mark.
    std::array<std::string, kTableFoxes> txtRes{"0", "0", "0", "0", "0"};
    std::array<std::string, kTableFoxes> txtDB{"0", "0", "0", "0", "0"};
    std::array<bool, kTableFoxes> chkOvlp{};
};

// Headers and row numbers; ActiveFox = 1, CursorRow = 1, option "Fox1" selected.
void LayoutGrid(DataInForm& form);

// The window's opening: LayoutGrid, then the default text form of every valid reading of the station in its
// row and column.
void ShowStationReadings(DataInForm& form, const RxReadings& readings, int station, char decimalSeparator);

// Option "Fox<index + 1>" clicked: it becomes the active fox and the cursor goes to the row after the last
// filled cell of its column (1 for an empty column, 30 when row 30 is filled; gaps are not reused).
void ClickFoxOption(DataInForm& form, int index);

// A click whose selection ends in cell (row, column): that fox and row become active, then the fox's option
// is selected. If it was not selected already, its click moves the cursor after the column's last filled
// row; if it was, the cursor stays on the clicked row so the next reading replaces that cell. Clicks on the
// header row or the row-number column change nothing.
void ClickCell(DataInForm& form, int row, int column);

// "OK" of the cell editor for the cell (row, column): a text that reads (regionally) as a number from 0 to
// less than 360 becomes the reading's Angle (Valid = 1, Signal kept) and is shown exactly as typed.
// Anything else, or a header cell, changes nothing. Returns whether the cell was changed.
bool EditCell(DataInForm& form, RxReadings& readings, int station, int row, int column, std::string_view text,
              char decimalSeparator);

// Delete key: empties the cells of the current column from the current row down to the selection's end row
// and marks those readings not valid (Angle and Signal kept). An end row above the current row deletes
// nothing.
void DeleteCells(DataInForm& form, RxReadings& readings, int station, int currentRow, int currentColumn,
                 int endRow);

// "Clear Table" answered Yes: every cell emptied, LayoutGrid, every reading of the station marked not valid.
void ClearTable(DataInForm& form, RxReadings& readings, int station);

// The averaging of one column.
struct ColumnAverage {
    std::string mean;        // default text form of the mean bearing, "0" without a numeric cell
    std::string meanSignal;  // default text form of the mean signal, "0" without a numeric cell
    bool overlap = false;    // bearings above 315 and below 45 both present
    // Why there is no mean, empty when there is one: the sum of the bearings or of the signals went beyond
    // the largest Double (values far outside any bearing, from a file or typed). mean and meanSignal are
    // then "0" and must not be shown as a result.
    std::string overflow;
};

// `cells` are the 30 cell texts of a column (row 1 first), `signalValues` the stored signals of the same
// rows. Empty cells and cells that are not numbers are skipped. With overlap, bearings below 45 count 360
// more and a mean of 360 or more is taken back by 360.
ColumnAverage AverageColumn(std::span<const std::string> cells, std::span<const double> signalValues,
                            char decimalSeparator);

// "Calculate AVG": txtRes, txtDB and chkOvlp of every fox from its column; the overlap mark follows the
// latest averaging. A fox whose sum overflows keeps its previous txtRes and txtDB, and the failure names
// every such fox ("Fox 2: the sum of the bearings is too large ...").
core::Outcome CalcAverages(DataInForm& form, const RxReadings& readings, int station, char decimalSeparator);

// "Transfer to Main": the texts of txtRes and txtDB, unchanged, into S1Ang/S1Sig for station 0, otherwise
// into S2Ang/S2Sig.
void TransferToMain(const DataInForm& form, core::MeasurementState& state, int station);

}  // namespace vantrel::instruments
