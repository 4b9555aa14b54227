#include "platform/locations.hpp"

#include <QLocale>
#include <QStandardPaths>
#include <QString>

namespace vantrel::platform {
namespace {

constexpr auto kFolderName = "Vantrel";

std::filesystem::path StandardFolder(QStandardPaths::StandardLocation location) {
    return ToPath(QStandardPaths::writableLocation(location)) / kFolderName;
}

}  // namespace

std::filesystem::path ToPath(const QString& path) {
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(path.toStdString());
#endif
}

QString FromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.wstring());
#else
    return QString::fromStdString(path.string());
#endif
}

std::filesystem::path SettingsFolder() {
    return StandardFolder(QStandardPaths::GenericConfigLocation);
}

std::filesystem::path SettingsFilePath() {
    return SettingsFolder() / persistence::kSettingsFileName;
}

std::filesystem::path UserDataFolder() {
    return StandardFolder(QStandardPaths::GenericDataLocation);
}

persistence::DefaultLocations DefaultLocationsForThisSystem() {
#ifdef _WIN32
    return persistence::WindowsDefaultLocations();
#else
    const std::filesystem::path data = UserDataFolder();
    const std::filesystem::path overlays = data / "overlays";
    return {
        .dataFileName = (data / "default.fhd").string(),
        .database = (data / "Univdb_u.sqlite").string(),
        .raysOverlay = (overlays / "rays.ovl").string(),
        .foxesOverlay = (overlays / "foxies.ovl").string(),
        .previewOverlay = (overlays / "preview.ovl").string(),
    };
#endif
}

void CreateDefaultFolders() {
#ifndef _WIN32
    std::error_code ignored;
    std::filesystem::create_directories(UserDataFolder() / "overlays", ignored);
#endif
}

char SystemDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point == QStringLiteral(",") ? ',' : '.';
}

}  // namespace vantrel::platform
