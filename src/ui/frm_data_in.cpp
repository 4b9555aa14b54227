#include "ui/frm_data_in.hpp"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

#include "persistence/instrument_settings.hpp"
#include "platform/receiver_log.hpp"
#include "platform/serial_ports.hpp"
#include "ui/box_text.hpp"
#include "ui/main_frm.hpp"
#include "ui/messages.hpp"
#include "ui/schedule_frame.hpp"
#include "ui/status_notes.hpp"
#include "ui/twips.hpp"

namespace vantrel::ui {
namespace {

constexpr int kRowNumberColumnWidth = 350;  // twips
constexpr int kFoxColumnWidth = 1180;       // twips
constexpr int kGridWidth = 6540;            // the columns and the vertical scroll bar
constexpr int kScheduleLeft = 9660;         // the frame "Schedule" right of the buttons
constexpr int kScheduleWidth = 2880;

}  // namespace

dlgEdit::dlgEdit(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgEdit"));
    setWindowTitle(QStringLiteral("Edit"));
    setFixedSize(TwipsToPixels(*this, 2880), TwipsToPixels(*this, 1020));
    txtValue = new QLineEdit(this);
    txtValue->setObjectName(QStringLiteral("txtValue"));
    PlaceTwips(*txtValue, 120, 120, 2640, 285);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    PlaceTwips(*OKButton, 1560, 525, 1200, 375);
}

frmDataIn::frmDataIn(MainFrm& main, QWidget* parent)
    : QWidget(parent), main_(main), session_(main.Program(), form_, main.DecimalSeparator()) {
    setObjectName(QStringLiteral("frmDataIn"));
    setWindowTitle(QStringLiteral("Data Processing"));
    setFixedSize(TwipsToPixels(*this, kScheduleLeft + kScheduleWidth + 120), TwipsToPixels(*this, 6420));
    BuildGrid();
    BuildControls();
    BuildSchedule();

    // Opening: the receiver's port, the table of the station, the log.
    QStringList problems;
    OpenReceiver(problems);
    instruments::ShowStationReadings(form_, main_.Program().RxReadings, Station(), main_.DecimalSeparator());
    const core::Outcome log = session_.OpenLog(platform::ReceiverLogCandidates());
    if (!log) {
        problems << QString::fromStdString(log.message());
    }
    openingProblems_ = problems.join(QLatin1Char('\n'));
    if (!openingProblems_.isEmpty()) {
        // Told once the window is on the screen, not from inside its construction.
        QTimer::singleShot(0, this, &frmDataIn::ReportOpeningProblems);
    }

    connect(&session_, &platform::ReceiverSession::lineReceived, this, &frmDataIn::RefreshFromForm);
    connect(&session_, &platform::ReceiverSession::receiveEnded, this, [this] {
        lblNote->setText(ReceiveEndedNote());
        RefreshFromForm();
    });
    connect(&session_, &platform::ReceiverSession::problem, this, [this](const QString& message) {
        RefreshFromForm();
        ShowMessage(this, message, QMessageBox::Warning);
    });
    RefreshFromForm();
}

frmDataIn::~frmDataIn() = default;

void frmDataIn::OpenReceiver(QStringList& problems) {
    const persistence::IniFile ini = main_.SettingsFileContent();
    auto receiver = persistence::ReceiverSettingsFromIni(ini);
    if (!receiver) {
        problems << QString::fromStdString(receiver.message() + "; reading fixed columns at 2400 baud");
        receiver = persistence::ReceiverSettings{};
    }
    session_.SetFormat(receiver->format, receiver->intervalSeconds);
    receiver_ = *receiver;
    const auto device = platform::GonDevice(main_.Program().settings, ini, main_.DecimalSeparator());
    const core::Outcome port = device ? session_.OpenPort(*device, receiver->baudRate) : device.outcome();
    if (!port) {
        problems << QString::fromStdString(port.message());
    }
}

void frmDataIn::BuildSchedule() {
    schedule = new ScheduleFrame(main_.SettingsFile(), main_.SettingsFileContent(), this);
    PlaceTwips(*schedule, kScheduleLeft, 120, kScheduleWidth, 5160);
    // While the schedule runs, the fox on the air when a line arrives is the one it is filed under.
    session_.SetFoxOnAirSource([this] { return schedule->FoxOnAir(); });
    connect(schedule, &ScheduleFrame::clockTicked, this, [this] {
        const int before = form_.ActiveFox;
        session_.FollowSchedule();
        if (form_.ActiveFox != before) {
            RefreshFromForm();
        }
    });
    connect(schedule, &ScheduleFrame::problem, this,
            [this](const QString& message) { ShowMessage(this, message, QMessageBox::Warning); });
}

QString frmDataIn::StartedNote() const {
    const bool streaming = instruments::IsStreaming(receiver_.format);
    const bool scheduled = schedule->FoxOnAir().has_value();
    if (!streaming && !scheduled) {
        return ReceiveStartedNote();
    }
    const QString what =
        streaming ? QStringLiteral("the mean of the bearings of every %1 s")
                        .arg(QString::fromStdString(instruments::SecondsText(
                            static_cast<instruments::Nanoseconds>(receiver_.intervalSeconds * 1e9 + 0.5))))
                  : QStringLiteral("each line after it");
    const QString where = scheduled
                              ? QStringLiteral("the fox on the air (nothing while no fox is on the air)")
                              : QStringLiteral("the active fox");
    return QStringLiteral("Receiving: the first line only synchronises and is not filed; %1 is filed for %2.")
        .arg(what, where);
}

int frmDataIn::Station() const {
    return main_.Program().RxStation;
}

void frmDataIn::BuildGrid() {
    Grid = new QTableWidget(instruments::kGridRows, instruments::kGridColumns, this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    Grid->setColumnWidth(0, TwipsToPixels(*this, kRowNumberColumnWidth));
    for (int c = 1; c < instruments::kGridColumns; ++c) {
        Grid->setColumnWidth(c, TwipsToPixels(*this, kFoxColumnWidth));
    }
    const QColor fixed = palette().color(QPalette::Button);
    for (int r = 0; r < instruments::kGridRows; ++r) {
        Grid->setRowHeight(r, TwipsToPixels(*this, 255));
        for (int c = 0; c < instruments::kGridColumns; ++c) {
            auto* item = new QTableWidgetItem;
            if (r == 0 || c == 0) {
                // The header row and the row numbers are fixed: shown, never selected.
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(fixed);
                item->setTextAlignment(Qt::AlignCenter);
            }
            Grid->setItem(r, c, item);
        }
    }
    Grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    PlaceTwips(*Grid, 120, 120, kGridWidth, 4020);
    Grid->installEventFilter(this);
    connect(Grid, &QTableWidget::cellClicked, this, [this] {
        const Selection s = CurrentSelection();
        ClickCell(s.endRow, s.endColumn);
    });
    connect(Grid, &QTableWidget::cellDoubleClicked, this, &frmDataIn::DoubleClickCell);
}

void frmDataIn::BuildControls() {
    auto* communication = new QGroupBox(QStringLiteral("Communication"), this);
    PlaceTwips(*communication, 6780, 120, 2760, 1320);
    cmdRX = new QPushButton(QStringLiteral("Start RX"), communication);
    cmdRX->setObjectName(QStringLiteral("cmdRX"));
    PlaceTwips(*cmdRX, 240, 330, 2280, 375);
    cmdStopRX = new QPushButton(QStringLiteral("Stop RX"), communication);
    cmdStopRX->setObjectName(QStringLiteral("cmdStopRX"));
    PlaceTwips(*cmdStopRX, 240, 810, 2280, 375);

    auto* active = new QGroupBox(QStringLiteral("Active"), this);
    PlaceTwips(*active, 6780, 1560, 2760, 1800);
    for (int i = 0; i < instruments::kTableFoxes; ++i) {
        auto* option = new QRadioButton(QStringLiteral("Fox%1").arg(i + 1), active);
        option->setObjectName(QStringLiteral("optAct(%1)").arg(i));
        PlaceTwips(*option, 240, 300 + 285 * i, 2280, 255);
        connect(option, &QRadioButton::clicked, this, [this, i] {
            instruments::ClickFoxOption(form_, i);
            RefreshFromForm();
        });
        optAct[static_cast<std::size_t>(i)] = option;
    }

    const auto button = [this](const char* name, const QString& text, int top) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        PlaceTwips(*b, 6780, top, 2760, 375);
        return b;
    };
    cmdUPD = button("cmdUPD", QStringLiteral("Calculate AVG"), 3480);
    cmdTrans = button("cmdTrans", QStringLiteral("Transfer to Main"), 3960);
    cmdClear = button("cmdClear", QStringLiteral("Clear Table"), 4440);
    cmdClose = button("cmdClose", QStringLiteral("Close"), 5880);

    // The results under the table: per fox the mean bearing, the mean signal and the overlap mark.
    const std::array<QString, 3> rowLabels{QStringLiteral("Average"), QStringLiteral("Attenuation"),
                                           QStringLiteral("Overlap")};
    for (int row = 0; row < 3; ++row) {
        auto* label = new QLabel(rowLabels[static_cast<std::size_t>(row)], this);
        PlaceTwips(*label, 120, 4290 + 390 * row, 1080, 255);
    }
    for (int i = 0; i < instruments::kTableFoxes; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const int left = 1200 + 1080 * i;
        txtRes[index] = new QLineEdit(this);
        txtRes[index]->setObjectName(QStringLiteral("txtRes(%1)").arg(i));
        PlaceTwips(*txtRes[index], left, 4260, 780, 285);
        PlaceTwips(*new QLabel(QStringLiteral("\u00B0"), this), left + 810, 4290);
        txtDB[index] = new QLineEdit(this);
        txtDB[index]->setObjectName(QStringLiteral("txtDB(%1)").arg(i));
        PlaceTwips(*txtDB[index], left, 4650, 780, 285);
        PlaceTwips(*new QLabel(QStringLiteral("dB"), this), left + 810, 4680);
        chkOvlp[index] = new QCheckBox(this);
        chkOvlp[index]->setObjectName(QStringLiteral("chkOvlp(%1)").arg(i));
        PlaceTwips(*chkOvlp[index], left, 5040, 255, 255);
        // The boxes are the results the transfer copies; a user may correct them before transferring.
        connect(txtRes[index], &QLineEdit::textEdited, this,
                [this, index](const QString& text) { form_.txtRes[index] = text.toStdString(); });
        connect(txtDB[index], &QLineEdit::textEdited, this,
                [this, index](const QString& text) { form_.txtDB[index] = text.toStdString(); });
    }
    txtTest = new QLineEdit(this);
    txtTest->setObjectName(QStringLiteral("txtTest"));
    txtTest->setReadOnly(true);
    PlaceTwips(*txtTest, 120, 5940, 6540, 285);

    lblStation = new QLabel(this);
    lblStation->setObjectName(QStringLiteral("lblStation"));
    lblStation->setAlignment(Qt::AlignCenter);
    QFont bold = lblStation->font();
    bold.setBold(true);
    lblStation->setFont(bold);
    PlaceTwips(*lblStation, 6780, 5010, 2760, 375);
    lblNote = new QLabel(this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);
    lblNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceTwips(*lblNote, 120, 5340, 6540, 555);

    connect(cmdRX, &QPushButton::clicked, this, [this] {
        if (session_.StartRx()) {
            lblNote->setText(StartedNote());
        }
        RefreshFromForm();
    });
    connect(cmdStopRX, &QPushButton::clicked, this, [this] {
        session_.StopRx();
        if (session_.IsReceiving()) {
            lblNote->setText(ReceiveStoppingNote());
        }
    });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdUPD, &QPushButton::clicked, this, &frmDataIn::CalcAverages);
    connect(cmdTrans, &QPushButton::clicked, this, &frmDataIn::TransferToMain);
    connect(cmdClear, &QPushButton::clicked, this, &frmDataIn::ClearTable);
}

