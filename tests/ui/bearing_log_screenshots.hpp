#pragma once

#include <QString>

namespace vantrel::ui {

// Saves HuntMapBearingLog.png, BearingsWindow.png and BearingsWindowAllFoxes.png into `folder`, from the
// example hunt of four stations in the folder `examples`. False when a picture could not be made.
bool SaveBearingLogPictures(const QString& folder, const QString& examples);

}  // namespace vantrel::ui
