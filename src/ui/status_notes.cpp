#include "ui/status_notes.hpp"

#include <QDir>

#include "platform/locations.hpp"

namespace vantrel::ui {
namespace {

QString Shown(const std::filesystem::path& file) {
    return QDir::toNativeSeparators(platform::FromPath(file));
}

QString Shown(const std::string& file) {
    return QDir::toNativeSeparators(QString::fromStdString(file));
}

}  // namespace

QString SavedNote(const std::filesystem::path& file) {
    return QStringLiteral("Saved to %1").arg(Shown(file));
}

QString OverlaysNote(const std::string& foxesFile, const std::string& raysFile) {
    return QStringLiteral("Overlays written: %1 and %2").arg(Shown(foxesFile), Shown(raysFile));
}

QString PreviewOverlayNote(const std::string& file) {
    return QStringLiteral("Preview overlay written: %1").arg(Shown(file));
}

QString DatabaseNote(const std::filesystem::path& database) {
    return QStringLiteral("Database updated: %1").arg(Shown(database));
}

QString TransferNote(int stationIndex) {
    return QStringLiteral("F1-F5 of Scedule %1 transferred").arg(stationIndex == 0 ? 1 : 2);
}

QString OpenedNote(const QString& verb, const std::filesystem::path& file, bool resultsShown) {
    QString note = QStringLiteral("%1 %2").arg(verb, Shown(file));
    if (resultsShown) {
        note += QStringLiteral("; results are from before this file: press Calculate");
    }
    return note;
}

QString WithWarning(const QString& note, const std::string& warning) {
    if (warning.empty()) {
        return note;
    }
    // The warning first: a status line longer than the window is cut off at its end.
    const QString text = QStringLiteral("Warning: ") + QString::fromStdString(warning);
    return note.isEmpty() ? text : text + QLatin1Char(' ') + note + QLatin1Char('.');
}

QString ReceiveStartedNote() {
    return QStringLiteral(
        "Receiving: the first line only synchronises and is not filed; each line after it is filed for the "
        "active fox.");
}

QString ReceiveStoppingNote() {
    return QStringLiteral("Stopping: the loop stops after the next line, which is still filed.");
}

QString ReceiveEndedNote() {
    return QStringLiteral("Receiving stopped.");
}

QString RaysWithoutPictureHint() {
    return QStringLiteral(
        "No map picture. Copy a map picture to the clipboard, close this window and choose Graphic > Show "
        "Rays again. Then choose Set S1 or Set S2 and click where that station stands.");
}

QString AngleWithoutPictureHint() {
    return QStringLiteral(
        "No map picture. Copy a map picture to the clipboard, then press Insert Clipboard. Click a reference "
        "point and move the pointer: the angle from the top of the picture is shown below.");
}

}  // namespace vantrel::ui
