// vantrel-cli: the command-line companion of the desktop program.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "platform/locations.hpp"

namespace {

using vantrel::cli::Arguments;
using vantrel::cli::Command;

std::string HelpText() {
    std::string text =
        "Usage: vantrel-cli [--decimal-separator=,|.] COMMAND [ARGUMENTS]\n"
        "\n"
        "Fox-hunt bearings, fixes and map files from the command line.\n"
        "\n"
        "Options:\n"
        "  --decimal-separator=,|.  decimal separator for reading and writing numbers\n"
        "                           (default: the system's)\n"
        "  -h, --help               show this help\n"
        "  --version                show the version\n"
        "\n"
        "Commands:\n";
    for (const Command& command : vantrel::cli::AllCommands()) {
        std::string synopsis = command.synopsis;
        synopsis.resize(std::max<std::size_t>(synopsis.size() + 2, 44), ' ');
        text += "  " + synopsis + command.summary + "\n";
    }
    return text;
}

// "map --help": the command's synopsis and what it does.
std::string CommandHelpText(const Command& command) {
    return "Usage: vantrel-cli [--decimal-separator=,|.] " + std::string(command.synopsis) + "\n\n" +
           command.summary + ".\n\nSee vantrel-cli --help for the other commands.\n";
}

// A command's own -h or --help, before any "--" that ends the options.
bool AsksForHelp(const QStringList& tokens) {
    for (const QString& token : tokens) {
        if (token == QStringLiteral("--")) {
            return false;
        }
        if (token == QStringLiteral("--help") || token == QStringLiteral("-h")) {
            return true;
        }
    }
    return false;
}

const Command* FindCommand(const QString& name) {
    for (const Command& command : vantrel::cli::AllCommands()) {
        if (name == QLatin1String(command.name)) {
            return &command;
        }
    }
    return nullptr;
}

bool TakesValue(const Command& command, const std::string& option) {
    if (option == "decimal-separator") {
        return true;
    }
    for (const std::string& name : command.valueOptions) {
        if (name == option) {
            return true;
        }
    }
    return false;
}

// Splits a command's own arguments. "--" ends the options; "-" alone and "-12.5" are positional.
std::optional<Arguments> SplitArguments(const Command& command, const QStringList& tokens) {
    Arguments args;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const std::string token = tokens[i].toStdString();
        if (optionsEnded || token.size() < 3 || token.rfind("--", 0) != 0) {
            if (token == "--") {
                optionsEnded = true;
                continue;
            }
            args.positional.push_back(token);
            continue;
        }
        const std::size_t eq = token.find('=');
        const std::string name = token.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
        if (eq != std::string::npos) {
            args.options[name] = token.substr(eq + 1);
        } else if (TakesValue(command, name)) {
            if (i + 1 >= tokens.size()) {
                vantrel::cli::UsageError("option --" + name + " needs a value");
                return std::nullopt;
            }
            args.options[name] = tokens[++i].toStdString();
        } else {
            args.options[name] = "";
        }
    }
    return args;
}

std::optional<char> ParseSeparator(const QString& value) {
    if (value == QStringLiteral(",")) {
        return ',';
    }
    if (value == QStringLiteral(".")) {
        return '.';
    }
    return std::nullopt;
}

// The command named on the command line (the first word that is no option), without any parsing that
// needs the application object.
std::string CommandWord(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (std::strcmp(word, "--decimal-separator") == 0) {
            ++i;  // its value follows
        } else if (word[0] != '-') {
            return word;
        }
    }
    return {};
}

// Drawing a picture needs fonts and so a GUI application object; it never opens a window, so it uses the
// offscreen platform whatever display there is (or none).
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char* argv[], std::vector<char*>& guiArguments) {
    const std::string command = CommandWord(argc, argv);
    if (command != "map" && command != "replay") {
        return std::make_unique<QCoreApplication>(argc, argv);
    }
    static char platform[] = "-platform";
    static char offscreen[] = "offscreen";
    guiArguments.assign(argv, argv + argc);
    guiArguments.insert(guiArguments.begin() + 1, {platform, offscreen});
    guiArguments.push_back(nullptr);
    argc += 2;
    // Qt's own notes about the session (no runtime folder, no display) mean nothing to a picture written
    // to a file: errors of the command are its one line on stderr.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
            std::fprintf(stderr, "vantrel-cli: %s\n", qPrintable(message));
        }
    });
    return std::make_unique<QGuiApplication>(argc, guiArguments.data());
}

}  // namespace

int main(int argc, char* argv[]) {
    std::vector<char*> guiArguments;
    const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv, guiArguments);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.2.0"));

    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption separatorOption(QStringLiteral("decimal-separator"),
                                             QStringLiteral("Decimal separator."), QStringLiteral("sep"));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Help."));
    const QCommandLineOption versionOption(QStringLiteral("version"), QStringLiteral("Version."));
    parser.addOption(separatorOption);
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    if (!parser.parse(QCoreApplication::arguments())) {
        return vantrel::cli::UsageError(parser.errorText().toStdString());
    }
    if (parser.isSet(helpOption)) {
        const std::string help = HelpText();
        std::fwrite(help.data(), 1, help.size(), stdout);
        return vantrel::cli::kExitOk;
    }
    if (parser.isSet(versionOption)) {
        vantrel::cli::PrintLine("vantrel-cli 2.2.0");
        return vantrel::cli::kExitOk;
    }

    vantrel::cli::Context context;
    context.decimalSeparator = vantrel::platform::SystemDecimalSeparator();
    if (parser.isSet(separatorOption)) {
        const auto separator = ParseSeparator(parser.value(separatorOption));
        if (!separator) {
            return vantrel::cli::UsageError("--decimal-separator must be ',' or '.'");
        }
        context.decimalSeparator = *separator;
    }

    QStringList rest = parser.positionalArguments();
    if (rest.isEmpty()) {
        return vantrel::cli::UsageError("no command given");
    }
    const Command* command = FindCommand(rest.takeFirst());
    if (command == nullptr) {
        return vantrel::cli::UsageError("unknown command \"" +
                                        parser.positionalArguments().first().toStdString() + "\"");
    }
    if (AsksForHelp(rest)) {
        const std::string help = CommandHelpText(*command);
        std::fwrite(help.data(), 1, help.size(), stdout);
        return vantrel::cli::kExitOk;
    }
    auto args = SplitArguments(*command, rest);
    if (!args) {
        return vantrel::cli::kExitUsage;
    }
    // The separator may also follow the command.
    if (const auto separator = args->Option("decimal-separator")) {
        const auto parsed = ParseSeparator(QString::fromStdString(*separator));
        if (!parsed) {
            return vantrel::cli::UsageError("--decimal-separator must be ',' or '.'");
        }
        context.decimalSeparator = *parsed;
        args->options.erase("decimal-separator");
    }
    for (const auto& [name, value] : args->options) {
        if (!TakesValue(*command, name) && !vantrel::cli::IsFlagOption(*command, name)) {
            return vantrel::cli::UsageError("unknown option --" + name + " for " + command->name);
        }
    }
    context.args = std::move(*args);
    return command->run(context);
}
