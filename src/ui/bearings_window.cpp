#include "ui/bearings_window.hpp"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>

#include "geodesy/utm_zone.hpp"
#include "platform/locations.hpp"
#include "ui/main_frm.hpp"
#include "ui/messages.hpp"

namespace vantrel::ui {
namespace {

const QColor kRejected(0xf4, 0xc7, 0xc3);  // soft red
const QColor kBehind(0xfc, 0xe0, 0xb0);    // soft orange
const QColor kIgnoredText(0x80, 0x80, 0x80);

QString Fixed(double value, int decimals) {
    return std::isnan(value) ? QStringLiteral("-") : QString::number(value, 'f', decimals);
}

QString LocalTime(hunt_log::TimeMs time) {
    return QDateTime::fromMSecsSinceEpoch(time).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QTableWidgetItem* ReadOnly(const QString& text) {
    auto* item = new QTableWidgetItem(text);  // owned by the table
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QString FlagsText(const locate::BearingFit* fit, bool ignored) {
    if (ignored) {
        return QStringLiteral("ignored");
    }
    if (fit == nullptr) {
        return QStringLiteral("-");
    }
    QStringList flags;
    if (fit->behind) {
        flags << QStringLiteral("behind");
    }
    if (fit->rejected) {
        flags << QStringLiteral("rejected");
    }
    return flags.isEmpty() ? QStringLiteral("-") : flags.join(QLatin1Char(','));
}

QString MethodName(locate::Method method) {
    switch (method) {
        case locate::Method::kMle:
            return QStringLiteral("maximum likelihood");
        case locate::Method::kHuber:
            return QStringLiteral("Huber");
        case locate::Method::kAndrews:
            break;
    }
    return QStringLiteral("Andrews");
}

// "F2 (Andrews, 4 of 5 bearings): E 516805 N 5601477 in 32U · se 48 / 39 m, rho 0.31 · 95 % ellipse
// 120 x 45 m, azimuth 37°, 0.0170 km²"
QString FixSummary(const HuntLogView& view, int fox) {
    const fox_fix::FoxFix& fix = view.fixes.at(static_cast<std::size_t>(fox - 1));
    const std::size_t logged = view.state.Fox(fox).size();
    QString head = QStringLiteral("F%1 (%2, %3 of %4 bearings): ")
                       .arg(fox)
                       .arg(MethodName(view.options.method))
                       .arg(fix.bearings.size())
                       .arg(logged);
    if (!fix.outcome) {
        return head + QStringLiteral("no fix - two bearings that are not ignored are needed");
    }
    if (!fix.outcome->fix) {
        return head + QStringLiteral("no Match (%1)")
                          .arg(QString::fromLatin1(locate::ReasonText(fix.outcome->reason).data()));
    }
    const locate::Fix& f = *fix.outcome->fix;
    QString text = head + QStringLiteral("E %1  N %2 in %3")
                              .arg(Fixed(f.x, 0), Fixed(f.y, 0),
                                   QString::fromStdString(geodesy::ZoneText(view.state.zone)));
    if (f.covariance) {
        text += QStringLiteral("\nStandard errors %1 m / %2 m, correlation %3")
                    .arg(Fixed(f.covariance->sx, 0), Fixed(f.covariance->sy, 0), Fixed(f.covariance->rho, 2));
    }
    if (f.ellipse) {
        text += QStringLiteral("\n%1 % ellipse %2 m x %3 m, major axis at %4°, area %5 km²")
                    .arg(Fixed(view.options.confidence * 100, 0), Fixed(f.ellipse->semiMajor, 0),
                         Fixed(f.ellipse->semiMinor, 0), Fixed(f.ellipse->azimuth, 0),
                         Fixed(f.ellipse->area / 1e6, 4));
    } else {
        text += QStringLiteral(
            "\nNo ellipse: the bearings' spread is unknown (give [Locate] Sigma, or more bearings)");
    }
    return text;
}

}  // namespace

BearingsWindow::BearingsWindow(MainFrm& main) : main_(main), link_(*main.HuntLog()) {
    setObjectName(QStringLiteral("BearingsWindow"));
    setWindowTitle(QStringLiteral("Bearings"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* top = new QHBoxLayout();
    fixText = new QLabel(central);
    fixText->setObjectName(QStringLiteral("fixText"));
    fixText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fixText->setWordWrap(true);
    foxFilter = new QComboBox(central);
    foxFilter->setObjectName(QStringLiteral("foxFilter"));
    foxFilter->addItem(QStringLiteral("All foxes"), 0);
    for (int fox = 1; fox <= hunt_log::kFoxCount; ++fox) {
        foxFilter->addItem(QStringLiteral("F%1").arg(fox), fox);
    }
    top->addWidget(fixText, 1);
    top->addWidget(foxFilter, 0, Qt::AlignTop);
    layout->addLayout(top);
    table = new QTableWidget(0, kColumnCount, central);
    table->setObjectName(QStringLiteral("bearingTable"));
    table->setHorizontalHeaderLabels(
        {QStringLiteral("Time"), QStringLiteral("Fox"), QStringLiteral("Station"), QStringLiteral("Position"),
         QStringLiteral("Bearing"), QStringLiteral("Sigma"), QStringLiteral("Source"),
         QStringLiteral("Weight"), QStringLiteral("Residual"), QStringLiteral("Flags"),
         QStringLiteral("Ignore"), QStringLiteral("Note")});
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table, 1);
    setCentralWidget(central);
    resize(980, 420);

    connect(foxFilter, &QComboBox::currentIndexChanged, this, [this] { FillTable(); });
    connect(table, &QTableWidget::itemChanged, this, &BearingsWindow::CellChanged);
    connect(table, &QTableWidget::itemSelectionChanged, this, &BearingsWindow::ShowFix);
    // Queued: an edit is appended from inside the table's own change signal, whose items a reload replaces.
    connect(&link_, &HuntLogLink::LogChanged, this, &BearingsWindow::Reload, Qt::QueuedConnection);
    Reload();
}

void BearingsWindow::Reload() {
    view_ = link_.Read();
    FillTable();
    QString status = view_.exists ? QStringLiteral("%1").arg(platform::FromPath(view_.path))
                                  : QStringLiteral("No bearing log yet: Log Bearings (Ctrl+L) starts one");
    for (const std::string& warning : view_.warnings) {
        status += QStringLiteral(" · ") + QString::fromStdString(warning);
    }
    statusBar()->showMessage(status);
}

int BearingsWindow::SelectedFox() const {
    if (const int filter = foxFilter->currentData().toInt(); filter != 0) {
        return filter;
    }
    const int row = table->currentRow();
    if (row >= 0 && static_cast<std::size_t>(row) < rowFoxes_.size()) {
        return rowFoxes_[static_cast<std::size_t>(row)];
    }
    for (int fox = 1; fox <= hunt_log::kFoxCount; ++fox) {
        if (!view_.state.Fox(fox).empty()) {
            return fox;
        }
    }
    return 1;
}

void BearingsWindow::FillTable() {
    const std::uint64_t selectedId =
        table->currentRow() >= 0 && static_cast<std::size_t>(table->currentRow()) < rowIds_.size()
            ? rowIds_[static_cast<std::size_t>(table->currentRow())]
            : 0;
    const QSignalBlocker blocker(table);
    table->setRowCount(0);
    rowIds_.clear();
    rowFoxes_.clear();
    const int filter = foxFilter->currentData().toInt();
    for (int fox = 1; fox <= hunt_log::kFoxCount; ++fox) {
        if (filter != 0 && filter != fox) {
            continue;
        }
        const fox_fix::FoxFix& fix = view_.fixes.at(static_cast<std::size_t>(fox - 1));
        for (const hunt_log::FoxBearing& b : view_.state.Fox(fox)) {
            const int row = table->rowCount();
            table->insertRow(row);
            rowIds_.push_back(b.id);
            rowFoxes_.push_back(fox);
            const locate::BearingFit* fit = fox_fix::FitOf(fix, b.id);
            const QString reference =
                b.reference == hunt_log::Reference::True ? QStringLiteral(" true") : QString();
            table->setItem(row, kTime, ReadOnly(LocalTime(b.time)));
            table->setItem(row, kFox, ReadOnly(QStringLiteral("F%1").arg(fox)));
            table->setItem(row, kStation, ReadOnly(QString::fromStdString(b.station)));
            auto* position =
                ReadOnly(QStringLiteral("E %1  N %2").arg(Fixed(b.easting, 0), Fixed(b.northing, 0)));
            position->setToolTip(QStringLiteral("%1, %2").arg(Fixed(b.lat, 6), Fixed(b.lon, 6)));
            table->setItem(row, kPosition, position);
            table->setItem(row, kBearing, ReadOnly(Fixed(b.bearing, 1) + QStringLiteral("°") + reference));
            table->setItem(row, kSigma,
                           ReadOnly(std::isnan(b.sigma) ? QStringLiteral("-")
                                                        : Fixed(b.sigma, 1) + QStringLiteral("°")));
            table->setItem(
                row, kSource,
                ReadOnly(QStringLiteral("%1 (%2)").arg(QString::fromStdString(b.source)).arg(b.readings)));
            table->setItem(row, kWeight, ReadOnly(fit ? Fixed(fit->weight, 2) : QStringLiteral("-")));
            table->setItem(
                row, kResidual,
                ReadOnly(fit ? Fixed(fit->residual, 1) + QStringLiteral("°") : QStringLiteral("-")));
            auto* flags = ReadOnly(FlagsText(fit, b.ignored));
            if (fit != nullptr && fit->rejected) {
                flags->setBackground(kRejected);
            } else if (fit != nullptr && fit->behind) {
                flags->setBackground(kBehind);
            }
            table->setItem(row, kFlags, flags);
            auto* ignore = new QTableWidgetItem();  // owned by the table
            ignore->setFlags((ignore->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
            ignore->setCheckState(b.ignored ? Qt::Checked : Qt::Unchecked);
            table->setItem(row, kIgnore, ignore);
            table->setItem(row, kNote, new QTableWidgetItem(QString::fromStdString(b.note)));
            if (b.ignored) {
                for (int column = 0; column < kColumnCount; ++column) {
                    table->item(row, column)->setForeground(kIgnoredText);
                }
            }
            if (b.id == selectedId) {
                table->setCurrentCell(row, kTime);
            }
        }
    }
    table->resizeColumnsToContents();
    ShowFix();
}

void BearingsWindow::ShowFix() {
    fixText->setText(FixSummary(view_, SelectedFox()));
}

void BearingsWindow::CellChanged(QTableWidgetItem* item) {
    const int row = item->row();
    if (row < 0 || static_cast<std::size_t>(row) >= rowIds_.size() ||
        (item->column() != kIgnore && item->column() != kNote)) {
        return;
    }
    hunt_log::EditEvent edit;
    edit.id = rowIds_[static_cast<std::size_t>(row)];
    edit.time = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::system_clock::now().time_since_epoch())
                    .count();
    if (item->column() == kIgnore) {
        edit.ignore = item->checkState() == Qt::Checked;
    } else {
        edit.note = item->text().toStdString();
    }
    // The log answers with LogChanged, which refills the table from what the log now says.
    ReportOutcome(this, link_.AppendEdit(edit));
}

}  // namespace vantrel::ui
