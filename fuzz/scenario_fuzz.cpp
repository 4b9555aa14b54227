// Simulation scenarios: any text read as a scenario; one that is accepted and small enough is simulated,
// and what comes out must hold together: streams and bearings in time order, bearings in [0, 360), every
// receiver line one the receiver reads back.
//
// Input: the scenario's JSON text.

#include <string>

#include "fuzz_support.hpp"
#include "instruments/rx_formats.hpp"
#include "simulate/route.hpp"
#include "simulate/scenario.hpp"
#include "simulate/simulate.hpp"

using vantrel::fuzzing::Check;
using namespace vantrel::simulate;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto scenario = ReadScenario(text);
    if (!scenario) {
        Check(!scenario.message().empty(), "a refusal says why");
        return 0;
    }
    // Hunts of more than ten minutes (or a thousand station bearings) are left to the tests: each run of
    // the fuzzer must stay short.
    std::size_t stationBearings = 0;
    for (const ScenarioStation& station : scenario->stations) {
        stationBearings += static_cast<std::size_t>(station.bearings) * scenario->foxes.size();
    }
    if (!CheckSimulationSize(*scenario) || !scenario->gpx.empty() || stationBearings > 1000 ||
        (scenario->Driven() &&
         Route(ZoneOf(*scenario), scenario->waypoints, scenario->speed).Seconds() > 600)) {
        return 0;
    }
    const SimulatedHunt hunt = Simulate(*scenario);
    for (std::size_t i = 1; i < hunt.streams.size(); ++i) {
        Check(hunt.streams[i - 1].time <= hunt.streams[i].time, "streams in time order");
    }
    for (std::size_t i = 0; i < hunt.bearings.size(); ++i) {
        Check(hunt.bearings[i].bearing >= 0 && hunt.bearings[i].bearing < 360, "a bearing in [0, 360)");
        Check(i == 0 || hunt.bearings[i - 1].time <= hunt.bearings[i].time, "bearings in time order");
    }
    vantrel::instruments::RxReader reader(scenario->receiver.format, '.');
    for (const StreamItem& item : hunt.streams) {
        if (item.stream == Stream::Receiver) {
            reader.Feed(item.text,
                        [&](std::string_view line, const vantrel::instruments::RxLineReading& read) {
                            Check(read.bearing.has_value(), "a receiver line reads back", std::string(line));
                            return true;
                        });
        }
    }
    return 0;
}
