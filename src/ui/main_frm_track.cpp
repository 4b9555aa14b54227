// The main window's Track: File > Track (Ctrl+T, checkable) keeps the GPS and the network direction finder
// open and logs what the live session hands out; the status bar's right end shows the fix age and the
// counts. Get Pos takes the next fix of the same stream while Track is on. Kept apart from main_frm.cpp
// so the described window stays as it is: the entry comes after Log Bearings, nothing moves.

#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include <cmath>

#include "instruments/gps_request.hpp"
#include "ui/main_frm.hpp"
#include "ui/messages.hpp"
#include "ui/track_controller.hpp"

namespace vantrel::ui {
namespace {

// The status bar's room for Track (the window has a fixed size; longer texts are cut, the tooltip has all).
constexpr int kTrackLabelWidth = 420;

// A Track fix as Get Pos writes it into a station's boxes; the test box names where it came from.
instruments::RmcFix FixOf(const instruments::GpsSample& sample) {
    instruments::RmcFix fix;
    fix.latitude = sample.lat;
    fix.longitude = sample.lon;
    fix.hemisphere = sample.lat < 0 ? 'S' : 'N';
    fix.eastWest = sample.lon < 0 ? 'W' : 'E';
    fix.sentence = "Track " +
                   QDateTime::fromMSecsSinceEpoch(sample.timeMs, Qt::UTC)
                       .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                       .toStdString() +
                   " UTC";
    return fix;
}

}  // namespace

void MainFrm::BuildTrackMenu() {
    track_ = new TrackController(*this);  // Qt child
    mnuTrack = new QAction(QStringLiteral("&Track"), this);
    mnuTrack->setObjectName(QStringLiteral("mnuTrack"));
    mnuTrack->setCheckable(true);
    mnuTrack->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuTrack->setToolTip(
        QStringLiteral("Keep the GPS (and the network direction finder) open and log every bearing and the "
                       "track as it comes"));
    if (auto* file = menuBar()->findChild<QMenu*>(QStringLiteral("MNU_FILE"))) {
        file->insertAction(MNU_QUIT, mnuTrack);
        file->insertSeparator(MNU_QUIT);
    }
    lblTrack = new QLabel(this);
    lblTrack->setObjectName(QStringLiteral("lblTrack"));
    lblTrack->setFixedWidth(kTrackLabelWidth);
    lblTrack->hide();
    statusBar()->addPermanentWidget(lblTrack);
    connect(mnuTrack, &QAction::toggled, this, &MainFrm::SetTracking);
    connect(track_, &TrackController::statusChanged, this, [this](const QString& text) {
        lblTrack->setText(lblTrack->fontMetrics().elidedText(text, Qt::ElideRight, kTrackLabelWidth - 8));
        lblTrack->setToolTip(text);
    });
    connect(track_, &TrackController::problem, this, [this](const QString& text) { ShowStatusNote(text); });
}

void MainFrm::SetTracking(bool on) {
    if (on == track_->IsRunning()) {
        return;
    }
    if (!on) {
        if (gpsStation_ >= 0) {
            track_->CancelNextFix();
            EndGpsRequest(QStringLiteral("GPS request cancelled"));
        }
        track_->Stop();
        lblTrack->hide();
        ShowStatusNote(QStringLiteral("Track off"));
        return;
    }
    if (GPSComm.IsRunning()) {
        GPSComm.Abort();  // Track takes the GPS port; Get Pos goes on from Track's stream
    }
    const core::Outcome started = track_->Start();
    if (!started) {
        const QSignalBlocker quiet(mnuTrack);
        mnuTrack->setChecked(false);
        ShowMessage(this, QString::fromStdString(started.message()), QMessageBox::Warning);
        return;
    }
    lblTrack->show();
    ShowStatusNote(QStringLiteral("Track on"));
}

void MainFrm::GetPosFromTrack(int stationIndex) {
    if (gpsStation_ >= 0) {
        return;  // one request at a time
    }
    gpsStation_ = stationIndex;
    QPushButton* button = cmdGetPos[stationIndex == 0 ? 0 : 1];
    button->setDown(true);
    button->setFocus();
    statusBar()->showMessage(QStringLiteral("Waiting for the next GPS fix of Track ... Esc cancels"));
    track_->TakeNextFix([this](const instruments::GpsSample& sample) {
        const int station = gpsStation_;
        if (station < 0) {
            return;
        }
        instruments::ApplyGpsFix(State(), station, FixOf(sample), DecimalSeparator());
        RefreshFromState();
        EndGpsRequest(QString::fromStdString(
            instruments::GpsFixNote(station, "Track", State().txtZone[station == 0 ? 0 : 1])));
    });
}

}  // namespace vantrel::ui