void frmDataIn::ReportOpeningProblems() {
    ShowMessage(this, openingProblems_, QMessageBox::Warning);
}

void frmDataIn::RefreshFromForm() {
    for (int r = 0; r < instruments::kGridRows; ++r) {
        for (int c = 0; c < instruments::kGridColumns; ++c) {
            const std::string& text = form_.Grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            Grid->item(r, c)->setText(QString::fromStdString(text));
        }
    }
    optAct[static_cast<std::size_t>(form_.SelectedFoxOption)]->setChecked(true);
    for (std::size_t i = 0; i < txtRes.size(); ++i) {
        SetBoxText(*txtRes[i], QString::fromStdString(form_.txtRes[i]));
        SetBoxText(*txtDB[i], QString::fromStdString(form_.txtDB[i]));
        chkOvlp[i]->setChecked(form_.chkOvlp[i]);
    }
    SetBoxText(*txtTest, QString::fromStdString(form_.txtTest));
    ShowStation();
    // "Start RX" while the port is open and no loop runs; "Stop RX" while one runs.
    cmdRX->setEnabled(session_.IsPortOpen() && !session_.IsReceiving());
    cmdStopRX->setEnabled(session_.IsReceiving());
}

void frmDataIn::ShowStation() {
    lblStation->setText(QStringLiteral("Scedule %1").arg(Station() == 0 ? 1 : 2));
}

