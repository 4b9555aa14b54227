// The programs measured from the outside, as a user meets them:
// - waiting: `vantrel-cli gps` and the desktop program's "Get Pos" on a silent pseudo-terminal for 10 s,
//   then the 5 s after the device went away (socat ended): the CPU time the program used meanwhile;
// - start-up: from starting `vantrel` to its main window being mapped on the X display, median of 10, next
//   to the same for a minimal Qt Widgets program built in this tree (the floor).
// The desktop measurements need an X display (`./dev bench` runs this under Xvfb); without one they are
// reported as not measured.
//
// CPU time is read with clock_getcpuclockid(): the process's own CPU clock, all its threads, to the
// nanosecond (/proc/<pid>/stat counts in ticks of 10 ms, a fifth of the target). The last reading comes
// from the process's resource usage when it ends, so a program that exits on its own is measured too.
#include <signal.h>
#include <sys/wait.h>
#include <time.h>

#include <QApplication>
#include <QFont>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "figures.hpp"
#include "map_watcher.hpp"
#include "persistence/program_state.hpp"
#include "support/background_process.hpp"
#include "temp_dir.hpp"
#include "ui/main_frm.hpp"

namespace vantrel::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing_support::BackgroundProcess;
using testing_support::SocatPair;
using testing_support::TempDir;

constexpr auto kWaiting = 10s;
constexpr auto kAfterDisconnect = 5s;
// A message box is laid out, drawn and mapped in the moment it appears, and its first paint and the window
// system's replies come within this; the program's waiting is measured from then on.
constexpr auto kMessageSettle = 1s;
constexpr double kCpuTarget = 0.05;
constexpr int kStartRuns = 10;
constexpr double kStartTarget = 1.5;
// How long a program may take to open a port or show its window on a busy machine.
constexpr auto kPatience = 60s;
constexpr auto kClickPatience = 10s;
constexpr int kClickAttempts = 3;

const char* const kMainWindowTitle = "Vantrel";
const char* const kFloorWindowTitle = "Qt floor";

std::optional<double> CpuSeconds(pid_t pid) {
    clockid_t clock{};
    timespec now{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &now) != 0) {
        return std::nullopt;
    }
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double Seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

// The environment of a measured program: its settings file and data folder inside the temporary folder,
// so that nothing of the user's is read or changed.
std::map<std::string, std::string> IsolatedEnvironment(const std::filesystem::path& folder) {
    return {{"XDG_CONFIG_HOME", (folder / "config").string()}, {"XDG_DATA_HOME", (folder / "data").string()}};
}

// A settings file whose port 1 (the GPS port of a fresh settings file) is the pseudo-terminal.
void WriteSettings(const std::filesystem::path& folder, const std::string& device) {
    const std::filesystem::path settings = folder / "config" / "Vantrel";
    std::filesystem::create_directories(settings);
    std::ofstream(settings / "Vantrel.ini") << "[Comm]\nGPS-Port=1\n[Ports]\nCOM1=" << device << "\n";
}

struct WaitingCpu {
    std::optional<double> waiting;          // over kWaiting on the silent port
    std::optional<double> afterDisconnect;  // over the kAfterDisconnect after socat ended, or, when the
                                            // program showed a message, from kMessageSettle after it
    std::string afterNote;                  // what the program did when the device went away
    std::optional<double> message;          // the message's own cost: from socat's end to kMessageSettle
                                            // after the message appeared
    std::string failure;                    // why nothing was measured
};

WaitingCpu NotMeasured(std::string why) {
    WaitingCpu result;
    result.failure = std::move(why);
    return result;
}

// Whether the process has ended (it stays unreaped, so its resource usage can still be collected).
bool HasEnded(pid_t pid) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid;
}

