// Reading scenarios: every field of a full one lands where it belongs, and anything wrong is refused with
// the field's path in the message.
#include <gtest/gtest.h>

#include <string>

#include "file_bytes.hpp"
#include "simulate/scenario.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::simulate {
namespace {

constexpr const char* kFull = R"({
  "seed": 42, "start": "2026-12-08T15:30:00Z",
  "foxes": [{"fox": 3, "lat": 50.5, "lon": 9.25, "frequency": 144500000}, {"lat": 50.4, "lon": 9.1}],
  "schedule": {"start": "15:30:00", "slot": 60, "slots": 2, "order": "F3,F2", "onTime": 50, "guard": 1},
  "route": {"name": "Van", "speed": 12, "waypoints": [{"lat": 50.45, "lon": 9.2}, {"lat": 50.46, "lon": 9.3, "speed": 5}]},
  "bearings": {"sigma": 4, "reflections": 0.25, "reflectors": [{"lat": 50.47, "lon": 9.31}]},
  "gps": {"noise": 3, "dropouts": 0.1, "gaps": [[10, 20]], "compass": true},
  "receiver": {"format": "kn5r", "rate": 4, "vehicle": false, "fox": 3, "quality": 6},
  "network": {"channels": [3], "period": 1, "station": "roof", "heading": false}
})";

TEST(Scenario, EveryFieldIsRead) {
    const auto s = ReadScenario(kFull);
    ASSERT_TRUE(s) << s.message();
    EXPECT_EQ(s->seed, 42u);
    EXPECT_EQ(s->start, 1796743800000);  // 15:30 UTC on 2026-12-08
    ASSERT_EQ(s->foxes.size(), 2u);
    EXPECT_EQ(s->foxes[0].fox, 3);
    EXPECT_EQ(s->foxes[0].frequencyHz, 144500000);
    EXPECT_EQ(s->foxes[1].fox, 2);  // its place in the list, as it names none
    ASSERT_TRUE(s->schedule);
    EXPECT_EQ(s->schedule->start, 15.5 * 3600 * instruments::kSecond);
    EXPECT_EQ(s->schedule->foxes, (std::vector<int>{3, 2}));
    EXPECT_EQ(s->schedule->onTime, 50 * instruments::kSecond);
    EXPECT_EQ(s->schedule->guard, instruments::kSecond);
    EXPECT_EQ(s->carName, "Van");
    EXPECT_EQ(s->speed, 12);
    ASSERT_EQ(s->waypoints.size(), 2u);
    EXPECT_EQ(s->waypoints[1].speed, 5);
    EXPECT_FALSE(s->waypoints[0].speed);
    EXPECT_EQ(s->sigma, 4);
    EXPECT_EQ(s->reflectionShare, 0.25);
    EXPECT_EQ(s->reflectors.size(), 1u);
    EXPECT_EQ(s->gpsNoise, 3);
    EXPECT_EQ(s->gpsDropoutShare, 0.1);
    EXPECT_EQ(s->gpsGaps, (std::vector<std::pair<double, double>>{{10, 20}}));
    EXPECT_TRUE(s->compass);
    EXPECT_EQ(s->receiver.format, instruments::RxFormat::Kn5r);
    EXPECT_EQ(s->receiver.rate, 4);
    EXPECT_FALSE(s->receiver.vehicle);
    EXPECT_EQ(s->receiver.fox, 3);
    EXPECT_EQ(s->receiver.quality, 6);
    ASSERT_TRUE(s->network);
    EXPECT_EQ(s->network->channels, std::vector<int>{3});
    EXPECT_EQ(s->network->period, 1);
    EXPECT_EQ(s->network->station, "roof");
    EXPECT_FALSE(s->network->heading);
}

struct BadScenario {
    const char* name;
    std::string json;
    const char* message;  // a part of the message
};

std::string With(const std::string& field) {
    return R"({"foxes": [{"lat": 50.5, "lon": 9.25, "frequency": 1e8}],
               "route": {"waypoints": [{"lat": 50.4, "lon": 9.2}, {"lat": 50.41, "lon": 9.2}]})" +
           field + "}";
}

class RefusedScenario : public ::testing::TestWithParam<BadScenario> {};

