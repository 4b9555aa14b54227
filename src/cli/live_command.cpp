// vantrel-cli live: the headless logger of a hunt on the move (a car computer without a screen). Sources
// feed one live::LiveSession; what it hands out is appended to the bearing log and each logged bearing is
// printed as "time fox station bearing sigma" (TAB-separated), each problem as one line on stderr.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTime>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "cli/instrument_input.hpp"
#include "cli/live_sources.hpp"
#include "core/number_text.hpp"
#include "hunt_log/log_writer.hpp"
#include "live/live_session.hpp"
#include "persistence/instrument_settings.hpp"
#include "persistence/live_settings.hpp"
#include "persistence/quality_settings.hpp"
#include "persistence/settings.hpp"
#include "platform/gps_position_request.hpp"
#include "platform/locations.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis =
    "live [--gps DEVICE|gpsd://HOST:PORT|-] [--rx DEVICE|- --format FORMAT] [--network URL] [--vehicle] "
    "[--fox N] "
    "[--zone ZONE] [--seconds N] --log FILE.fhl";
// How often the session is told the time: intervals close and the fox schedule is looked at.
constexpr int kTickMs = 100;

// Milliseconds on a steady clock: the arrival clock of every source.
hunt_log::TimeMs SteadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Milliseconds since 1970 UTC on the wall clock: the time a new log's header says it was made.
hunt_log::TimeMs WallNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Degrees to a thousandth for reading: a mean plus a heading ends in binary noise (46.89999999999998);
// the log keeps the full value.
std::string DegreesText(double degrees) {
    return core::ShortestText(std::round(degrees * 1000) / 1000);
}

std::string BearingLine(const hunt_log::NewBearing& b) {
    return hunt_log::UtcText(b.time) + "\t" + std::to_string(b.fox) + "\t" + b.station + "\t" +
           DegreesText(b.bearing) + "\t" + (std::isnan(b.sigma) ? "-" : DegreesText(b.sigma));
}

// The log, opened at once when it exists or its zone is given, else at the first event (in the standard
// zone of its position).
class LiveLog {
  public:
    LiveLog(std::filesystem::path path, std::optional<geodesy::UtmZone> zone)
        : path_(std::move(path)), zone_(zone) {}

    core::Outcome OpenIfKnown() {
        if (!zone_ && !std::filesystem::exists(path_)) {
            return core::Outcome::Ok();
        }
        return Open(std::nullopt);
    }
    core::Outcome Append(const live::LiveOutput& out) {
        for (const hunt_log::PositionEvent& p : out.positions) {
            if (core::Outcome o = Open(geodesy::GeoPosition{p.lat, p.lon}); !o) {
                return o;
            }
            if (core::Outcome o = writer_->AppendPosition(p); !o) {
                return o;
            }
        }
        for (const hunt_log::NewBearing& b : out.bearings) {
            if (core::Outcome o = Open(geodesy::GeoPosition{b.lat, b.lon}); !o) {
                return o;
            }
            if (const auto id = writer_->AppendBearing(b); !id) {
                return id.outcome();
            }
            PrintLineNow(BearingLine(b));
        }
        return core::Outcome::Ok();
    }

  private:
    // A new log's header carries the wall clock of its making, never an event's steady-clock time.
    core::Outcome Open(const std::optional<geodesy::GeoPosition>& first) {
        if (writer_) {
            return core::Outcome::Ok();
        }
        const auto zone = hunt_log::ZoneOfNewLog(std::nullopt, zone_, first);
        auto writer =
            hunt_log::LogWriter::Open(path_, zone ? std::optional(*zone) : std::nullopt, WallNowMs());
        if (!writer) {
            return writer.outcome();
        }
        writer_.emplace(std::move(*writer));
        return core::Outcome::Ok();
    }

    std::filesystem::path path_;
    std::optional<geodesy::UtmZone> zone_;
    std::optional<hunt_log::LogWriter> writer_;
};

// The fox on the air: the [Schedule] when it is on, else the one given.
class FoxChoice {
  public:
    FoxChoice(int fox, std::optional<instruments::FoxSchedule> schedule, instruments::Nanoseconds offset)
        : fox_(fox), schedule_(std::move(schedule)), offset_(offset) {}
    [[nodiscard]] bool Scheduled() const { return schedule_.has_value(); }
    [[nodiscard]] int Now() const {
        if (!schedule_) {
            return fox_;
        }
        const auto timeOfDay =
            static_cast<instruments::Nanoseconds>(QTime::currentTime().msecsSinceStartOfDay());
        return instruments::FoxOnAir(*schedule_, timeOfDay * 1'000'000 + offset_);
    }

  private:
    int fox_;
    std::optional<instruments::FoxSchedule> schedule_;
    instruments::Nanoseconds offset_;
};

