#pragma once

// "Data Processing": the direction-finding receiver's readings of one station. Received lines are filed as
// readings of the active fox in the table; the user edits and deletes cells, averages each fox and
// transfers the means into the main window.

#include <QDialog>
#include <QWidget>

#include <array>

#include "instruments/bearing_table.hpp"
#include "persistence/instrument_settings.hpp"
#include "platform/receiver_session.hpp"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace vantrel::ui {

class MainFrm;
class ScheduleFrame;

// The cell editor: one value and "OK".
class dlgEdit : public QDialog {
    Q_OBJECT
  public:
    explicit dlgEdit(QWidget* parent);
    QLineEdit* txtValue = nullptr;
    QPushButton* OKButton = nullptr;
};

class frmDataIn : public QWidget {
    Q_OBJECT
  public:
    explicit frmDataIn(MainFrm& main, QWidget* parent = nullptr);
    ~frmDataIn() override;

    QTableWidget* Grid = nullptr;
    QPushButton* cmdRX = nullptr;
    QPushButton* cmdStopRX = nullptr;
    QPushButton* cmdClose = nullptr;
    QLineEdit* txtTest = nullptr;
    std::array<QRadioButton*, 5> optAct{};
    std::array<QLineEdit*, 5> txtRes{};
    std::array<QLineEdit*, 5> txtDB{};
    std::array<QCheckBox*, 5> chkOvlp{};
    QPushButton* cmdUPD = nullptr;
    QPushButton* cmdTrans = nullptr;
    QPushButton* cmdClear = nullptr;
    QLabel* lblStation = nullptr;       // "Scedule 1": the station whose readings the window handles
    QLabel* lblNote = nullptr;          // what the receive loop does
    dlgEdit* editor = nullptr;          // exists from a double click to its "OK"
    ScheduleFrame* schedule = nullptr;  // the fox schedule

    [[nodiscard]] const instruments::DataInForm& Form() const { return form_; }
    [[nodiscard]] platform::ReceiverSession& Session() { return session_; }

    void CalcAverages();
    void TransferToMain();
    // Names the station RxStation chooses now (a press of "Aquire from RX" may switch it while open).
    void ShowStation();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildGrid();
    void BuildControls();
    void BuildSchedule();
    // Opens the receiver's port at the speed of its format; a problem is added to `problems`.
    void OpenReceiver(QStringList& problems);
    // What "Start RX" tells: how lines are filed with this receiver and schedule.
    [[nodiscard]] QString StartedNote() const;
    void ReportOpeningProblems();
    void RefreshFromForm();
    void ClickCell(int row, int column);
    void DoubleClickCell();
    void EditOk();
    void DeleteSelectedCells();
    void ClearTable();
    [[nodiscard]] int Station() const;
    // The selection: where it started (the grid's current cell) and where it ends.
    struct Selection {
        int row = 0;
        int column = 0;
        int endRow = 0;
        int endColumn = 0;
    };
    [[nodiscard]] Selection CurrentSelection() const;

    MainFrm& main_;
    instruments::DataInForm form_;
    platform::ReceiverSession session_;
    QString openingProblems_;
    persistence::ReceiverSettings receiver_;
};

}  // namespace vantrel::ui
