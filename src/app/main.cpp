// vantrel: the desktop program.

#include <QApplication>
#include <QDir>
#include <QFont>

#include "persistence/program_state.hpp"
#include "persistence/settings.hpp"
#include "platform/locations.hpp"
#include "ui/main_frm.hpp"

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
    program.settings = vantrel::persistence::GetIniData(settingsFile);
    vantrel::persistence::ApplyStartupDefaults(program.settings, program.main,
                                               vantrel::platform::DefaultLocationsForThisSystem());
    vantrel::platform::CreateDefaultFolders();

    vantrel::ui::MainFrm window(program, {settingsFile, vantrel::platform::SystemDecimalSeparator()});
    window.show();
    window.StartDatabase();
    return QApplication::exec();
}
