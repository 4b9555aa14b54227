#pragma once

// Where things live on this system: the one place that names the platform's folders.

#include <filesystem>

#include "persistence/settings.hpp"

class QString;

namespace vantrel::platform {

// The per-user folder for the settings file: <config>/Vantrel (on Linux ~/.config/Vantrel, following
// XDG_CONFIG_HOME; on Windows the local application data folder).
std::filesystem::path SettingsFolder();

// SettingsFolder()/Vantrel.ini.
std::filesystem::path SettingsFilePath();

// The per-user data folder: <data>/Vantrel (on Linux ~/.local/share/Vantrel, following XDG_DATA_HOME).
std::filesystem::path UserDataFolder();

// The start-up defaults: on Windows the program's traditional paths; elsewhere the overlays, the object
// database and the default data file under UserDataFolder().
persistence::DefaultLocations DefaultLocationsForThisSystem();

// Creates the folders the default locations point into (the overlays and the object database under
// UserDataFolder()), so the commands work out of the box. Nothing to do on Windows; a failure shows later,
// when a command writes there.
void CreateDefaultFolders();

// The decimal separator of the user's numeric locale: ',' or '.'.
char SystemDecimalSeparator();

// A QString path as a filesystem path (UTF-8 safe) and back.
std::filesystem::path ToPath(const QString& path);
QString FromPath(const std::filesystem::path& path);

}  // namespace vantrel::platform