struct LiveArguments {
    std::optional<std::string> gps, rx;
    std::optional<instruments::FeedAddress> gpsd, network;
    instruments::RxFormat format = instruments::RxFormat::Agrelo;
    int rxBaud = 0;
    std::optional<double> seconds;
    std::filesystem::path log;
    std::optional<geodesy::UtmZone> zone;
    int fox = 1;
};

// Reads the options over the settings file; nullopt after a usage error.
std::optional<LiveArguments> ReadArguments(const Context& context, const persistence::ReceiverSettings& rx) {
    LiveArguments a;
    const auto log = context.args.Option("log");
    if (!log || log->empty()) {
        UsageError("live needs --log FILE.fhl: " + std::string(kSynopsis));
        return std::nullopt;
    }
    a.log = *log;
    a.gps = context.args.Option("gps");
    a.rx = context.args.Option("rx");
    if (a.gps && a.gps->rfind("gpsd:", 0) == 0) {
        const auto address = instruments::ParseGpsdAddress(*a.gps);
        if (!address) {
            UsageError("--gps: " + address.message());
            return std::nullopt;
        }
        a.gpsd = *address;
    }
    if (const auto url = context.args.Option("network")) {
        const auto address = instruments::ParseNetworkDfAddress(*url);
        if (!address) {
            UsageError("--network: " + address.message());
            return std::nullopt;
        }
        a.network = *address;
    }
    if (!a.gps && !a.rx && !a.network) {
        UsageError("live needs --gps or --rx (or both), or --network: " + std::string(kSynopsis));
        return std::nullopt;
    }
    if (a.gps == "-" && a.rx == "-") {
        UsageError("--gps and --rx cannot both read standard input");
        return std::nullopt;
    }
    a.format = rx.format == instruments::RxFormat::Fixed ? instruments::RxFormat::Agrelo : rx.format;
    if (const auto name = context.args.Option("format")) {
        const auto format = instruments::ParseRxFormat(*name);
        if (!format) {
            UsageError("--format: \"" + *name + "\" is not a receiver format (" +
                       instruments::RxFormatNames(", ") + ")");
            return std::nullopt;
        }
        a.format = *format;
    }
    a.rxBaud = a.format == rx.format ? rx.baudRate : instruments::DefaultBaudRate(a.format);
    if (context.args.Option("seconds")) {
        const auto seconds = core::ReadRegional(*context.args.Option("seconds"), context.decimalSeparator);
        if (!seconds || !(*seconds > 0) || *seconds > 1e7) {
            UsageError("--seconds: \"" + *context.args.Option("seconds") + "\" is not a number of seconds");
            return std::nullopt;
        }
        a.seconds = seconds;
    }
    if (const auto text = context.args.Option("zone")) {
        a.zone = geodesy::ParseUtmZone(*text);
        if (!a.zone) {
            UsageError("--zone is not a UTM zone (32U): \"" + *text + "\"");
            return std::nullopt;
        }
    }
    if (const auto text = context.args.Option("fox")) {
        if (text->size() != 1 || (*text)[0] < '1' || (*text)[0] > '5') {
            UsageError("--fox: \"" + *text + "\" is not a fox 1..5");
            return std::nullopt;
        }
        a.fox = (*text)[0] - '0';
    }
    return a;
}

std::unique_ptr<LiveSource> ByteSource(const std::string& argument, int baud, ByteStream stream) {
    if (argument == "-") {
        return std::make_unique<StdinLiveSource>(stream);
    }
    Context deviceContext;
    deviceContext.args.positional = {argument};
    return std::make_unique<SerialLiveSource>(*DeviceArgument(deviceContext), baud, stream);
}

// The sources the arguments name. A new kind of source is one more branch here.
std::vector<std::unique_ptr<LiveSource>> MakeLiveSources(const LiveArguments& a) {
    std::vector<std::unique_ptr<LiveSource>> sources;
    if (a.gpsd) {
        sources.push_back(std::make_unique<GpsdLiveSource>(*a.gpsd));
    } else if (a.gps) {
        sources.push_back(ByteSource(*a.gps, platform::GpsPositionRequest::kBaudRate, ByteStream::Gps));
    }
    if (a.network) {
        const int pollMs = persistence::ReadLiveSettings(platform::SettingsFilePath()).settings.pollMs;
        sources.push_back(std::make_unique<NetworkLiveSource>(*a.network, pollMs));
    }
    if (a.rx) {
        sources.push_back(ByteSource(*a.rx, a.rxBaud, ByteStream::Receiver));
    }
    return sources;
}

