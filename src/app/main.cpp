// vantrel: the desktop program.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFont>

#include <cstdlib>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "persistence/program_state.hpp"
#include "persistence/settings.hpp"
#include "platform/locations.hpp"
#include "ui/frm_about.hpp"
#include "ui/hunt_map.hpp"
#include "ui/hunt_time_bar.hpp"
#include "ui/main_frm.hpp"
#include "ui/messages.hpp"

namespace {

void NameTheProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
}

void DescribeCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "Cross-bearing fixes for amateur-radio direction finding (fox hunting).\n"
        "Opens FILE at start: a measurement file (.fh2) as File > Open does, a legacy file (.fhd) as "
        "File > Import does."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The measurement file to open."),
                                 QStringLiteral("[FILE]"));
    parser.addOption(QCommandLineOption(QStringLiteral("replay"),
                                        QStringLiteral("Opens the Hunt Map replaying the bearing log LOG."),
                                        QStringLiteral("LOG")));
}

// --help and --version need no display: they are answered before the window system is touched.
void AnswerHelpOrVersion(int& argc, char* argv[]) {
    static const std::set<std::string_view> kInfoOptions{"-h",         "--help", "-?",
                                                         "--help-all", "-v",     "--version"};
    for (int i = 1; i < argc; ++i) {
        if (kInfoOptions.count(argv[i]) != 0) {
            // The usage line names the program as a user types it, not the path it was started by.
            std::vector<char*> arguments(argv, argv + argc);
            std::string name = "vantrel";
            arguments[0] = name.data();
            const QCoreApplication info(argc, arguments.data());
            NameTheProgram();
            QCommandLineParser parser;
            DescribeCommandLine(parser);
            parser.process(info);  // prints and ends the program
        }
    }
}

// The rest of the command line, after QApplication took its own options (-platform, -style, ...): a
// wrong option or more than one file prints why and ends the program (exit code 1). The result is the file
// to open, made absolute against the folder the program was started in (start-up changes the current
// folder later).
struct StartFiles {
    std::optional<std::filesystem::path> file;    // to open in the main window
    std::optional<std::filesystem::path> replay;  // a bearing log to replay in the Hunt Map
};

StartFiles FilesToOpen(const QApplication& app) {
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.process(app);
    StartFiles start;
    if (parser.isSet(QStringLiteral("replay"))) {
        start.replay = vantrel::platform::ToPath(
            QDir::current().absoluteFilePath(parser.value(QStringLiteral("replay"))));
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fputs("vantrel: one file at a time; start the program once for each file.\n", stderr);
        std::exit(1);
    }
    if (!files.isEmpty()) {
        start.file = vantrel::platform::ToPath(QDir::current().absoluteFilePath(files.front()));
    }
    return start;
}

}  // namespace

int main(int argc, char* argv[]) {
    AnswerHelpOrVersion(argc, argv);
    QApplication app(argc, argv);
    NameTheProgram();
    QApplication::setWindowIcon(vantrel::ui::ProgramIconSet());
    // The installed desktop entry's name, so that the desktop matches the window to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vantrel.Vantrel"));
    const StartFiles start = FilesToOpen(app);

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
    if (start.file) {
        window.OpenFromOutside(*start.file);
    }
    if (start.replay) {
        window.mnuHuntMap->trigger();
        if (const vantrel::core::Outcome opened = window.huntMapWindow.Get()->timeBar->Replay(*start.replay);
            !opened) {
            vantrel::ui::ShowMessage(window.huntMapWindow.Get(), QString::fromStdString(opened.message()),
                                     QMessageBox::Warning);
        }
    }
    return QApplication::exec();
}
