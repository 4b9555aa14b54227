#include "ui/hunt_log_link.hpp"

#include <chrono>
#include <system_error>

#include "fox_fix/station_bearings.hpp"
#include "geodesy/utm_zone.hpp"
#include "hunt_log/log_reader.hpp"
#include "hunt_log/log_writer.hpp"
#include "persistence/locate_settings.hpp"
#include "persistence/path_text.hpp"
#include "platform/locations.hpp"
#include "ui/main_frm.hpp"

namespace vantrel::ui {
namespace {

hunt_log::TimeMs Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

geodesy::UtmZone ZoneOfHunt(MainFrm& main) {
    return main.HuntZone().zone;
}

}  // namespace

HuntLogLink::HuntLogLink(MainFrm& main) : QObject(&main), main_(main) {}

std::optional<std::filesystem::path> HuntLogLink::LogPath() const {
    std::filesystem::path hunt = platform::ToPath(QString::fromStdString(main_.State().DataFileName));
    std::error_code error;
    if (!hunt.empty() && hunt.has_filename() && std::filesystem::is_directory(hunt.parent_path(), error)) {
        return hunt.replace_extension(".fhl");
    }
    return chosen_;
}

std::optional<std::filesystem::path> HuntLogLink::ChooseLogPath() {
    if (auto path = LogPath()) {
        return path;
    }
    chosen_ = main_.AskFile(FileDialogRequest::Kind::Save, QStringLiteral("Bearing Log"),
                            QStringLiteral("hunt.fhl"), QStringLiteral("Bearing logs (*.fhl)"));
    return chosen_;
}

core::Result<std::string> HuntLogLink::LogStationBearings() {
    const hunt_log::TimeMs now = Now();
    const geodesy::UtmZone zone = ZoneOfHunt(main_);
    const fox_fix::StationBearings found = fox_fix::BearingsOfStationBoxes(
        main_.State(), main_.Program().RxReadings, main_.Quality(), zone, now, main_.DecimalSeparator());
    std::string notes;
    for (const std::string& note : found.notes) {
        notes += "\n" + note;
    }
    if (found.bearings.empty()) {
        return core::Result<std::string>::Fail(
            "No bearing to log: no fox has a bearing in the station boxes." + notes);
    }
    const auto path = ChooseLogPath();
    if (!path) {
        return std::string();
    }
    auto writer = hunt_log::LogWriter::Open(*path, zone, now);
    if (!writer) {
        return core::Result<std::string>::Fail(writer.message());
    }
    std::size_t logged = 0;
    for (const hunt_log::NewBearing& bearing : found.bearings) {
        const auto id = writer->AppendBearing(bearing);
        if (!id) {
            Q_EMIT LogChanged();
            return core::Result<std::string>::Fail(id.message() + "\n" + std::to_string(logged) +
                                                   " bearings were logged before it.");
        }
        ++logged;
    }
    Q_EMIT LogChanged();
    std::string note = "Logged " + std::to_string(logged) + (logged == 1 ? " bearing" : " bearings") +
                       " to " + persistence::Utf8FromPath(path->filename());
    if (!(writer->header().zone == zone)) {
        note += " (the log is in zone " + geodesy::ZoneText(writer->header().zone) + ")";
    }
    return note + (found.notes.empty() ? "" : "; " + found.notes.front());
}

core::Result<hunt_log::LogWriter> HuntLogLink::OpenLogWriter(hunt_log::TimeMs now) {
    const auto path = ChooseLogPath();
    if (!path) {
        return core::Result<hunt_log::LogWriter>::Fail(
            "No bearing log was chosen: Track needs one to log to.");
    }
    return hunt_log::LogWriter::Open(*path, ZoneOfHunt(main_), now);
}

core::Outcome HuntLogLink::AppendEdit(const hunt_log::EditEvent& edit) {
    const auto path = LogPath();
    if (!path) {
        return core::Outcome::Fail("The hunt has no bearing log yet.");
    }
    return AppendEditTo(*path, edit);
}

core::Outcome HuntLogLink::AppendEditTo(const std::filesystem::path& path, const hunt_log::EditEvent& edit) {
    auto writer = hunt_log::LogWriter::Open(path, std::nullopt, edit.time);
    if (!writer) {
        return core::Outcome::Fail(writer.message());
    }
    const core::Outcome appended = writer->AppendEdit(edit);
    std::error_code error;
    if (const auto own = LogPath(); own && std::filesystem::equivalent(*own, path, error)) {
        Q_EMIT LogChanged();
    }
    return appended;
}

namespace {

bool SameOptions(const locate::Options& a, const locate::Options& b) {
    return a.method == b.method && a.tuning == b.tuning && a.sigmaDeg == b.sigmaDeg &&
           a.confidence == b.confidence;
}

}  // namespace

const HuntLogView& HuntLogLink::Read() const {
    const persistence::LocateSettingsRead settings = persistence::ReadLocateSettings(main_.SettingsFile());
    CacheKey key;
    key.path = LogPath().value_or(std::filesystem::path());
    key.zone = geodesy::ZoneText(ZoneOfHunt(main_));
    key.options = settings.options;
    std::error_code error;
    if (!key.path.empty() && std::filesystem::exists(key.path, error)) {
        key.size = std::filesystem::file_size(key.path, error);
        key.modified = std::filesystem::last_write_time(key.path, error);
    }
    if (!cacheKey_ || cacheKey_->path != key.path || cacheKey_->size != key.size ||
        cacheKey_->modified != key.modified || cacheKey_->zone != key.zone ||
        !SameOptions(cacheKey_->options, key.options)) {
        cache_ = ReadNow(settings.options, settings.problems);
        cacheKey_ = key;
    }
    return cache_;
}

HuntLogView HuntLogLink::ReadNow(const locate::Options& options, std::vector<std::string> problems) const {
    HuntLogView view;
    view.options = options;
    view.warnings = std::move(problems);
    const geodesy::UtmZone zone = ZoneOfHunt(main_);
    view.state.zone = zone;
    const auto path = LogPath();
    std::error_code error;
    if (!path || !std::filesystem::exists(*path, error)) {
        return view;
    }
    view.path = *path;
    view.exists = true;
    const auto read = hunt_log::ReadLog(*path);
    if (!read) {
        view.warnings.push_back(read.message());
        return view;
    }
    for (const std::string& warning : read->report.Warnings(*path)) {
        view.warnings.push_back(warning);
    }
    const std::string mismatch = hunt_log::ZoneMismatchWarning(persistence::Utf8FromPath(path->filename()),
                                                               read->log.header.zone, zone);
    if (!mismatch.empty()) {
        view.warnings.push_back(mismatch);
    }
    view.state = hunt_log::StateAt(read->log, std::nullopt, zone);
    for (int fox = 1; fox <= hunt_log::kFoxCount; ++fox) {
        view.fixes[static_cast<std::size_t>(fox - 1)] = fox_fix::FixOfFox(view.state, fox, view.options);
    }
    return view;
}

}  // namespace vantrel::ui