TEST_P(RefusedScenario, NamesTheField) {
    const auto s = ReadScenario(GetParam().json);
    ASSERT_FALSE(s);
    EXPECT_NE(s.message().find(GetParam().message), std::string::npos) << s.message();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Scenarios, RefusedScenario,
    ::testing::Values(
        BadScenario{"NotJson", "{\"foxes\": [", "not valid JSON"},
        BadScenario{"NoFoxes", R"({"route": {"waypoints": []}})", "foxes is missing"},
        BadScenario{"SixFoxes", R"({"foxes": [{}, {}, {}, {}, {}, {}], "route": {}})", "foxes has 6; a scenario has one"},
        BadScenario{"ReflectorWithoutLat", With(R"(, "bearings": {"reflectors": [{}, {"lat": 95, "lon": 1}]})"), "bearings.reflectors[0].lat is missing"},
        BadScenario{"WaypointLat", R"({"foxes": [{"lat": 1, "lon": 1}], "route": {"waypoints": [{"lat": 1, "lon": 1}, {"lat": 95, "lon": 1}]}})", "route.waypoints[1].lat is 95; it must lie in -80..84"},
        BadScenario{"OneWaypoint", R"({"foxes": [{"lat": 1, "lon": 1}], "route": {"waypoints": [{"lat": 1, "lon": 1}]}})", "at least two"},
        BadScenario{"TwoRoutes", R"({"foxes": [{"lat": 1, "lon": 1}], "route": {"gpx": "a.gpx", "stations": []}})", "exactly one of waypoints, gpx and stations"},
        BadScenario{"Typo", With(R"(, "gps": {"noice": 3})"), "gps.noice is no field"},
        BadScenario{"SigmaZero", With(R"(, "bearings": {"sigma": 0})"),
                    "bearings.sigma is 0; it must lie in (0..90)"},
        BadScenario{"ReflectionsWithoutReflector", With(R"(, "bearings": {"reflections": 0.2})"), "bearings.reflectors is empty"},
        BadScenario{"Format", With(R"(, "receiver": {"format": "fixed"})"), "receiver.format is \"fixed\""},
        BadScenario{"ReceiverFox", With(R"(, "receiver": {"fox": 3})"), "receiver.fox is 3, which is no fox"},
        BadScenario{"Gap", With(R"(, "gps": {"gaps": [[10, 5]]})"), "gps.gaps[0][1] is 5"},
        BadScenario{"DoubleFox", R"({"foxes": [{"lat": 1, "lon": 1}, {"fox": 1, "lat": 2, "lon": 2}], "route": {}})", "foxes[1].fox is 1, which an earlier fox has already"},
        BadScenario{"Schedule", With(R"(, "schedule": {"slot": 4, "guard": 2})"), "the schedule cannot run"},
        BadScenario{"ChannelWithoutFrequency",
                    R"({"foxes": [{"lat": 1, "lon": 1}], "network": {"channels": [1]},
                        "route": {"waypoints": [{"lat": 1, "lon": 1}, {"lat": 2, "lon": 1}]}})",
                    "network.channels[0] is fox 1, which has no frequency"},
        BadScenario{"Start", With(R"(, "start": "noon")"), "start is \"noon\""}),
    testing_support::ParamName{});
// clang-format on

TEST(GpxRoute, TrackPointsBecomeWaypoints) {
    const auto points =
        ReadGpxWaypoints(R"(<gpx><trk><trkseg><trkpt lat="50.5" lon='9.25'><ele>300</ele></trkpt>)"
                         R"(<trkpt lon="9.3" lat="50.51"/></trkseg></trk></gpx>)");
    ASSERT_TRUE(points) << points.message();
    ASSERT_EQ(points->size(), 2u);
    EXPECT_EQ((*points)[1].lat, 50.51);
    EXPECT_EQ((*points)[1].lon, 9.3);
    EXPECT_NE(
        ReadGpxWaypoints(R"(<trkpt lat="x" lon="1"/><trkpt lat="1" lon="1"/>)").message().find("trkpt 1"),
        std::string::npos);
    EXPECT_FALSE(ReadGpxWaypoints(R"(<rtept lat="1" lon="1"/>)"));

    // A scenario names its GPX file relative to its own folder.
    const testing_support::TempDir dir;
    std::filesystem::create_directory(dir / "tracks");
    testing_support::WriteBytes(dir / "tracks" / "a.gpx",
                                R"(<rtept lat="50.5" lon="9.2"/><rtept lat="50.6" lon="9.2"/>)");
    testing_support::WriteBytes(
        dir / "s.json", R"({"foxes": [{"lat": 50.5, "lon": 9.25}], "route": {"gpx": "tracks/a.gpx"}})");
    const auto s = ReadScenarioFile(dir / "s.json");
    ASSERT_TRUE(s) << s.message();
    ASSERT_EQ(s->waypoints.size(), 2u);
    EXPECT_EQ(s->waypoints[1].lat, 50.6);
}

}  // namespace
}  // namespace vantrel::simulate
