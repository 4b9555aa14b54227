// Pictures of the Hunt Map with each example hunt, for a person to look at: opened first and after
// another, with and without its map, zoomed in and out, by night; the empty map; the main window's title
// and Open Recent; the four-station hunt with its bearing log and F1's likelihood map. Run under an X server:
// vantrel-hunt-map-screenshots OUTPUT_FOLDER
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ui/hunt_map.hpp"
#include "ui/hunt_map_canvas.hpp"
#include "ui/hunt_map_heat.hpp"
#include "ui/main_frm.hpp"

namespace {

using vantrel::ui::HuntMap;
using vantrel::ui::MainFrm;

const QString kExamples = QStringLiteral(VANTREL_SOURCE_DIR "/examples/");

// 1600 x 1000, or what the screen holds.
void Size(QWidget& window) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    window.resize(std::min(1600, screen.width()), std::min(1000, screen.height() - 40));
}

bool Save(QWidget& window, const QString& folder, const QString& name) {
    window.show();
    window.raise();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "window %s was not shown\n", qPrintable(name));
        return false;
    }
    QTest::qWait(400);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    const bool saved = window.screen()->grabWindow(window.winId()).save(path);
    std::printf("%s\n", qPrintable(path));
    return saved;
}

// The map at fit, four times closer, four times further, and by night.
bool Views(HuntMap& map, const QString& folder, const QString& name) {
    bool ok = true;
    map.FitAll();
    ok = Save(map, folder, name) && ok;
    const QPointF middle(map.canvas->width() / 2.0, map.canvas->height() / 2.0);
    map.canvas->ZoomAbout(middle, 4);
    ok = Save(map, folder, name + QStringLiteral("-in")) && ok;
    map.canvas->ZoomAbout(middle, 1.0 / 16);
    ok = Save(map, folder, name + QStringLiteral("-out")) && ok;
    map.FitAll();
    map.chkNight->setChecked(true);
    ok = Save(map, folder, name + QStringLiteral("-night")) && ok;
    map.chkNight->setChecked(false);
    return ok;
}

struct Session {
    vantrel::persistence::ProgramState program;
    std::unique_ptr<MainFrm> main;
    QString file;
};

std::unique_ptr<Session> NewSession(const QString& ini, const QString& file) {
    auto session = std::make_unique<Session>();
    session->file = file;
    vantrel::ui::MainFrmEnvironment environment{ini.toStdString(), '.'};
    environment.fileDialog = [s = session.get()](QWidget*, const vantrel::ui::FileDialogRequest&) {
        return std::optional<QString>(s->file);
    };
    session->main = std::make_unique<MainFrm>(session->program, environment);
    return session;
}

HuntMap& OpenHunt(Session& s, const QString& file, const char* zone) {
    s.file = file;
    if (file.endsWith(QStringLiteral(".fhd"))) {
        s.main->mnuImport->trigger();
    } else {
        s.main->mnuOpen->trigger();
    }
    if (zone != nullptr) {
        s.program.main.txtZone = {zone, zone};
        s.main->RefreshFromState();
    }
    s.main->Calculate();
    s.main->mnuHuntMap->trigger();
    HuntMap& map = *s.main->huntMapWindow.Get();
    Size(map);
    return map;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: vantrel-hunt-map-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const QString ini = QDir::tempPath() + QStringLiteral("/vantrel-hunt-map-screenshots.ini");
    QFile::remove(ini);
    bool ok = true;
    {
        auto empty = NewSession(ini, {});
        empty->main->mnuHuntMap->trigger();
        HuntMap& map = *empty->main->huntMapWindow.Get();
        Size(map);
        ok = Save(map, folder, QStringLiteral("empty")) && ok;
    }
    struct Example {
        const char* file;
        const char* zone;
        const char* name;
    };
    for (const Example& example :
         {Example{"hunt-vogelsberg.fh2", nullptr, "vogelsberg"}, Example{"hunt-olinda.fh2", "25M", "olinda"},
          Example{"hunt-kassel.fhd", nullptr, "kassel"}}) {
        QFile::remove(ini);
        auto session = NewSession(ini, {});
        HuntMap& map = OpenHunt(*session, kExamples + QString::fromLatin1(example.file), example.zone);
        ok = Views(map, folder, QString::fromLatin1(example.name)) && ok;
        if (QString::fromLatin1(example.name) == QStringLiteral("olinda")) {
            const auto opened = map.OpenMap((kExamples + QStringLiteral("maps/olinda.png")).toStdString());
            if (!opened) {
                std::fprintf(stderr, "%s\n", opened.message().c_str());
            }
            QTest::qWait(500);
            ok = Views(map, folder, QStringLiteral("olinda-map")) && ok;
            map.chkLegend->setChecked(false);
            map.mnuFox[1]->setChecked(false);
            ok = Save(map, folder, QStringLiteral("olinda-map-no-legend-f2-hidden")) && ok;
            map.chkLegend->setChecked(true);
            map.mnuFox[1]->setChecked(true);
        }
        ok = Save(*session->main, folder, QString::fromLatin1(example.name) + QStringLiteral("-main")) && ok;
    }
    {
        // The log beside the hunt (hunt-four-stations.fhl) gives F1 four bearings: its likelihood map, then
        // the view zoomed to its 95 % region.
        QFile::remove(ini);
        auto session = NewSession(ini, {});
        HuntMap& map = OpenHunt(*session, kExamples + QStringLiteral("hunt-four-stations.fh2"), nullptr);
        map.heat->mnuHeat->setChecked(true);
        ok = Views(map, folder, QStringLiteral("four-stations-heat")) && ok;
        if (const auto& layer = map.Scene().heat; layer && !layer->contour95.empty()) {
            std::vector<vantrel::core::PlanePoint> outline;
            for (const auto& [x, y] : layer->contour95.front()) {
                outline.push_back({x, y});
            }
            if (const auto box = vantrel::maps::BoundingBox(outline)) {
                map.canvas->SetView(vantrel::maps::FitView(*box, map.canvas->width(), map.canvas->height(),
                                                           std::max(box->Width(), box->Height())));
            }
            QTest::qWait(600);
            ok = Save(map, folder, QStringLiteral("four-stations-heat-region")) && ok;
        }
    }
    // One window: Vogelsberg first, then Olinda opened after it.
    QFile::remove(ini);
    auto both = NewSession(ini, {});
    OpenHunt(*both, kExamples + QStringLiteral("hunt-vogelsberg.fh2"), nullptr);
    HuntMap& after = OpenHunt(*both, kExamples + QStringLiteral("hunt-olinda.fh2"), "25M");
    after.FitAll();
    ok = Save(after, folder, QStringLiteral("olinda-after-vogelsberg")) && ok;
    if (auto* file = both->main->menuBar()->findChild<QMenu*>(QStringLiteral("MNU_FILE"))) {
        file->popup(both->main->mapToGlobal(QPoint(0, both->main->menuBar()->height())));
        both->main->mnuRecent->popup(file->mapToGlobal(QPoint(file->width(), 20)));
        ok = Save(*both->main->mnuRecent, folder, QStringLiteral("main-open-recent")) && ok;
    }
    return ok ? 0 : 1;
}
