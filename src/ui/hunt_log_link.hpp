#pragma once

// The open hunt's bearing log as the windows use it: where it lives (NAME.fhl beside the hunt's file, or a
// file the user chose when the hunt has none), Log Bearings (the station boxes' bearings appended), edits
// (Ignore, Note) and the log read back and folded in the hunt's zone with each fox's many-bearing fix.
// Every append goes through hunt_log::LogWriter, the log's one writer, and returns once it is on the disk.
//
// Lives in the GUI thread, owned by the main window; the Bearings window and the Hunt Map listen to
// LogChanged to read it again.

#include <QObject>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/outcome.hpp"
#include "fox_fix/fox_fix.hpp"
#include "hunt_log/hunt_state.hpp"
#include "hunt_log/log_writer.hpp"
#include "locate/locate.hpp"

namespace vantrel::ui {

class MainFrm;

// The log as read at one moment: the fold in the hunt's zone and each fox's fix.
struct HuntLogView {
    std::filesystem::path path;
    bool exists = false;
    hunt_log::HuntState state;
    std::array<fox_fix::FoxFix, hunt_log::kFoxCount> fixes;  // [0] is fox 1
    std::vector<std::string> warnings;                       // damaged lines, another zone
    locate::Options options;                                 // [Locate] of Vantrel.ini
};

class HuntLogLink : public QObject {
    Q_OBJECT
  public:
    explicit HuntLogLink(MainFrm& main);

    // NAME.fhl beside the hunt's file; nothing when the hunt has no file in an existing folder and the
    // user chose none.
    [[nodiscard]] std::optional<std::filesystem::path> LogPath() const;

    // Log Bearings: appends the bearing of every fox in station 1's and station 2's boxes, now. Asks for a
    // file when the hunt has none. Returns the status line's note ("Logged 4 bearings to X"), or the
    // failure; a cancelled file choice is an empty note.
    core::Result<std::string> LogStationBearings();

    // The log's writer for a stream of appends (Track): the hunt's log, or a file the user chooses now when
    // the hunt has none (a cancelled choice is a failure that says so). A new log gets the hunt's zone.
    core::Result<hunt_log::LogWriter> OpenLogWriter(hunt_log::TimeMs now);
    // Tells the windows that read the log that it has grown (after appends through OpenLogWriter's writer).
    void AnnounceChanged() { Q_EMIT LogChanged(); }

    // Appends an edit of bearing `id` (Ignore, Note).
    core::Outcome AppendEdit(const hunt_log::EditEvent& edit);
    // The same for the log at `path` (a replayed one); LogChanged when it is the hunt's own.
    core::Outcome AppendEditTo(const std::filesystem::path& path, const hunt_log::EditEvent& edit);

    // The log as it is now (an absent log reads as empty, no warning). The last reading is kept and given
    // again while the file, the hunt's zone and the [Locate] settings stay as they were, so redrawing the
    // map on every keystroke does not read a long log again.
    [[nodiscard]] const HuntLogView& Read() const;

  Q_SIGNALS:
    void LogChanged();

  private:
    std::optional<std::filesystem::path> ChooseLogPath();

    MainFrm& main_;
    std::optional<std::filesystem::path> chosen_;  // when the hunt has no file of its own

    // What the cached view was read from: path, size, modification time, zone, settings.
    struct CacheKey {
        std::filesystem::path path;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified;
        std::string zone;
        locate::Options options;
    };
    [[nodiscard]] HuntLogView ReadNow(const locate::Options& options,
                                      std::vector<std::string> problems) const;
    mutable std::optional<CacheKey> cacheKey_;
    mutable HuntLogView cache_;
};

}  // namespace vantrel::ui