live::LiveOptions SessionOptions(const Context& context, const LiveArguments& a,
                                 const persistence::ReceiverSettings& rx) {
    const auto iniPath = platform::SettingsFilePath();
    const persistence::LiveSettingsRead liveRead = persistence::ReadLiveSettings(iniPath);
    const persistence::QualitySettingsRead quality = persistence::ReadQualitySettings(iniPath);
    for (const std::string& problem : liveRead.problems) {
        PrintWarning(problem);
    }
    live::LiveOptions o;
    o.format = a.format;
    o.decimalSeparator = context.decimalSeparator;
    o.receiverVehicle = context.args.Option("vehicle").has_value() || liveRead.settings.receiverVehicle;
    o.networkVehicle = liveRead.settings.networkVehicle;
    o.interval.intervalMs = static_cast<hunt_log::TimeMs>(std::llround(rx.intervalSeconds * 1000));
    o.interval.sigmaFloor = quality.settings.bearingSigmaFloor;
    o.interval.sigmaWithoutSpread = quality.settings.bearingSigma;
    o.heading.minSpeed = liveRead.settings.minSpeed;
    o.foxes = liveRead.settings.foxFrequencies;
    o.frequencyToleranceHz = liveRead.settings.frequencyToleranceHz;
    return o;
}

}  // namespace

int RunLive(const Context& context) {
    if (!ExpectPositionals(context, 0, 0, kSynopsis)) {
        return kExitUsage;
    }
    const auto ini = persistence::ReadSettingsFile(platform::SettingsFilePath());
    const auto rxRead = persistence::ReceiverSettingsFromIni(ini ? *ini : persistence::IniFile{});
    const persistence::ReceiverSettings rx = rxRead ? *rxRead : persistence::ReceiverSettings{};
    const auto args = ReadArguments(context, rx);
    if (!args) {
        return kExitUsage;
    }
    const persistence::ScheduleSettings typed =
        persistence::ScheduleSettingsFromIni(ini ? *ini : persistence::IniFile{});
    std::optional<instruments::FoxSchedule> schedule;
    if (typed.on) {
        const auto read = persistence::ScheduleFromSettings(typed);
        if (!read) {
            return Fail("[Schedule] " + read.message());
        }
        schedule = *read;
    }
    const FoxChoice foxes(args->fox, schedule, persistence::ClockOffset(typed.clockOffset).value_or(0));

    live::LiveSession session(SessionOptions(context, *args, rx));
    LiveLog log(args->log, args->zone);
    if (const core::Outcome opened = log.OpenIfKnown(); !opened) {
        return FailWith(opened);
    }
    QEventLoop loop;
    int exitCode = kExitOk;
    bool logFailed = false;  // nothing more is appended after a failed append
    std::size_t running = 0;
    const auto take = [&](const live::LiveOutput& out) {
        if (logFailed) {
            return;
        }
        for (const std::string& problem : out.problems) {
            PrintWarning(problem);
        }
        if (const core::Outcome written = log.Append(out); !written) {
            logFailed = true;
            if (exitCode == kExitOk) {
                exitCode = Fail(written.message());
            }
            loop.quit();
        }
    };
    LiveSink sink;
    sink.gpsBytes = [&](std::string_view bytes) { take(session.OnGpsBytes(bytes, SteadyNowMs())); };
    sink.gpsFix = [&](const instruments::GpsSample& fix) { take(session.OnGps(fix, SteadyNowMs())); };
    sink.receiverBytes = [&](std::string_view bytes) { take(session.OnReceiverBytes(bytes, SteadyNowMs())); };
    sink.networkBody = [&](std::string_view body) { take(session.OnNetworkBody(body, SteadyNowMs())); };
    sink.problem = [](const std::string& problem) { PrintWarning(problem); };
    sink.ended = [&](const std::string& failure) {
        if (!failure.empty() && exitCode == kExitOk) {
            exitCode = Fail(failure);
        }
        if (--running == 0 || !failure.empty()) {
            loop.quit();
        }
    };
    std::vector<std::unique_ptr<LiveSource>> sources = MakeLiveSources(*args);
    for (const auto& source : sources) {
        if (const core::Outcome started = source->Start(sink); !started) {
            return FailWith(started);
        }
        ++running;
    }
    take(session.SetFoxOnAir(foxes.Now(), SteadyNowMs(), foxes.Scheduled()));
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const hunt_log::TimeMs now = SteadyNowMs();
        take(session.SetFoxOnAir(foxes.Now(), now, foxes.Scheduled()));
        take(session.Tick(now));
    });
    tick.start(kTickMs);
    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (args->seconds) {
        end.start(std::chrono::milliseconds(std::llround(*args->seconds * 1000)));
    }
    const TerminationWatch termination([&loop](int) { loop.quit(); });
    loop.exec();
    // What the sources delivered before the end still counts: the open interval is logged.
    take(session.Finish(SteadyNowMs()));
    // What was and was not logged, once at the end: a run that logged nothing says why on stderr.
    PrintWarning("live ended: " + session.CountsText());
    return exitCode;
}

}  // namespace vantrel::cli