frmDataIn::Selection frmDataIn::CurrentSelection() const {
    const QModelIndex end = Grid->currentIndex();
    Selection s{end.row(), end.column(), end.row(), end.column()};
    const QList<QTableWidgetSelectionRange> ranges = Grid->selectedRanges();
    if (ranges.size() == 1) {
        // The selection runs from its start (the grid's current cell) to the corner where it ends.
        const QTableWidgetSelectionRange& range = ranges.front();
        s.row = end.row() == range.bottomRow() ? range.topRow() : range.bottomRow();
        s.column = end.column() == range.rightColumn() ? range.leftColumn() : range.rightColumn();
    }
    return s;
}

void frmDataIn::ClickCell(int row, int column) {
    instruments::ClickCell(form_, row, column);
    RefreshFromForm();
}

void frmDataIn::DoubleClickCell() {
    const Selection s = CurrentSelection();
    if (s.endRow <= 0 || s.endColumn <= 0) {
        return;
    }
    if (editor == nullptr) {
        editor = new dlgEdit(this);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        connect(editor->OKButton, &QPushButton::clicked, this, &frmDataIn::EditOk);
        connect(editor, &QObject::destroyed, this, [this] { editor = nullptr; });
    }
    editor->txtValue->setText(Grid->item(s.row, s.column)->text());
    editor->show();
    editor->raise();
    editor->activateWindow();
    editor->txtValue->setFocus();
    editor->txtValue->selectAll();
}

