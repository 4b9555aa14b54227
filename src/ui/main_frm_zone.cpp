// The main window's hunt zone (the zone rule, its label, remembering a chosen zone) and File > Export,
// which places the hunt in that zone.

#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>

#include "geodesy/hunt_zone.hpp"
#include "geodesy/utm_zone.hpp"
#include "hunt_log/log_reader.hpp"
#include "map_outputs/hunt_export_model.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/path_text.hpp"
#include "persistence/zone_memory.hpp"
#include "platform/hunt_export.hpp"
#include "platform/locations.hpp"
#include "ui/main_frm.hpp"
#include "ui/messages.hpp"
#include "ui/zone_prompt.hpp"

namespace vantrel::ui {
namespace {

const QString kExportFilter =
    QStringLiteral("KML (*.kml);;GeoJSON (*.geojson *.json);;GPX (*.gpx);;All files (*)");

}  // namespace

void MainFrm::Export() {
    // Beside the measurement file, named after it, when there is one.
    std::filesystem::path preset = platform::ToPath(QString::fromStdString(State().DataFileName));
    std::error_code error;
    preset = std::filesystem::is_directory(preset.parent_path(), error) ? preset.replace_extension(".kml")
                                                                        : std::filesystem::path("hunt.kml");
    const auto path = AskFile(FileDialogRequest::Kind::Save, QStringLiteral("Export"),
                              platform::FromPath(preset), kExportFilter);
    if (!path) {
        return;
    }
    const auto format = platform::ExportFormatOfPath(*path);
    if (!format) {
        ShowMessage(this,
                    QStringLiteral("Cannot export to \"%1\": choose a name ending in .kml, .geojson or .gpx")
                        .arg(platform::FromPath(*path)),
                    QMessageBox::Warning);
        return;
    }
    ExportIn(*path, *format, HuntZone());
}

void MainFrm::ExportIn(const std::filesystem::path& path, platform::ExportFormat format,
                       geodesy::ZoneChoice zone) {
    const auto model =
        map_outputs::HuntExportOfProgram(program_, qualitySettings_, zone.zone, DecimalSeparator());
    if (!ReportOutcome(this, model.outcome())) {
        return;
    }
    if (!model->outsideZone.empty()) {
        // Exported in a zone it does not lie in, the hunt would land at a wrong place: ask for its zone.
        const auto chosen =
            AskZone(this,
                    QString::fromStdString(geodesy::NotInZoneMessage(zone.zone, model->outsideZone)) +
                        QStringLiteral(".\nNothing was exported."),
                    zone.zone);
        if (chosen) {
            ReportOutcome(this, RememberHuntZone(*chosen));
            ExportIn(path, format, HuntZone());
        }
        return;
    }
    if (!ReportOutcome(this, platform::WriteHuntExport(path, *model, format))) {
        return;
    }
    statusBar()->showMessage(QStringLiteral("Exported in zone %1 (%2) to %3")
                                 .arg(QString::fromStdString(geodesy::ZoneText(zone.zone)),
                                      QString::fromStdString(geodesy::ZoneSourceText(zone.source)),
                                      platform::FromPath(path)));
    if (!model->warnings.empty()) {
        QString text;
        for (const std::string& warning : model->warnings) {
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + QString::fromStdString(warning);
        }
        ShowMessage(this, text, QMessageBox::Information);
    }
}

void MainFrm::ShowHuntZone() {
    const geodesy::ZoneChoice zone = HuntZone();
    lblHuntZone->setText(QStringLiteral("Hunt zone %1 (%2)")
                             .arg(QString::fromStdString(geodesy::ZoneText(zone.zone)),
                                  QString::fromStdString(geodesy::ZoneSourceText(zone.source))));
}

geodesy::ZoneChoice MainFrm::HuntZone() const {
    // The bearing log beside the measurement file (NAME.fhl) names the zone it was started in.
    std::optional<geodesy::UtmZone> logZone;
    if (!program_.main.DataFileName.empty()) {
        logZone = hunt_log::ReadLogZone(
            persistence::PathFromUtf8(program_.main.DataFileName).replace_extension(".fhl"));
    }
    return persistence::ZoneOfHunt(program_.main, SettingsFileContent(), logZone);
}

core::Outcome MainFrm::RememberHuntZone(geodesy::UtmZone zone) {
    const std::string text = geodesy::ZoneText(zone);
    // A hunt without a file name has nothing to remember the zone by: it becomes the default.
    const core::Outcome remembered =
        program_.main.DataFileName.empty()
            ? persistence::UpdateIniFile(SettingsFile(),
                                         [&text](persistence::IniFile& ini) { ini.Set("Map", "Zone", text); })
            : persistence::RememberZone(SettingsFile(), persistence::PathFromUtf8(program_.main.DataFileName),
                                        text);
    Q_EMIT StateChanged();  // the Hunt Map draws in the new zone
    return remembered;
}

}  // namespace vantrel::ui
