// Pictures of the Hunt Map following and replaying a simulated drive round a fox, for a person to look
// at: the live map at three moments of the drive (the log growing as a logger appends to it), the replay
// at three times, and the training view before and after "Show fox". Run under an X server:
// vantrel-live-map-screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "persistence/settings.hpp"
#include "simulate/hunt_log_output.hpp"
#include "simulate/simulate.hpp"
#include "ui/hunt_map.hpp"
#include "ui/hunt_time_bar.hpp"
#include "ui/main_frm.hpp"

namespace {

using vantrel::ui::HuntMap;
using vantrel::ui::HuntTimeBar;

// A car drives round fox 1 at 12 m/s taking a bearing a second; one in ten points at a barn instead.
constexpr const char* kScenario = R"({
    "seed": 11, "foxes": [{"fox": 1, "lat": 50.5, "lon": 9.25}],
    "route": {"name": "Car", "speed": 12, "waypoints": [{"lat": 50.488, "lon": 9.225}, {"lat": 50.489, "lon": 9.272},
              {"lat": 50.511, "lon": 9.274}, {"lat": 50.512, "lon": 9.232}, {"lat": 50.497, "lon": 9.228}]},
    "bearings": {"sigma": 4, "reflections": 0.1, "reflectors": [{"lat": 50.494, "lon": 9.262}]},
    "gps": {"noise": 3}, "receiver": {"format": "agrelo", "rate": 1, "vehicle": true, "fox": 1}})";

bool Settle(HuntTimeBar& bar) {
    return QTest::qWaitFor([&bar] { return bar.Settled() && bar.Layer().has_value(); }, 10000);
}

bool Save(HuntMap& map, const QString& folder, const QString& name) {
    map.show();
    map.raise();
    if (!QTest::qWaitForWindowExposed(&map) || !Settle(*map.timeBar)) {
        std::fprintf(stderr, "%s was not shown\n", qPrintable(name));
        return false;
    }
    QTest::qWait(400);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    const bool saved = map.screen()->grabWindow(map.winId()).save(path);
    std::printf("%s\n", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: vantrel-live-map-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const std::string ini =
        (QDir::tempPath() + QStringLiteral("/vantrel-live-map-screenshots.ini")).toStdString();
    const std::string log = (QDir::tempPath() + QStringLiteral("/vantrel-live-map-drive.fhl")).toStdString();
    QFile::remove(QString::fromStdString(ini));
    QFile::remove(QString::fromStdString(log));
    const auto scenario = vantrel::simulate::ReadScenario(kScenario);
    if (!scenario) {
        std::fprintf(stderr, "%s\n", scenario.message().c_str());
        return 1;
    }
    std::istringstream text(vantrel::simulate::HuntLogText(
        vantrel::simulate::MakeHuntLog(vantrel::simulate::Simulate(*scenario), *scenario)));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line + "\n");
    }
    vantrel::persistence::ProgramState program;
    program.settings = vantrel::persistence::GetIniData(ini);
    vantrel::ui::MainFrm main(program, vantrel::ui::MainFrmEnvironment{ini, '.'});
    main.mnuHuntMap->trigger();
    HuntMap& map = *main.huntMapWindow.Get();
    map.resize(1600, 1000);
    bool ok = true;

    // Live: a logger appends the drive; the map follows it at a quarter, two thirds and the end.
    std::size_t written = 0;
    const auto appendUpTo = [&](std::size_t count) {
        std::ofstream out(log, std::ios::binary | std::ios::app);
        for (; written < count && written < lines.size(); ++written) {
            out << lines[written];
        }
    };
    appendUpTo(40);
    ok = map.timeBar->Follow(log) && ok;
    map.timeBar->chkFollow->setChecked(false);
    map.FitAll();
    for (const auto& [share, name] :
         {std::pair{0.25, "live-1"}, std::pair{0.66, "live-2"}, std::pair{1.0, "live-3"}}) {
        appendUpTo(static_cast<std::size_t>(share * static_cast<double>(lines.size())));
        map.timeBar->Poll();
        Settle(*map.timeBar);
        map.FitAll();
        ok = Save(map, folder, QString::fromLatin1(name)) && ok;
    }

    // Replay at three times, then the training view before and after "Show fox".
    ok = map.timeBar->Replay(log) && ok;
    map.FitAll();
    const auto span = *map.timeBar->Span();
    for (const auto& [share, name] :
         {std::pair{0.15, "replay-1"}, std::pair{0.5, "replay-2"}, std::pair{0.85, "replay-3"}}) {
        map.timeBar->SetTime(span.first +
                             static_cast<long long>(share * static_cast<double>(span.last - span.first)));
        ok = Save(map, folder, QString::fromLatin1(name)) && ok;
    }
    map.timeBar->SetTime(span.last);
    ok = Save(map, folder, QStringLiteral("training-hidden")) && ok;
    map.timeBar->cmdShowFox->click();
    ok = Save(map, folder, QStringLiteral("training-shown")) && ok;
    return ok ? 0 : 1;
}
