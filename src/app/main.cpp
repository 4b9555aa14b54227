// vantrel: the desktop program.

#include <QApplication>
#include <QDir>
#include <QFont>

#include <filesystem>
#include <system_error>

#include "persistence/program_state.hpp"
#include "persistence/settings.hpp"
#include "platform/locations.hpp"
#include "ui/main_frm.hpp"
#include "ui/messages.hpp"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationVersion(QStringLiteral("2.2.0"));

    // The windows are laid out for 8-point captions; keep the platform's font family at that size.
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);

    // Start-up: the program's folder becomes the current folder, then the settings and their defaults.
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    vantrel::persistence::ProgramState program;
    const std::filesystem::path settingsFile = vantrel::platform::SettingsFilePath();
    const auto settingsRead = vantrel::persistence::ReadSettingsFile(settingsFile);
    program.settings =
        vantrel::persistence::SettingsFromIni(settingsRead ? *settingsRead : vantrel::persistence::IniFile{});
    vantrel::persistence::ApplyStartupDefaults(program.settings, program.main,
                                               vantrel::platform::DefaultLocationsForThisSystem());
    vantrel::platform::CreateDefaultFolders();

    vantrel::ui::MainFrm window(program, {settingsFile, vantrel::platform::SystemDecimalSeparator()});
    window.show();
    // A missing file (or a link to one not made yet) is the first run: closing makes it. Anything else
    // that kept the file from being read is said, since closing will not rewrite it either.
    std::error_code ignored;
    const bool firstRun =
        std::filesystem::status(settingsFile, ignored).type() == std::filesystem::file_type::not_found;
    if (!settingsRead && !firstRun) {
        vantrel::ui::ShowMessage(
            &window,
            QString::fromStdString(settingsRead.message() + ". The program starts with the default settings "
                                                            "and will not change that file."),
            QMessageBox::Warning);
    }
    window.StartDatabase();
    return QApplication::exec();
}
