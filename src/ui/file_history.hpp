#pragma once

// The desktop habits of the main window around its measurement file: File > Open Recent (the last 8
// files opened or saved, kept in [RecentFiles] of Vantrel.ini) and the file's name in the window title,
// marked while the boxes or readings differ from what was last opened or saved. GUI thread only.

#include <QObject>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "instruments/rx_readings.hpp"
#include "persistence/program_state.hpp"

class QMenu;
class QWidget;

namespace vantrel::ui {

class RecentFilesMenu : public QObject {
    Q_OBJECT
  public:
    // Fills `menu` from the settings file and keeps it up to date.
    RecentFilesMenu(QMenu& menu, std::filesystem::path settingsFile);

    // A file was opened or saved: it moves to the top, the list is written.
    void Add(const std::filesystem::path& file);
    // A file that could not be opened any more leaves the list.
    void Remove(const std::filesystem::path& file);
    [[nodiscard]] const std::vector<std::string>& Files() const { return files_; }

  Q_SIGNALS:
    void OpenRequested(const std::filesystem::path& file);

  private:
    void Rebuild();
    void Store();

    QMenu& menu_;
    std::filesystem::path settingsFile_;
    std::vector<std::string> files_;
};

// The window title "kassel.fh2[*] - Vantrel" (Qt shows "*" in place of "[*]" while modified), or the
// described "Vantrel" while no file was opened or saved.
class FileTitle {
  public:
    explicit FileTitle(QWidget& window) : window_(window) {}
    // The file now open, its content as opened or saved.
    void Saved(const std::filesystem::path& file, const persistence::ProgramState& program);
    // After any change of the state: marks the title when the content differs from the saved one.
    void Update(const persistence::ProgramState& program);

  private:
    struct Content {
        std::vector<std::string> boxes;
        instruments::RxReadings readings;
        friend bool operator==(const Content&, const Content&) = default;
    };
    static Content ContentOf(const persistence::ProgramState& program);

    QWidget& window_;
    std::optional<Content> saved_;
};

}  // namespace vantrel::ui
