#include "simulate/scenario.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <set>

#include "core/number_text.hpp"
#include "persistence/file_access.hpp"
#include "persistence/path_text.hpp"

namespace vantrel::simulate {
namespace {

using Json = nlohmann::json;

std::string Shown(double value) {
    return core::ShortestText(value);
}

// The fields of one JSON object, read by name, each read marked; whatever is left unread at the end is an
// unknown field. The first problem is kept (with the field's path) and every later read fails at once.
class ObjectReader {
  public:
    ObjectReader(const Json& json, std::string path, std::string& problem)
        : json_(json), path_(std::move(path)), problem_(problem) {
        if (problem_.empty() && !json_.is_object()) {
            problem_ = (path_.empty() ? std::string("the scenario") : path_) + " is not a JSON object";
        }
    }

    [[nodiscard]] bool Ok() const { return problem_.empty(); }
    [[nodiscard]] std::string PathOf(std::string_view key) const {
        return path_.empty() ? std::string(key) : path_ + "." + std::string(key);
    }

    const Json* Find(const char* key, bool required) {
        if (!Ok()) {
            return nullptr;
        }
        read_.insert(key);
        const auto it = json_.find(key);
        if (it == json_.end()) {
            if (required) {
                Fail(PathOf(key) + " is missing");
            }
            return nullptr;
        }
        return &*it;
    }

    // A number in [low, high] (above low when lowOpen).
    void Number(const char* key, double low, double high, bool lowOpen, double& out, bool required = false) {
        const Json* value = Find(key, required);
        if (value != nullptr) {
            ReadNumber(*value, PathOf(key), low, high, lowOpen, out, problem_);
        }
    }

    void Whole(const char* key, double low, double high, int& out, bool required = false) {
        double value = out;
        Number(key, low, high, false, value, required);
        if (Ok() && value != std::floor(value)) {
            Fail(PathOf(key) + " is " + Shown(value) + "; it must be a whole number");
        }
        out = static_cast<int>(value);
    }

    void Text(const char* key, std::string& out, bool required = false) {
        const Json* value = Find(key, required);
        if (value == nullptr) {
            return;
        }
        if (!value->is_string()) {
            Fail(PathOf(key) + " is not a text");
            return;
        }
        out = value->get<std::string>();
    }

    void Flag(const char* key, bool& out) {
        const Json* value = Find(key, false);
        if (value == nullptr) {
            return;
        }
        if (!value->is_boolean()) {
            Fail(PathOf(key) + " is neither true nor false");
            return;
        }
        out = value->get<bool>();
    }

    const Json* Array(const char* key, bool required = false) {
        const Json* value = Find(key, required);
        if (value != nullptr && !value->is_array()) {
            Fail(PathOf(key) + " is not a list ([...])");
            return nullptr;
        }
        return value;
    }

    // Fails on the first field that nobody read.
    void Finish() {
        if (!Ok()) {
            return;
        }
        for (const auto& [key, value] : json_.items()) {
            if (read_.count(key) == 0) {
                Fail(PathOf(key) + " is no field of a scenario");
                return;
            }
        }
    }

    void Fail(std::string problem) {
        if (problem_.empty()) {
            problem_ = std::move(problem);
        }
    }

    static void ReadNumber(const Json& value, const std::string& path, double low, double high, bool lowOpen,
                           double& out, std::string& problem) {
        if (!problem.empty()) {
            return;
        }
        if (!value.is_number()) {
            problem = path + " is not a number";
            return;
        }
        const double number = value.get<double>();
        if (!std::isfinite(number) || number < low || number > high || (lowOpen && number == low)) {
            problem = path + " is " + Shown(number) + "; it must lie in " + (lowOpen ? "(" : "") +
                      Shown(low) + ".." + Shown(high) + (lowOpen ? ")" : "");
            return;
        }
        out = number;
    }

