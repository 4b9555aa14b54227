#pragma once

// The short notes the windows show in a status line after a command succeeded: what was written where, and
// what the user may need to do next. Successful commands show no message box.

#include <QString>

#include <filesystem>
#include <string>

namespace vantrel::ui {

QString SavedNote(const std::filesystem::path& file);
QString OverlaysNote(const std::string& foxesFile, const std::string& raysFile);
QString PreviewOverlayNote(const std::string& file);
QString DatabaseNote(const std::filesystem::path& database);
// "F1-F5 of Scedule 1 transferred" (station index 0 is station 1, anything else station 2).
QString TransferNote(int stationIndex);
// After Open or Import: the file, and when results of an earlier Calculate are still shown, that they do
// not belong to it.
QString OpenedNote(const QString& verb, const std::filesystem::path& file, bool resultsShown);
// A command's note with a warning before it: "Warning: <warning> <note>."; either may be empty.
QString WithWarning(const QString& note, const std::string& warning);

// The receive loop of the data processing window.
QString ReceiveStartedNote();
QString ReceiveStoppingNote();
QString ReceiveEndedNote();

// What the picture windows show while they have no picture.
QString RaysWithoutPictureHint();
QString AngleWithoutPictureHint();

}  // namespace vantrel::ui