// The program has the port open and waits: its CPU time over kWaiting, then socat ends and the device
// disappears, and its CPU time over the next kAfterDisconnect (or until it ends, if sooner). With a
// watcher, a window the program shows meanwhile (its message) is noted.
WaitingCpu MeasureWhileWaiting(BackgroundProcess& program, SocatPair& port, MapWatcher* watcher) {
    WaitingCpu result;
    const auto before = CpuSeconds(program.pid());
    std::this_thread::sleep_for(kWaiting);
    const auto after = CpuSeconds(program.pid());
    if (!before || !after || HasEnded(program.pid())) {
        return NotMeasured("the program ended while it should have waited: " +
                           FirstLine(program.Wait(kPatience).err));
    }
    result.waiting = *after - *before;

    if (watcher != nullptr) {
        watcher->Drain();
    }
    port.Disconnect();
    const auto gone = Clock::now();
    const auto later = [&gone] { return Number(Seconds(Clock::now() - gone) * 1000) + " ms later"; };
    // With a message on the screen, the waiting is counted from kMessageSettle after it appeared.
    double from = *after;
    auto fromTime = gone;
    if (watcher != nullptr) {
        if (const auto shown = watcher->WaitForWindow(program.pid(), std::nullopt, kAfterDisconnect)) {
            result.afterNote = "showed \"" + watcher->Title(*shown) + "\" " + later() + "; ";
            const auto settled = Clock::now() + kMessageSettle;
            std::this_thread::sleep_until(settled);
            if (const auto cpu = CpuSeconds(program.pid()); cpu && !HasEnded(program.pid())) {
                result.message = *cpu - *after;
                from = *cpu;
                fromTime = settled;
            }
        }
    }
    const auto end = gone + kAfterDisconnect;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    const testing_support::ProcessResult ended = program.Wait(std::max(left, std::chrono::milliseconds(0)));
    result.afterDisconnect = program.cpuSeconds() - from;
    if (result.message) {
        result.afterNote += "counted over the last " + Number(Seconds(end - fromTime)) + " s; ";
    }
    result.afterNote += ended.timedOut ? "still running after 5 s"
                                       : "ended " + later() + ": \"" + FirstLine(ended.err) + "\"";
    return result;
}

WaitingCpu MeasureCliGps() {
    const TempDir folder;
    SocatPair port(folder.path().string());
    if (!port.ready()) {
        return NotMeasured("socat made no pseudo-terminals");
    }
    BackgroundProcess cli({VANTREL_CLI, "gps", port.device()}, IsolatedEnvironment(folder.path()));
    if (!cli.WaitUntilItHasOpen(port.device(), kPatience)) {
        return NotMeasured("vantrel-cli gps did not open the port: " + FirstLine(cli.err()));
    }
    return MeasureWhileWaiting(cli, port, nullptr);
}

// Where "Get Pos" of station 1 is in the main window: laid out by the program's own window code on this
// display, with the font the program sets, but never shown.
QPoint GetPosButtonCentre(const std::filesystem::path& folder) {
    QFont font = QApplication::font();
    font.setPointSize(8);  // as the program sets it at start
    QApplication::setFont(font);
    persistence::ProgramState program;
    ui::MainFrm window(program, {folder / "unused.ini", ','});
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    const QPushButton* button = window.cmdGetPos[0];
    return button->mapTo(&window, button->rect().center());
}

bool Click(xcb_window_t window, QPoint at) {
    BackgroundProcess xdotool({"xdotool", "mousemove", "--window", std::to_string(window),
                               std::to_string(at.x()), std::to_string(at.y()), "click", "1"});
    return xdotool.Wait(kPatience).exitCode == 0;
}

WaitingCpu MeasureGetPos(MapWatcher& watcher) {
    const TempDir folder;
    const QPoint button = GetPosButtonCentre(folder.path());
    std::printf("\"Get Pos\" of station 1 is at %d, %d in the main window\n", button.x(), button.y());
    SocatPair port(folder.path().string());
    if (!port.ready()) {
        return NotMeasured("socat made no pseudo-terminals");
    }
    WriteSettings(folder.path(), port.device());
    watcher.Drain();
    BackgroundProcess app({VANTREL_APP}, IsolatedEnvironment(folder.path()));
    const auto window = watcher.WaitForWindow(app.pid(), kMainWindowTitle, kPatience);
    if (!window) {
        return NotMeasured("the main window did not appear: " + FirstLine(app.err()));
    }
    // A click that comes before the window takes input is lost; a second click on a running request does
    // nothing, so clicking again is safe.
    bool opened = false;
    for (int attempt = 0; attempt < kClickAttempts && !opened; ++attempt) {
        opened = Click(*window, button) && app.WaitUntilItHasOpen(port.device(), kClickPatience);
    }
    if (!opened) {
        return NotMeasured("\"Get Pos\" did not open the port");
    }
    return MeasureWhileWaiting(app, port, &watcher);
}

std::string CpuText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f s", seconds);
    return text;
}

