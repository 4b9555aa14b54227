// simulate SCENARIO.json: a made-up hunt. --log writes it as a bearing log with the true foxes; --nmea,
// --rx and --network-dir send what the GPS, the receiver and the network DF server would have sent, as
// fast as possible or (--real-time) at the pace they would have sent it.

#include <QFile>
#include <QString>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "cli/cli.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/path_text.hpp"
#include "simulate/hunt_log_output.hpp"
#include "simulate/simulate.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis =
    "simulate SCENARIO.json [--log OUT.fhl] [--nmea DEVICE|-] [--rx DEVICE|-] [--network-dir DIR] "
    "[--real-time] [--seed N]";

// The file name a network DF server serves its latest bearings under.
constexpr const char* kNetworkFileName = "DOA_value.html";

// Where one stream goes: standard output ("-"), or a device or file opened for writing, unbuffered so
// each piece leaves when it is sent.
struct Sink {
    std::string name;
    std::unique_ptr<QFile> file;
};

core::Result<Sink> OpenSink(const std::string& name) {
    Sink sink{name == "-" ? "standard output" : "\"" + name + "\"", std::make_unique<QFile>()};
    bool opened = false;
    if (name == "-") {
        opened = sink.file->open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    } else {
        sink.file->setFileName(QString::fromStdString(name));
        opened = sink.file->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    if (!opened) {
        return core::Result<Sink>::Fail("could not open " + sink.name +
                                        " for writing: " + sink.file->errorString().toStdString());
    }
    return sink;
}

core::Outcome Send(Sink& sink, const std::string& text) {
    const auto size = static_cast<qint64>(text.size());
    if (sink.file->write(text.data(), size) != size || !sink.file->flush()) {
        return core::Outcome::Fail("could not write to " + sink.name + ": " +
                                   sink.file->errorString().toStdString());
    }
    return core::Outcome::Ok();
}

struct Outputs {
    std::optional<std::string> log;
    std::optional<Sink> nmea;
    std::optional<Sink> rx;
    std::optional<std::filesystem::path> networkFile;
    bool realTime = false;
};

// Sends every stream item to its output in time order, waiting for its moment at real rate.
int SendStreams(const simulate::SimulatedHunt& hunt, Outputs& out) {
    const auto begin = std::chrono::steady_clock::now();
    for (const simulate::StreamItem& item : hunt.streams) {
        if (out.realTime) {
            std::this_thread::sleep_until(begin + std::chrono::milliseconds(item.time - hunt.start));
        }
        core::Outcome sent = core::Outcome::Ok();
        if (item.stream == simulate::Stream::Gps && out.nmea) {
            sent = Send(*out.nmea, item.text);
        } else if (item.stream == simulate::Stream::Receiver && out.rx) {
            sent = Send(*out.rx, item.text);
        } else if (item.stream == simulate::Stream::NetworkDf && out.networkFile) {
            sent = persistence::WriteFileAtomically(*out.networkFile, item.text);
        }
        if (!sent) {
            return Fail(sent.message());
        }
    }
    return kExitOk;
}

// The outputs asked for, checked against the scenario before anything is written.
std::optional<int> CheckOutputs(const Context& context, const simulate::Scenario& scenario,
                                const std::string& scenarioName) {
    const auto& args = context.args;
    const bool streams = args.Option("nmea") || args.Option("rx") || args.Option("network-dir");
    if (!args.Option("log") && !streams) {
        return UsageError("simulate needs an output: --log, --nmea, --rx or --network-dir");
    }
    if (args.Option("nmea") == std::optional<std::string>("-") && args.Option("rx") == args.Option("nmea")) {
        return UsageError("--nmea and --rx cannot both go to standard output");
    }
    if (streams && !scenario.Driven()) {
        return Fail("the scenario \"" + scenarioName +
                    "\" has fixed stations, which send no streams: only --log makes a hunt of it");
    }
    if (args.Option("network-dir") && !scenario.network) {
        return Fail("the scenario \"" + scenarioName + "\" has no network DF (its \"network\" field)");
    }
    if (const auto log = args.Option("log")) {
        std::error_code ec;
        if (std::filesystem::exists(persistence::PathFromUtf8(*log), ec)) {
            return Fail("\"" + *log +
                        "\" exists; a bearing log is never overwritten: remove it or give another name");
        }
    }
    if (const auto dir = args.Option("network-dir")) {
        std::error_code ec;
        if (!std::filesystem::is_directory(persistence::PathFromUtf8(*dir), ec)) {
            return Fail("the network folder \"" + *dir + "\" is not a folder");
        }
    }
    return std::nullopt;
}

}  // namespace

int RunSimulate(const Context& context) {
    if (!ExpectPositionals(context, 1, 1, kSynopsis)) {
        return kExitUsage;
    }
    const std::string& scenarioName = context.args.positional[0];
    auto scenario = simulate::ReadScenarioFile(persistence::PathFromUtf8(scenarioName));
    if (!scenario) {
        return Fail(scenario.message());
    }
    if (const auto seedText = context.args.Option("seed")) {
        std::uint64_t seed = 0;
        const auto [end, error] =
            std::from_chars(seedText->data(), seedText->data() + seedText->size(), seed);
        if (error != std::errc() || end != seedText->data() + seedText->size()) {
            return UsageError("--seed must be a whole number from 0, not \"" + *seedText + "\"");
        }
        scenario->seed = seed;
    }
    if (const auto problem = CheckOutputs(context, *scenario, scenarioName)) {
        return *problem;
    }
    const simulate::SimulatedHunt hunt = simulate::Simulate(*scenario);
    if (const auto log = context.args.Option("log")) {
        if (const core::Outcome written =
                simulate::WriteHuntLog(persistence::PathFromUtf8(*log), hunt, *scenario);
            !written) {
            return Fail(written.message());
        }
    }
    Outputs out;
    out.realTime = context.args.Option("real-time").has_value();
    for (const auto& [option, sink] : {std::pair{"nmea", &out.nmea}, std::pair{"rx", &out.rx}}) {
        if (const auto name = context.args.Option(option)) {
            auto opened = OpenSink(*name);
            if (!opened) {
                return Fail(opened.message());
            }
            sink->emplace(std::move(*opened));
        }
    }
    if (const auto dir = context.args.Option("network-dir")) {
        out.networkFile = persistence::PathFromUtf8(*dir) / kNetworkFileName;
    }
    return SendStreams(hunt, out);
}

}  // namespace vantrel::cli
