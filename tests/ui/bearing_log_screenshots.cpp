// Pictures of the bearing log in the window for a person to look at: the example hunt of four stations
// (examples/hunt-four-stations.fh2 and its .fhl, one wild bearing) on the Hunt Map, and the Bearings window.
#include "bearing_log_screenshots.hpp"

#include <QComboBox>
#include <QDir>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

#include <cstdio>
#include <filesystem>

#include "persistence/data_file_commands.hpp"
#include "persistence/settings.hpp"
#include "ui/bearings_window.hpp"
#include "ui/hunt_map.hpp"
#include "ui/main_frm.hpp"

namespace vantrel::ui {
namespace {

bool Grab(QWidget& window, const QString& folder, const QString& name) {
    window.show();
    window.raise();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return false;
    }
    QTest::qWait(300);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    const bool saved = window.screen()->grabWindow(window.winId()).save(path);
    if (!saved) {
        std::fprintf(stderr, "could not save %s\n", qPrintable(path));
    }
    return saved;
}

}  // namespace

bool SaveBearingLogPictures(const QString& folder, const QString& examples) {
    const std::filesystem::path dir =
        std::filesystem::path(QDir::tempPath().toStdString()) / "vantrel-bearing-log";
    std::filesystem::create_directories(dir);
    std::error_code error;
    for (const char* name : {"hunt-four-stations.fh2", "hunt-four-stations.fhl"}) {
        std::filesystem::copy_file(std::filesystem::path(examples.toStdString()) / name, dir / name,
                                   std::filesystem::copy_options::overwrite_existing, error);
    }
    persistence::ProgramState program;
    program.settings = persistence::SettingsFromIni({});
    std::filesystem::remove(dir / "Vantrel.ini", error);
    MainFrm main(program, {dir / "Vantrel.ini", ','});
    if (!persistence::OpenDataFile(program, dir / "hunt-four-stations.fh2", ',', dir / "Vantrel.ini")) {
        std::fprintf(stderr, "the four-station example did not open\n");
        return false;
    }
    main.RefreshFromState();
    main.Calculate();
    main.mnuHuntMap->trigger();
    HuntMap& map = *main.huntMapWindow.Get();
    QTest::qWait(200);
    map.FitAll();
    bool ok = Grab(map, folder, QStringLiteral("HuntMapBearingLog"));
    main.mnuBearings->trigger();
    BearingsWindow& bearings = *main.bearingsWindow.Get();
    bearings.foxFilter->setCurrentIndex(1);
    bearings.table->selectRow(0);
    ok = Grab(bearings, folder, QStringLiteral("BearingsWindow")) && ok;
    bearings.foxFilter->setCurrentIndex(0);
    ok = Grab(bearings, folder, QStringLiteral("BearingsWindowAllFoxes")) && ok;
    return ok;
}

}  // namespace vantrel::ui