void AddWaitingFigures(const std::string& what, const WaitingCpu& cpu, std::vector<Figure>& figures) {
    const std::string target = "< " + Number(kCpuTarget) + " s";
    const std::string waitingName = "Waiting: " + what + ", 10 s on a silent port, CPU";
    const std::string goneName = "Waiting: " + what + ", 5 s after the device went away, CPU";
    if (!cpu.failure.empty()) {
        figures.push_back({waitingName, "not measured: " + cpu.failure, target, {}});
        figures.push_back({goneName, "not measured", target, {}});
        return;
    }
    figures.push_back({waitingName, CpuText(*cpu.waiting), target, *cpu.waiting < kCpuTarget});
    figures.push_back({goneName, CpuText(*cpu.afterDisconnect) + " (" + cpu.afterNote + ")", target,
                       *cpu.afterDisconnect < kCpuTarget});
    if (cpu.message) {
        // Reported only: drawing a message box costs what it costs; the figure above shows whether the
        // program spins while it stands there.
        figures.push_back({"Waiting: " + what + ", the message after the device went away, CPU",
                           CpuText(*cpu.message) + " (from the device's end to 1 s after the message)",
                           "",
                           {}});
    }
}

// Seconds from starting the program to its window being mapped; nullopt when it did not appear.
std::optional<double> TimeToWindow(MapWatcher& watcher, const std::string& program, const std::string& title,
                                   const std::filesystem::path& folder) {
    const auto environment = IsolatedEnvironment(folder);
    watcher.Drain();
    const auto start = Clock::now();
    BackgroundProcess process({program}, environment);
    const auto window = watcher.WaitForWindow(process.pid(), title, kPatience);
    const auto mapped = Clock::now();
    process.Signal(SIGTERM);
    process.Wait(kPatience);
    if (!window) {
        return std::nullopt;
    }
    return Seconds(mapped - start);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string Milliseconds(double seconds) {
    return Number(seconds * 1000) + " ms";
}

// The program and the floor in turn, after one start of each that is not counted (it fills the disk cache
// and creates the program's database in the temporary data folder, as a first start on a new machine
// does).
void AddStartUpFigures(MapWatcher& watcher, std::vector<Figure>& figures) {
    const TempDir folder;
    const std::string name = "Start-up: vantrel / minimal Qt Widgets program, median of 10";
    const std::string target = "<= " + Number(kStartTarget) + "x";
    std::vector<double> program;
    std::vector<double> floor;
    for (int run = -1; run < kStartRuns; ++run) {
        const auto floorSeconds = TimeToWindow(watcher, VANTREL_FLOOR, kFloorWindowTitle, folder.path());
        const auto programSeconds = TimeToWindow(watcher, VANTREL_APP, kMainWindowTitle, folder.path());
        if (!floorSeconds || !programSeconds) {
            figures.push_back({name,
                               std::string("not measured: ") + (floorSeconds ? "vantrel" : "the floor") +
                                   " showed no window",
                               target,
                               {}});
            return;
        }
        std::printf("start-up run %d: floor %s, vantrel %s\n", run, Milliseconds(*floorSeconds).c_str(),
                    Milliseconds(*programSeconds).c_str());
        if (run >= 0) {
            floor.push_back(*floorSeconds);
            program.push_back(*programSeconds);
        }
    }
    const double ratio = Median(program) / Median(floor);
    figures.push_back(
        {name,
         Number(ratio) + "x (" + Milliseconds(Median(program)) + " / " + Milliseconds(Median(floor)) + ")",
         target, ratio <= kStartTarget});
}

}  // namespace
}  // namespace vantrel::bench

int main(int argc, char* argv[]) {
    using namespace vantrel::bench;
    std::vector<Figure> figures;
    std::printf("vantrel-cli gps on a silent port ...\n");
    std::fflush(stdout);
    AddWaitingFigures("vantrel-cli gps", MeasureCliGps(), figures);

    const char* display = std::getenv("DISPLAY");
    MapWatcher watcher;
    if (display == nullptr || *display == '\0' || !watcher.ok()) {
        AddWaitingFigures("vantrel Get Pos", NotMeasured("no X display"), figures);
        figures.push_back({"Start-up: vantrel / minimal Qt Widgets program, median of 10",
                           "not measured: no X display",
                           "<= 1.5x",
                           {}});
    } else {
        QApplication app(argc, argv);
        std::printf("vantrel \"Get Pos\" on a silent port ...\n");
        std::fflush(stdout);
        AddWaitingFigures("vantrel Get Pos", MeasureGetPos(watcher), figures);
        AddStartUpFigures(watcher, figures);
    }
    ReportFigures(figures);
    return 0;
}
