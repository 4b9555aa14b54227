#pragma once

// The Bearings window (View > Bearings): the hunt's bearing log as a table (time, fox, station, position,
// bearing, sigma, source, weight, residual, flags, ignore, note), filtered by fox, with the many-bearing fix
// of the selected fox and its ellipse above it. Ticking Ignore or editing a Note appends an edit event to
// the log (the log itself is never rewritten); the table and the fix are then read again from the log.
// Flags are coloured: rejected (weight 0) red, behind (the fix behind the station) orange, ignored grey.
//
// GUI thread only.

#include <QMainWindow>

#include <cstdint>
#include <vector>

#include "ui/hunt_log_link.hpp"

class QComboBox;
class QLabel;
class QTableWidget;
class QTableWidgetItem;

namespace vantrel::ui {

class MainFrm;

class BearingsWindow : public QMainWindow {
    Q_OBJECT
  public:
    enum Column {
        kTime,
        kFox,
        kStation,
        kPosition,
        kBearing,
        kSigma,
        kSource,
        kWeight,
        kResidual,
        kFlags,
        kIgnore,
        kNote,
        kColumnCount
    };

    explicit BearingsWindow(MainFrm& main);

    QTableWidget* table = nullptr;
    QComboBox* foxFilter = nullptr;  // "All foxes", "F1".."F5"
    QLabel* fixText = nullptr;       // the selected fox's many-bearing fix and ellipse

    // The log id of a table row.
    [[nodiscard]] std::uint64_t RowId(int row) const { return rowIds_.at(static_cast<std::size_t>(row)); }

  public Q_SLOTS:
    // Reads the log again and refills the table, keeping the selected bearing selected.
    void Reload();

  private:
    void FillTable();
    void ShowFix();
    void CellChanged(QTableWidgetItem* item);
    [[nodiscard]] int SelectedFox() const;

    MainFrm& main_;
    HuntLogLink& link_;
    HuntLogView view_;
    std::vector<std::uint64_t> rowIds_;
    std::vector<int> rowFoxes_;
};

}  // namespace vantrel::ui