  private:
    const Json& json_;
    std::string path_;
    std::string& problem_;
    std::set<std::string, std::less<>> read_;
};

std::string Indexed(const std::string& path, std::size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

void ReadPlace(ObjectReader& in, double& lat, double& lon) {
    in.Number("lat", -80, 84, false, lat, true);
    in.Number("lon", -180, 180, false, lon, true);
}

void ReadFoxes(ObjectReader& top, Scenario& s, std::string& problem) {
    const Json* foxes = top.Array("foxes", true);
    if (foxes == nullptr) {
        return;
    }
    if (foxes->empty()) {
        top.Fail("foxes is empty; a scenario needs at least one fox");
    }
    for (std::size_t i = 0; i < foxes->size() && problem.empty(); ++i) {
        ObjectReader in((*foxes)[i], Indexed("foxes", i), problem);
        FoxSpec fox;
        fox.fox = static_cast<int>(i) + 1;
        in.Whole("fox", 1, hunt_log::kFoxCount, fox.fox);
        ReadPlace(in, fox.lat, fox.lon);
        in.Number("frequency", 0, 1e12, true, fox.frequencyHz);
        in.Finish();
        if (in.Ok() && s.Fox(fox.fox) != nullptr) {
            in.Fail(in.PathOf("fox") + " is " + std::to_string(fox.fox) +
                    ", which an earlier fox has already");
        }
        s.foxes.push_back(fox);
    }
}

void ReadSchedule(ObjectReader& top, Scenario& s, std::string& problem) {
    const Json* json = top.Find("schedule", false);
    if (json == nullptr) {
        return;
    }
    ObjectReader in(*json, "schedule", problem);
    instruments::FoxSchedule schedule;
    std::string start = "00:00:00";
    std::string order;
    double slot = 60;
    double guard = 2;
    double onTime = 0;
    in.Text("start", start);
    in.Number("slot", 0, 86400, true, slot);
    in.Whole("slots", 1, instruments::kMaxSlots, schedule.slots);
    in.Text("order", order);
    in.Number("onTime", 0, 86400, true, onTime);
    in.Number("guard", 0, 86400, false, guard);
    const bool hasOnTime = in.Find("onTime", false) != nullptr;
    in.Finish();
    if (!in.Ok()) {
        return;
    }
    const auto startTime = instruments::ParseClockTime(start);
    const auto foxes = order.empty() ? instruments::DefaultFoxOrder(schedule.slots)
                                     : instruments::ParseFoxOrder(order).value_or(std::vector<int>{});
    if (!startTime) {
        return in.Fail("schedule.start is \"" + start + "\"; it must be a time of day HH:MM:SS");
    }
    if (foxes.empty()) {
        return in.Fail("schedule.order is \"" + order + "\"; it must be like F1,F2,-,F4");
    }
    const auto ns = [](double seconds) { return std::llround(seconds * 1e9); };
    schedule.start = startTime->ns;
    schedule.slot = ns(slot);
    schedule.foxes = foxes;
    schedule.guard = ns(guard);
    if (hasOnTime) {
        schedule.onTime = ns(onTime);
    }
    if (const auto wrong = instruments::CheckSchedule(schedule)) {
        return in.Fail("the schedule cannot run: " + wrong->message);
    }
    s.schedule = schedule;
}

void ReadWaypoints(const Json& list, Scenario& s, std::string& problem) {
    for (std::size_t i = 0; i < list.size() && problem.empty(); ++i) {
        ObjectReader in(list[i], Indexed("route.waypoints", i), problem);
        Waypoint point;
        ReadPlace(in, point.lat, point.lon);
        if (in.Find("speed", false) != nullptr) {
            double speed = 0;
            in.Number("speed", 0, 1000, true, speed);
            point.speed = speed;
        }
        in.Finish();
        s.waypoints.push_back(point);
    }
    if (problem.empty() && s.waypoints.size() < 2) {
        problem =
            "route.waypoints has " + std::to_string(s.waypoints.size()) + "; a route needs at least two";
    }
}

void ReadStations(const Json& list, Scenario& s, std::string& problem) {
    for (std::size_t i = 0; i < list.size() && problem.empty(); ++i) {
        ObjectReader in(list[i], Indexed("route.stations", i), problem);
        StationSpec station;
        station.name = "Station " + std::to_string(i + 1);
        in.Text("name", station.name);
        ReadPlace(in, station.lat, station.lon);
        in.Whole("bearings", 1, 100000, station.bearings);
        in.Number("every", 0, 86400, true, station.everySeconds);
        in.Finish();
        s.stations.push_back(station);
    }
    if (problem.empty() && s.stations.empty()) {
        problem = "route.stations is empty; give at least one station";
    }
}

void ReadRoute(ObjectReader& top, Scenario& s, std::string& problem) {
    const Json* json = top.Find("route", true);
    if (json == nullptr) {
        return;
    }
    ObjectReader in(*json, "route", problem);
    in.Text("name", s.carName);
    in.Number("speed", 0, 1000, true, s.speed);
    in.Text("gpx", s.gpx);
    const Json* waypoints = in.Array("waypoints");
    const Json* stations = in.Array("stations");
    in.Finish();
    if (!in.Ok()) {
        return;
    }
    const int given = (waypoints != nullptr) + (stations != nullptr) + !s.gpx.empty();
    if (given != 1) {
        return in.Fail("route must have exactly one of waypoints, gpx and stations");
    }
    if (waypoints != nullptr) {
        ReadWaypoints(*waypoints, s, problem);
    } else if (stations != nullptr) {
        ReadStations(*stations, s, problem);
    }
}

void ReadBearings(ObjectReader& top, Scenario& s, std::string& problem) {
    const Json* json = top.Find("bearings", false);
    if (json == nullptr) {
        return;
    }
    ObjectReader in(*json, "bearings", problem);
    in.Number("sigma", 0, 90, true, s.sigma);
    in.Number("reflections", 0, 1, false, s.reflectionShare);
    if (const Json* list = in.Array("reflectors")) {
        for (std::size_t i = 0; i < list->size() && problem.empty(); ++i) {
            ObjectReader point((*list)[i], Indexed("bearings.reflectors", i), problem);
            PlacePoint place;
            ReadPlace(point, place.lat, place.lon);
            point.Finish();
            s.reflectors.push_back(place);
        }
    }
    in.Finish();
    if (in.Ok() && s.reflectionShare > 0 && s.reflectors.empty()) {
        in.Fail("bearings.reflections is " + Shown(s.reflectionShare) + " but bearings.reflectors is empty");
    }
}

void ReadGps(ObjectReader& top, Scenario& s, std::string& problem) {
    const Json* json = top.Find("gps", false);
    if (json == nullptr) {
        return;
    }
    ObjectReader in(*json, "gps", problem);
    in.Number("noise", 0, 10000, false, s.gpsNoise);
    in.Number("dropouts", 0, 0.999, false, s.gpsDropoutShare);
    in.Flag("compass", s.compass);
    if (const Json* gaps = in.Array("gaps")) {
        for (std::size_t i = 0; i < gaps->size() && problem.empty(); ++i) {
            const Json& gap = (*gaps)[i];
            const std::string path = Indexed("gps.gaps", i);
            if (!gap.is_array() || gap.size() != 2) {
                in.Fail(path + " is not a pair [from, to] of seconds");
                break;
            }
            std::pair<double, double> range;
            ObjectReader::ReadNumber(gap[0], path + "[0]", 0, 1e7, false, range.first, problem);
            ObjectReader::ReadNumber(gap[1], path + "[1]", range.first, 1e7, true, range.second, problem);
            s.gpsGaps.push_back(range);
        }
    }
    in.Finish();
}

void ReadReceiver(ObjectReader& top, Scenario& s, std::string& problem) {
    const Json* json = top.Find("receiver", false);
    if (json == nullptr) {
        return;
    }
    ObjectReader in(*json, "receiver", problem);
    std::string format = "agrelo";
    in.Text("format", format);
    in.Number("rate", 0, 50, true, s.receiver.rate);
    in.Flag("vehicle", s.receiver.vehicle);
    in.Whole("fox", 1, hunt_log::kFoxCount, s.receiver.fox);
    in.Whole("quality", 0, 9, s.receiver.quality);
    in.Finish();
    if (!in.Ok()) {
        return;
    }
    const auto parsed = instruments::ParseRxFormat(format);
    if (!parsed || (*parsed != instruments::RxFormat::Agrelo && *parsed != instruments::RxFormat::Kn5r)) {
        return in.Fail("receiver.format is \"" + format + "\"; it must be agrelo or kn5r");
    }
    s.receiver.format = *parsed;
}

void ReadNetwork(ObjectReader& top, Scenario& s, std::string& problem) {
    const Json* json = top.Find("network", false);
    if (json == nullptr) {
        return;
    }
    ObjectReader in(*json, "network", problem);
    NetworkSpec network;
    if (const Json* channels = in.Array("channels", true)) {
        for (std::size_t i = 0; i < channels->size() && problem.empty(); ++i) {
            double fox = 0;
            ObjectReader::ReadNumber((*channels)[i], Indexed("network.channels", i), 1, hunt_log::kFoxCount,
                                     false, fox, problem);
            network.channels.push_back(static_cast<int>(fox));
        }
    }
    in.Number("period", 0.05, 3600, false, network.period);
    in.Text("station", network.station);
    in.Flag("heading", network.heading);
    in.Finish();
    s.network = network;
}

// What no single field shows: foxes named elsewhere must exist, a channel's fox needs a frequency.
void CheckAcrossFields(Scenario& s, std::string& problem) {
    if (!problem.empty()) {
        return;
    }
    if (s.Driven() && s.Fox(s.receiver.fox) == nullptr) {
        problem = "receiver.fox is " + std::to_string(s.receiver.fox) + ", which is no fox of the scenario";
        return;
    }
    if (!s.network) {
        return;
    }
    if (!s.Driven()) {
        problem = "network needs a car route (waypoints or gpx), not fixed stations";
        return;
    }
    for (std::size_t i = 0; i < s.network->channels.size(); ++i) {
        const FoxSpec* fox = s.Fox(s.network->channels[i]);
        const std::string path = Indexed("network.channels", i);
        if (fox == nullptr) {
            problem = path + " is fox " + std::to_string(s.network->channels[i]) +
                      ", which is no fox of the scenario";
            return;
        }
        if (fox->frequencyHz <= 0) {
            problem = path + " is fox " + std::to_string(fox->fox) + ", which has no frequency";
            return;
        }
    }
}

}  // namespace

const FoxSpec* Scenario::Fox(int fox) const {
    const auto it =
        std::find_if(foxes.begin(), foxes.end(), [fox](const FoxSpec& f) { return f.fox == fox; });
    return it == foxes.end() ? nullptr : &*it;
}

core::Result<Scenario> ReadScenario(std::string_view json) {
    const Json document = Json::parse(json.begin(), json.end(), nullptr, false);
    if (document.is_discarded()) {
        return core::Result<Scenario>::Fail("the scenario is not valid JSON");
    }
    Scenario s;
    std::string problem;
    ObjectReader top(document, "", problem);
    double seed = 1;
    top.Number("seed", 0, 9007199254740992.0, false, seed);
    if (top.Ok() && seed != std::floor(seed)) {
        top.Fail("seed is " + Shown(seed) + "; it must be a whole number");
    }
    s.seed = static_cast<std::uint64_t>(seed);
    std::string start;
    top.Text("start", start);
    if (top.Ok() && !start.empty()) {
        const auto time = hunt_log::ParseUtcText(start);
        if (!time) {
            top.Fail("start is \"" + start + "\"; it must be a UTC time like 2026-12-08T14:00:00Z");
        }
        s.start = time.value_or(s.start);
    }
    ReadFoxes(top, s, problem);
    ReadSchedule(top, s, problem);
    ReadRoute(top, s, problem);
    ReadBearings(top, s, problem);
    ReadGps(top, s, problem);
    ReadReceiver(top, s, problem);
    ReadNetwork(top, s, problem);
    top.Finish();
    CheckAcrossFields(s, problem);
    if (!problem.empty()) {
        return core::Result<Scenario>::Fail(problem);
    }
    return s;
}

core::Result<Scenario> ReadScenarioFile(const std::filesystem::path& path) {
    const std::string name = "\"" + persistence::DisplayPath(path) + "\"";
    const auto text = persistence::ReadWholeFile(path, 1 << 20, "a scenario");
    if (!text) {
        return text.outcome();
    }
    auto scenario = ReadScenario(*text);
    if (!scenario) {
        return core::Result<Scenario>::Fail("the scenario " + name + " is wrong: " + scenario.message());
    }
    if (scenario->gpx.empty()) {
        return scenario;
    }
    const std::filesystem::path gpxPath = path.parent_path() / persistence::PathFromUtf8(scenario->gpx);
    const auto gpx = persistence::ReadWholeFile(gpxPath, 64 << 20, "a GPX track");
    if (!gpx) {
        return gpx.outcome();
    }
    auto waypoints = ReadGpxWaypoints(*gpx);
    if (!waypoints) {
        return core::Result<Scenario>::Fail("the GPX track \"" + persistence::DisplayPath(gpxPath) +
                                            "\" of the scenario " + name +
                                            " is no route: " + waypoints.message());
    }
    scenario->waypoints = std::move(*waypoints);
    return scenario;
}

}  // namespace vantrel::simulate
