#include "instruments/bearing_table.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/number_text.hpp"

namespace vantrel::instruments {
namespace {

bool IsTableCell(int row, int column) {
    return row >= 1 && row <= kTableRows && column >= 1 && column <= kTableFoxes;
}

int LastFilledRow(const DataInForm& form, int column) {
    for (int row = kTableRows; row >= 1; --row) {
        if (!form.Grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)].empty()) {
            return row;
        }
    }
    return 0;
}

std::string& Cell(DataInForm& form, int row, int column) {
    return form.Grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

// Bearings 315 and 45 themselves are on neither side.
constexpr double kHighLimit = 315;
constexpr double kLowLimit = 45;

}  // namespace

void LayoutGrid(DataInForm& form) {
    for (int row = 1; row <= kTableRows; ++row) {
        Cell(form, row, 0) = std::to_string(row);
    }
    for (int column = 1; column <= kTableFoxes; ++column) {
        Cell(form, 0, column) = "Fox " + std::to_string(column);
    }
    form.ActiveFox = 1;
    form.CursorRow = 1;
    form.SelectedFoxOption = 0;
}

void ShowStationReadings(DataInForm& form, const RxReadings& readings, int station, char decimalSeparator) {
    LayoutGrid(form);
    for (int fox = 0; fox < kTableFoxes; ++fox) {
        for (int row = 0; row < kTableRows; ++row) {
            const RxReading& reading = readings(station, fox, row);
            if (reading.Valid == 1) {
                Cell(form, row + 1, fox + 1) = core::DefaultText(reading.Angle, decimalSeparator);
            }
        }
    }
}

void ClickFoxOption(DataInForm& form, int index) {
    if (index < 0 || index >= kTableFoxes) {
        return;
    }
    form.SelectedFoxOption = index;
    form.ActiveFox = index + 1;
    form.CursorRow = std::min(LastFilledRow(form, form.ActiveFox) + 1, kTableRows);
}

void ClickCell(DataInForm& form, int row, int column) {
    if (!IsTableCell(row, column)) {
        return;
    }
    form.ActiveFox = column;
    form.CursorRow = row;
    if (form.SelectedFoxOption != column - 1) {
        ClickFoxOption(form, column - 1);
    }
}

bool EditCell(DataInForm& form, RxReadings& readings, int station, int row, int column, std::string_view text,
              char decimalSeparator) {
    if (!IsTableCell(row, column)) {
        return false;
    }
    const auto value = core::ReadRegional(text, decimalSeparator);
    if (!value || *value < 0 || *value >= 360) {
        return false;
    }
    RxReading& reading = readings(station, column - 1, row - 1);
    reading.Angle = *value;
    reading.Valid = 1;
    Cell(form, row, column) = std::string(text);
    return true;
}

void DeleteCells(DataInForm& form, RxReadings& readings, int station, int currentRow, int currentColumn,
                 int endRow) {
    if (currentColumn < 1 || currentColumn > kTableFoxes) {
        return;
    }
    const int first = std::max(currentRow, 1);
    const int last = std::min(endRow, kTableRows);
    for (int row = first; row <= last; ++row) {
        Cell(form, row, currentColumn).clear();
        // The readings of the column whose cells were emptied, so the table and the readings stay alike.
        readings(station, currentColumn - 1, row - 1).Valid = 0;
    }
}

void ClearTable(DataInForm& form, RxReadings& readings, int station) {
    for (auto& row : form.Grid) {
        for (std::string& cell : row) {
            cell.clear();
        }
    }
    LayoutGrid(form);
    for (int fox = 0; fox < kTableFoxes; ++fox) {
        for (int row = 0; row < kTableRows; ++row) {
            readings(station, fox, row).Valid = 0;
        }
    }
}

ColumnAverage AverageColumn(std::span<const std::string> cells, std::span<const double> signalValues,
                            char decimalSeparator) {
    struct Bearing {
        double value;
        double signal;
    };
    std::vector<Bearing> bearings;
    for (std::size_t row = 0; row < cells.size(); ++row) {
        if (cells[row].empty()) {
            continue;
        }
        if (const auto value = core::ReadRegional(cells[row], decimalSeparator)) {
            bearings.push_back({*value, row < signalValues.size() ? signalValues[row] : 0.0});
        }
    }
    const bool high =
        std::any_of(bearings.begin(), bearings.end(), [](const Bearing& b) { return b.value > kHighLimit; });
    const bool low =
        std::any_of(bearings.begin(), bearings.end(), [](const Bearing& b) { return b.value < kLowLimit; });
    ColumnAverage result{"0", "0", high && low, {}};
    if (bearings.empty()) {
        return result;
    }
    double sum = 0;
    double signalSum = 0;
    for (const Bearing& b : bearings) {
        sum += (result.overlap && b.value < kLowLimit) ? b.value + 360 : b.value;
        signalSum += b.signal;
    }
    if (!std::isfinite(sum) || !std::isfinite(signalSum)) {
        result.overflow = std::string("the sum of the ") + (std::isfinite(sum) ? "signals" : "bearings") +
                          " is too large for a number (a value far outside any bearing or signal), so no "
                          "average was taken";
        return result;
    }
    const double n = static_cast<double>(bearings.size());
    double mean = sum / n;
    if (result.overlap && mean >= 360) {
        mean -= 360;
    }
    result.mean = core::DefaultText(mean, decimalSeparator);
    result.meanSignal = core::DefaultText(signalSum / n, decimalSeparator);
    return result;
}

core::Outcome CalcAverages(DataInForm& form, const RxReadings& readings, int station, char decimalSeparator) {
    std::string overflows;
    for (int fox = 0; fox < kTableFoxes; ++fox) {
        std::array<std::string, kTableRows> cells;
        std::array<double, kTableRows> signalValues{};
        for (int row = 0; row < kTableRows; ++row) {
            cells[static_cast<std::size_t>(row)] = Cell(form, row + 1, fox + 1);
            signalValues[static_cast<std::size_t>(row)] = readings(station, fox, row).Signal;
        }
        const ColumnAverage average = AverageColumn(cells, signalValues, decimalSeparator);
        const auto i = static_cast<std::size_t>(fox);
        form.chkOvlp[i] = average.overlap;
        if (!average.overflow.empty()) {
            overflows += (overflows.empty() ? "" : "\n") + std::string("Fox ") + std::to_string(fox + 1) +
                         ": " + average.overflow + ".";
            continue;
        }
        form.txtRes[i] = average.mean;
        form.txtDB[i] = average.meanSignal;
    }
    return overflows.empty() ? core::Outcome::Ok() : core::Outcome::Fail(overflows);
}

void TransferToMain(const DataInForm& form, core::MeasurementState& state, int station) {
    auto& angles = station == 0 ? state.S1Ang : state.S2Ang;
    auto& signalValues = station == 0 ? state.S1Sig : state.S2Sig;
    for (std::size_t i = 0; i < kTableFoxes; ++i) {
        angles[i] = form.txtRes[i];
        signalValues[i] = form.txtDB[i];
    }
}

}  // namespace vantrel::instruments
