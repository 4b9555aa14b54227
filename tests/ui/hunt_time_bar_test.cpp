// The Hunt Map's time bar with a simulated drive round a fox: a replay edit lands in the file and changes
// the fix from its time on; a log appended to by another writer (a torn line finished later included) is
// followed; the training view hides the fox until asked.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <sstream>

#include "file_bytes.hpp"
#include "hunt_log/log_reader.hpp"
#include "persistence/settings.hpp"
#include "simulate/hunt_log_output.hpp"
#include "simulate/simulate.hpp"
#include "temp_dir.hpp"
#include "ui/hunt_map.hpp"
#include "ui/hunt_map_heat.hpp"
#include "ui/hunt_time_bar.hpp"
#include "ui/main_frm.hpp"

using vantrel::testing_support::TempDir;
using vantrel::testing_support::WriteBytes;

namespace vantrel::ui {

class HuntTimeBarTest : public QObject {
    Q_OBJECT

    struct Fixture {
        TempDir dir;
        persistence::ProgramState program;
        std::unique_ptr<MainFrm> window;
        HuntMap* map = nullptr;
        std::vector<std::string> lines;  // the simulated log, line by line (header and truth first)

        Fixture() {
            WriteBytes(dir / "Vantrel.ini", "");
            program.settings = persistence::GetIniData(dir / "Vantrel.ini");
            window = std::make_unique<MainFrm>(program, MainFrmEnvironment{dir / "Vantrel.ini", '.'});
            window->show();
            window->mnuHuntMap->trigger();
            map = window->huntMapWindow.Get();
            const auto scenario = simulate::ReadScenario(R"({
                "seed": 5, "foxes": [{"fox": 1, "lat": 50.5, "lon": 9.25}],
                "route": {"name": "Car", "speed": 15, "waypoints": [{"lat": 50.49, "lon": 9.23},
                          {"lat": 50.49, "lon": 9.27}, {"lat": 50.51, "lon": 9.27}]},
                "bearings": {"sigma": 4}, "receiver": {"format": "agrelo", "rate": 1, "fox": 1}})");
            std::istringstream text(
                simulate::HuntLogText(simulate::MakeHuntLog(simulate::Simulate(*scenario), *scenario)));
            for (std::string line; std::getline(text, line);) {
                lines.push_back(line + "\n");
            }
        }
        void Append(const std::string& bytes) const {
            std::ofstream out(dir / "drive.fhl", std::ios::binary | std::ios::app);
            out << bytes;
        }
        [[nodiscard]] bool Settled() const {
            return map->timeBar->Settled() && map->timeBar->Layer().has_value();
        }
    };

    static std::size_t Bearings(const hunt_log::HuntState& state) {
        std::size_t n = 0;
        for (const auto& fox : state.foxes) {
            n += fox.size();
        }
        return n;
    }

  private Q_SLOTS:
    void EditDuringReplayLandsInTheFileAndCountsFromItsTime() {
        Fixture f;
        for (const std::string& line : f.lines) {
            f.Append(line);
        }
        HuntTimeBar& bar = *f.map->timeBar;
        QCOMPARE(bar.mnuPlay->shortcut(), QKeySequence(Qt::Key_Space));
        QCOMPARE(bar.mnuNextBearing->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Right));
        QVERIFY(bar.Replay(f.dir / "drive.fhl"));
        QTRY_VERIFY(f.Settled());
        const hunt_picture::HuntSpan span = *bar.Span();
        bar.SetTime(span.first + 120'000);
        bar.StepBearing(true);
        QTRY_VERIFY(f.Settled());
        const hunt_log::FoxBearing current = bar.State().Fox(1).back();
        QVERIFY(current.time == bar.Time());
        QVERIFY(!current.ignored);
        QVERIFY(bar.EditCurrentBearing(true, "reflection"));
        // In the file: an edit of that bearing, appended after everything else.
        const auto read = hunt_log::ReadLog(f.dir / "drive.fhl");
        QVERIFY(read);
        const auto* edit = std::get_if<hunt_log::EditEvent>(&read->log.events.back());
        QVERIFY(edit != nullptr && edit->id == current.id && edit->ignore == std::optional(true));
        // At the moment shown (before the edit was made) the bearing still counts; at the end it does not,
        // and the fix is the one of the log without it.
        QTRY_VERIFY(f.Settled());
        QVERIFY(!bar.State().Fox(1).back().ignored);
        bar.SetTime(span.last);
        QTRY_VERIFY(f.Settled() && bar.Time() == span.last);
        const hunt_log::HuntState whole = hunt_log::StateAt(read->log, std::nullopt, f.map->Zone());
        const fox_fix::FoxFix expected = fox_fix::FixOfFox(whole, 1, locate::Options{});
        const fox_fix::FoxFix& shown = bar.Fixes()[0];
        QVERIFY(std::find(shown.ids.begin(), shown.ids.end(), current.id) == shown.ids.end());
        QCOMPARE(shown.ids.size(), expected.ids.size());
        QVERIFY(shown.outcome && shown.outcome->fix && expected.outcome && expected.outcome->fix);
        QCOMPARE(shown.outcome->fix->x, expected.outcome->fix->x);
        QCOMPARE(shown.outcome->fix->y, expected.outcome->fix->y);
        QVERIFY(f.map->Scene().huntAtTime.has_value());
    }