void frmDataIn::EditOk() {
    // The target is the selection at the moment "OK" is pressed.
    const Selection s = CurrentSelection();
    instruments::EditCell(form_, main_.Program().RxReadings, Station(), s.endRow, s.endColumn,
                          editor->txtValue->text().toStdString(), main_.DecimalSeparator());
    editor->close();
    RefreshFromForm();
}

void frmDataIn::DeleteSelectedCells() {
    const Selection s = CurrentSelection();
    instruments::DeleteCells(form_, main_.Program().RxReadings, Station(), s.row, s.column, s.endRow);
    RefreshFromForm();
}

void frmDataIn::ClearTable() {
    if (AskYesNo(this, QStringLiteral("Do you really want to clear the whole table?"))) {
        instruments::ClearTable(form_, main_.Program().RxReadings, Station());
        RefreshFromForm();
    }
}

void frmDataIn::CalcAverages() {
    const core::Outcome averaged =
        instruments::CalcAverages(form_, main_.Program().RxReadings, Station(), main_.DecimalSeparator());
    RefreshFromForm();
    ReportOutcome(this, averaged);
}

void frmDataIn::TransferToMain() {
    instruments::TransferToMain(form_, main_.State(), Station());
    main_.RefreshFromState();
    main_.ShowStatusNote(TransferNote(Station()));
}

bool frmDataIn::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Grid && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteSelectedCells();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmDataIn::closeEvent(QCloseEvent* event) {
    session_.EndInterval();  // the bearings of the last second count too
    if (AskYesNo(this, QStringLiteral("Do you want to update the values for main-calculation?"))) {
        CalcAverages();
        TransferToMain();
    }
    session_.Close();  // the closing record, then the log and the port
    event->accept();   // closing is never refused
}

}  // namespace vantrel::ui
