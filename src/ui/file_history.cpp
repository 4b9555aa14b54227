#include "ui/file_history.hpp"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "persistence/path_text.hpp"
#include "persistence/recent_files.hpp"
#include "platform/locations.hpp"

namespace vantrel::ui {

RecentFilesMenu::RecentFilesMenu(QMenu& menu, std::filesystem::path settingsFile)
    : QObject(&menu),
      menu_(menu),
      settingsFile_(std::move(settingsFile)),
      files_(persistence::ReadRecentFiles(settingsFile_)) {
    Rebuild();
}

void RecentFilesMenu::Add(const std::filesystem::path& file) {
    files_ = persistence::WithRecentFile(files_, platform::FromPath(file).toStdString());
    Store();
}

void RecentFilesMenu::Remove(const std::filesystem::path& file) {
    const std::string text = platform::FromPath(file).toStdString();
    files_.erase(std::remove(files_.begin(), files_.end(), text), files_.end());
    Store();
}

void RecentFilesMenu::Store() {
    // A settings file that cannot be written costs only the list; the command itself succeeded.
    [[maybe_unused]] const core::Outcome written = persistence::WriteRecentFiles(files_, settingsFile_);
    Rebuild();
}

void RecentFilesMenu::Rebuild() {
    menu_.clear();
    int number = 0;
    for (const std::string& file : files_) {
        const QString path = QString::fromStdString(file);
        ++number;
        // "&1 kassel.fh2" with the whole path as its tip: the number is the keyboard shortcut.
        auto* action = menu_.addAction(
            QStringLiteral("&%1 %2").arg(number).arg(platform::FromPath(platform::ToPath(path).filename())));
        action->setObjectName(QStringLiteral("mnuRecent%1").arg(number));
        action->setToolTip(path);
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this,
                [this, path] { Q_EMIT OpenRequested(platform::ToPath(path)); });
    }
    menu_.setEnabled(!files_.empty());
}

FileTitle::Content FileTitle::ContentOf(const persistence::ProgramState& program) {
    Content content;
    for (const core::BoxId id : core::StationBoxesInListingOrder()) {
        content.boxes.push_back(core::Box(program.main, id));
    }
    content.readings = program.RxReadings;
    return content;
}

void FileTitle::Saved(const std::filesystem::path& file, const persistence::ProgramState& program) {
    saved_ = ContentOf(program);
    window_.setWindowTitle(platform::FromPath(file.filename()) + QStringLiteral("[*] - Vantrel"));
    window_.setWindowModified(false);
}

void FileTitle::Update(const persistence::ProgramState& program) {
    if (saved_) {
        window_.setWindowModified(!(ContentOf(program) == *saved_));
    }
}

}  // namespace vantrel::ui