    void LiveModeFollowsAnotherWriterThroughATornLine() {
        Fixture f;
        const std::size_t head = 60;  // header, truth and the first events
        for (std::size_t i = 0; i < head; ++i) {
            f.Append(f.lines[i]);
        }
        HuntTimeBar& bar = *f.map->timeBar;
        QVERIFY(bar.Follow(f.dir / "drive.fhl"));
        QTRY_VERIFY(f.Settled());
        const std::size_t before = Bearings(bar.State());
        QVERIFY(before > 0);
        // Forty more lines and half of the next one: the half is not read until it is finished.
        std::string more;
        for (std::size_t i = head; i < head + 40; ++i) {
            more += f.lines[i];
        }
        const std::string& torn = f.lines[head + 40];
        f.Append(more + torn.substr(0, torn.size() / 2));
        const auto complete = hunt_log::ReadLog(f.dir / "drive.fhl");
        QVERIFY(complete && complete->report.tornLastLine);
        const std::size_t expected = Bearings(hunt_log::StateAt(complete->log));
        QVERIFY(expected > before);
        QTRY_COMPARE_WITH_TIMEOUT(Bearings(bar.State()), expected, 5000);  // the timer reads it
        f.Append(torn.substr(torn.size() / 2));
        const auto finished = hunt_log::ReadLog(f.dir / "drive.fhl");
        QTRY_COMPARE_WITH_TIMEOUT(Bearings(bar.State()), Bearings(hunt_log::StateAt(finished->log)), 5000);
        QTRY_COMPARE(bar.Time(), hunt_log::TimeOf(finished->log.events.back()));  // the hunt's clock
        QVERIFY(bar.lblLive->text().contains(QStringLiteral("bearings/min")));
        QVERIFY(bar.lblLive->text().contains(QStringLiteral(" ago)")));  // ages to the wall clock too
    }

    void TrainingHidesTheFoxUntilAsked() {
        Fixture f;
        for (const std::string& line : f.lines) {
            f.Append(line);
        }
        HuntTimeBar& bar = *f.map->timeBar;
        QVERIFY(bar.Replay(f.dir / "drive.fhl"));
        bar.SetTime(bar.Span()->last);
        QTRY_VERIFY(f.Settled() && bar.Time() == bar.Span()->last);
        QVERIFY(bar.cmdShowFox->isVisibleTo(&bar));
        QVERIFY(bar.Layer()->truth.empty());
        QVERIFY(!bar.lblLive->text().contains(QStringLiteral("from the fox")));
        QTest::mouseClick(bar.cmdShowFox, Qt::LeftButton);
        QTRY_VERIFY(f.Settled() && !bar.Layer()->truth.empty());
        const hunt_picture::TruthMark& truth = bar.Layer()->truth.front();
        QVERIFY(truth.fixDistance.has_value());
        QVERIFY(*truth.fixDistance < 300);  // a drive round the fox with 4 degree bearings
        QVERIFY(bar.lblLive->text().contains(
            QStringLiteral("F1 fix %1 m from the fox").arg(std::lround(*truth.fixDistance))));
        QVERIFY(bar.mnuShowFox->isChecked());
        // The hunt itself has no bearings: the likelihood map of F1 comes from the replayed ones.
        QVERIFY(f.map->Scene().heat == nullptr);
        f.map->heat->mnuHeat->trigger();
        QTRY_VERIFY(f.map->Scene().heat != nullptr);
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::HuntTimeBarTest)
#include "hunt_time_bar_test.moc"
