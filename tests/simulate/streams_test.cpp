// What the simulated units send, read back through the program's own readers (the NMEA framer and RMC
// check, the receiver formats, the bearing log reader), gives exactly the simulated positions and
// bearings; the same seed gives the same bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "hunt_log/log_reader.hpp"
#include "instruments/network_df.hpp"
#include "instruments/nmea_reader.hpp"
#include "instruments/rx_formats.hpp"
#include "simulate/hunt_log_output.hpp"
#include "simulate/simulate.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::simulate {
namespace {

// A car driving a rectangle of about 4 by 4.5 km around a fox near Schotten, at 15 m/s: about 19 minutes.
Scenario Drive() {
    Scenario s;
    s.seed = 11;
    s.foxes = {{1, 50.50, 9.25, 144.5e6}, {2, 50.51, 9.24, 145e6}};
    s.waypoints = {
        {50.48, 9.22, {}}, {50.48, 9.28, {}}, {50.52, 9.28, {}}, {50.52, 9.22, {}}, {50.48, 9.22, {}}};
    s.speed = 15;
    s.sigma = 3;
    s.gpsNoise = 4;
    s.gpsDropoutShare = 0.05;
    s.gpsGaps = {{100, 130}};
    s.receiver.rate = 2;
    s.receiver.quality = 7;
    return s;
}

// The comma-separated field `index` of a sentence (0 = the address).
std::string Field(const std::string& sentence, int index) {
    std::size_t begin = 0;
    for (int i = 0; i < index; ++i) {
        begin = sentence.find(',', begin) + 1;
    }
    return sentence.substr(begin, sentence.find_first_of(",*", begin) - begin);
}

double AngleApart(double a, double b) {
    return std::fabs(std::remainder(a - b, 360.0));
}

// The stream's bytes fed to a reader in small chunks, as a serial port hands them over.
template <class Feed>
void InChunks(const SimulatedHunt& hunt, Stream stream, std::size_t chunk, Feed feed) {
    std::string bytes;
    for (const StreamItem& item : hunt.streams) {
        bytes += item.stream == stream ? item.text : "";
    }
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        feed(std::string_view(bytes).substr(at, chunk));
    }
}

struct StreamCase {
    const char* name;
    instruments::RxFormat format;
    bool vehicle;
    bool compass;
};

class ReadBack : public ::testing::TestWithParam<StreamCase> {};

TEST_P(ReadBack, TheRealReadersGiveTheSimulatedPositionsAndBearings) {
    Scenario s = Drive();
    s.receiver.format = GetParam().format;
    s.receiver.vehicle = GetParam().vehicle;
    s.compass = GetParam().compass;
    const SimulatedHunt hunt = Simulate(s);
    ASSERT_GT(hunt.track.size(), 1000u);

    std::vector<std::string> rmc;
    std::vector<std::string> hdt;
    instruments::NmeaFramer framer;
    InChunks(hunt, Stream::Gps, 7, [&](std::string_view bytes) {
        framer.Feed(bytes, [&](std::string_view sentence) {
            (sentence.find("RMC") != std::string_view::npos ? rmc : hdt).emplace_back(sentence);
            return true;
        });
    });
    ASSERT_EQ(rmc.size(), hunt.track.size());
    EXPECT_EQ(hdt.size(), s.compass ? hunt.track.size() : 0u);
    std::size_t dropped = 0;
    for (std::size_t i = 0; i < rmc.size(); ++i) {
        const TrackPoint& p = hunt.track[i];
        if (!p.gpsFix) {
            ++dropped;
            EXPECT_TRUE(instruments::IsRmcWithoutFix(rmc[i])) << rmc[i];
            continue;
        }
        const auto fix = instruments::ParseRmc(rmc[i]);
        ASSERT_TRUE(fix) << rmc[i];
        EXPECT_NEAR(fix->latitude, p.gpsLat, 1e-7) << rmc[i];
        EXPECT_NEAR(fix->longitude, p.gpsLon, 1e-7) << rmc[i];
        EXPECT_NEAR(std::stod(Field(rmc[i], 7)), p.speed * 3600 / 1852, 0.05) << rmc[i];
        EXPECT_LE(AngleApart(std::stod(Field(rmc[i], 8)), p.course), 0.05) << rmc[i];
        if (s.compass) {
            EXPECT_LE(AngleApart(std::stod(Field(hdt[i], 1)), p.course), 0.05) << hdt[i];
        }
    }
    // 30 s of gap and about 5 % of the other 1,100 or so seconds.
    EXPECT_GE(dropped, 30u + 30u);
    EXPECT_LE(dropped, 30u + 90u);

    std::vector<instruments::RxLineReading> lines;
    instruments::RxReader reader(s.receiver.format, '.');
    InChunks(hunt, Stream::Receiver, 5, [&](std::string_view bytes) {
        reader.Feed(bytes, [&](std::string_view, const instruments::RxLineReading& read) {
            lines.push_back(read);
            return true;
        });
    });
    ASSERT_EQ(lines.size(), hunt.bearings.size());
    ASSERT_NEAR(static_cast<double>(lines.size()), 2.0 * static_cast<double>(hunt.track.size()), 2);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const SimulatedBearing& b = hunt.bearings[i];
        ASSERT_TRUE(lines[i].bearing) << i;
        EXPECT_EQ(*lines[i].bearing, s.receiver.vehicle ? *b.relative : b.bearing) << i;
        EXPECT_EQ(lines[i].quality, 7);
        if (s.receiver.vehicle) {
            // The heading is the car's at that moment, as the GPS sends it: the course of the second
            // before, or (right after a corner) of the second after.
            const auto second = static_cast<std::size_t>((b.time - hunt.start) / 1000);
            const double course = hunt.track[second].course;
            const double next = hunt.track[std::min(second + 1, hunt.track.size() - 1)].course;
            EXPECT_LE(std::min(AngleApart(*b.heading, course), AngleApart(*b.heading, next)), 0.051) << i;
            EXPECT_LE(AngleApart(b.bearing, *b.heading + *b.relative), 1e-9) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, ReadBack,
    ::testing::Values(StreamCase{"AgreloVehicleWithCompass", instruments::RxFormat::Agrelo, true, true},
                      StreamCase{"Kn5rVehicleByCourse", instruments::RxFormat::Kn5r, true, false},
                      StreamCase{"AgreloTrue", instruments::RxFormat::Agrelo, false, false},
                      StreamCase{"Kn5rTrueWithCompass", instruments::RxFormat::Kn5r, false, true}),
    testing_support::ParamName{});

struct NetworkCase {
    const char* name;
    bool heading;
    bool schedule;
};

class NetworkReadBack : public ::testing::TestWithParam<NetworkCase> {};

TEST_P(NetworkReadBack, EachFileReadsBackToTheChannelsBearings) {
    Scenario s = Drive();
    s.network = ScenarioNetwork{{2, 1}, 0.5, "roof", GetParam().heading};
    if (GetParam().schedule) {
        // Two slots of 60 s from the start, 2 s guard at either end: fox 1 is heard at seconds 2..58 of
        // each 120 s cycle, fox 2 at 62..118, nobody in between.
        instruments::FoxSchedule schedule;
        schedule.start = 14 * 3600 * instruments::kSecond;
        schedule.slots = 2;
        schedule.foxes = {1, 2};
        s.schedule = schedule;
    }
    const SimulatedHunt hunt = Simulate(s);
    std::vector<const SimulatedBearing*> sent;
    for (const SimulatedBearing& b : hunt.bearings) {  // the receiver's and the network's
        if (b.source == BearingSource::Network) {
            sent.push_back(&b);
        }
        if (GetParam().schedule) {
            const double second = std::fmod(static_cast<double>(b.time - hunt.start) / 1000, 120);
            EXPECT_TRUE(b.fox == 1 ? second >= 2 && second <= 58 : second >= 62 && second <= 118)
                << "fox " << b.fox << " heard at " << second;
        }
    }
    std::size_t next = 0;
    std::size_t files = 0;
    std::size_t offAir = 0;
    for (const StreamItem& item : hunt.streams) {
        if (item.stream != Stream::NetworkDf) {
            continue;
        }
        ++files;
        const instruments::DfText text = instruments::ParseDfText(item.text);
        ASSERT_EQ(text.skipped, 0u) << text.problems.front();
        for (const instruments::DfChannel& channel : text.channels) {
            ASSERT_EQ(channel.timeMs, item.time);
            if (channel.confidence < 0.5) {  // an off-air channel: noise, no bearing
                ++offAir;
                EXPECT_EQ(channel.powerDb, -110);
                continue;
            }
            ASSERT_LT(next, sent.size());
            const SimulatedBearing& b = *sent[next++];
            EXPECT_EQ(channel.timeMs, b.time);
            EXPECT_EQ(channel.frequencyHz, b.fox == 1 ? 144.5e6 : 145e6);
            EXPECT_EQ(channel.stationId, "roof");
            EXPECT_EQ(channel.bearing, GetParam().heading ? *b.relative : b.bearing);
            EXPECT_EQ(channel.heading, b.heading);
            EXPECT_NEAR(std::sqrt(-2 * std::log(channel.confidence)) * 180 / std::numbers::pi, 3, 0.01);
            ASSERT_EQ(channel.lat.has_value(), b.gpsLat.has_value());
            if (b.gpsLat) {
                EXPECT_NEAR(*channel.lat, *b.gpsLat, 0.6e-7);
                EXPECT_NEAR(*channel.lon, *b.gpsLon, 0.6e-7);
            }
            ASSERT_EQ(channel.spectrum.size(), 360u);
            const auto peak = std::max_element(channel.spectrum.begin(), channel.spectrum.end());
            EXPECT_LE(AngleApart(static_cast<double>(peak - channel.spectrum.begin()), channel.bearing), 0.5);
        }
    }
    EXPECT_EQ(next, sent.size());
    EXPECT_NEAR(static_cast<double>(files), 2.0 * static_cast<double>(hunt.track.size()), 2);
    if (GetParam().schedule) {
        // Each fox is heard 57 s of 120 s (the guard times included in the off-air time).
        EXPECT_NEAR(static_cast<double>(sent.size()) / static_cast<double>(2 * files), 57.0 / 120, 0.01);
        EXPECT_EQ(sent.size() + offAir, 2 * files);
    } else {
        EXPECT_EQ(offAir, 0u);
        EXPECT_EQ(sent.size(), 2 * files);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, NetworkReadBack,
                         ::testing::Values(NetworkCase{"ArrayHeadingBothOnAir", true, false},
                                           NetworkCase{"NorthTakingTurns", false, true}),
                         testing_support::ParamName{});

TEST(SimulatedHunt, SameSeedSameBytesOtherSeedOtherBytes) {
    Scenario s = Drive();
    s.compass = true;
    s.reflectionShare = 0.1;
    s.reflectors = {{50.49, 9.3}};
    const auto bytes = [](const SimulatedHunt& hunt, const Scenario& scenario) {
        std::string all = HuntLogText(MakeHuntLog(hunt, scenario));
        for (const StreamItem& item : hunt.streams) {
            all +=
                std::to_string(item.time) + " " + std::to_string(static_cast<int>(item.stream)) + item.text;
        }
        return all;
    };
    const std::string first = bytes(Simulate(s), s);
    EXPECT_EQ(bytes(Simulate(s), s), first);
    s.seed = 12;
    EXPECT_NE(bytes(Simulate(s), s), first);
}

TEST(SimulatedHunt, ReflectionsPointAtTheReflector) {
    // A reflector 90 degrees or more off the fox as seen from the route; a third of the bearings reflected.
    Scenario s = Drive();
    s.reflectionShare = 1.0 / 3;
    s.reflectors = {{50.50, 9.40}};
    s.receiver.vehicle = false;
    s.receiver.format = instruments::RxFormat::Kn5r;
    const SimulatedHunt hunt = Simulate(s);
    const auto direction = [&](const SimulatedBearing& b, double lat, double lon) {
        // A short-range true bearing on the sphere is enough to tell 90 degrees apart.
        const double dx = (lon - b.lon) * std::cos(b.lat * std::numbers::pi / 180);
        return std::fmod(std::atan2(dx, lat - b.lat) * 180 / std::numbers::pi + 360, 360);
    };
    std::size_t reflected = 0;
    for (const SimulatedBearing& b : hunt.bearings) {
        const double toFox = direction(b, 50.50, 9.25);
        const double toReflector = direction(b, 50.50, 9.40);
        reflected += b.reflected ? 1 : 0;
        EXPECT_LT(AngleApart(b.bearing, b.reflected ? toReflector : toFox), 15) << b.time;
    }
    const double n = static_cast<double>(hunt.bearings.size());
    EXPECT_NEAR(static_cast<double>(reflected) / n, 1.0 / 3, 5 * std::sqrt(2.0 / 9 / n));
}

TEST(SimulatedHunt, ItsLogReadsBackWithTheTruthAndTheBearingsTheGpsPlaced) {
    const Scenario s = Drive();
    const SimulatedHunt hunt = Simulate(s);
    const testing_support::TempDir dir;
    ASSERT_TRUE(WriteHuntLog(dir / "sim.fhl", hunt, s));
    const auto read = hunt_log::ReadLog(dir / "sim.fhl");
    ASSERT_TRUE(read) << read.message();
    EXPECT_TRUE(read->report.Warnings(dir / "sim.fhl").empty());
    EXPECT_EQ(read->log.truth, hunt.truth);
    EXPECT_EQ(read->log.header.zone, (geodesy::UtmZone{32, 'U'}));
    std::vector<const SimulatedBearing*> placed;
    for (const SimulatedBearing& b : hunt.bearings) {
        if (b.gpsLat) {
            placed.push_back(&b);
        }
    }
    ASSERT_LT(placed.size(), hunt.bearings.size());  // the drop-outs left some out
    std::size_t bearings = 0;
    std::size_t positions = 0;
    hunt_log::TimeMs last = 0;
    for (const hunt_log::Event& event : read->log.events) {
        ASSERT_GE(hunt_log::TimeOf(event), last);
        last = hunt_log::TimeOf(event);
        if (const auto* e = std::get_if<hunt_log::BearingEvent>(&event)) {
            const SimulatedBearing& b = *placed.at(bearings++);
            EXPECT_EQ(e->time, b.time);
            EXPECT_EQ(e->bearing, b.bearing);
            EXPECT_EQ(e->reference, hunt_log::Reference::True);
            EXPECT_EQ(e->sigma, 3);
            EXPECT_NEAR(e->lat, *b.gpsLat, 1e-9);
            EXPECT_EQ(read->log.Label(e->source), "agrelo");
        } else {
            ++positions;
        }
    }
    EXPECT_EQ(bearings, placed.size());
    EXPECT_EQ(positions,
              static_cast<std::size_t>(std::count_if(hunt.track.begin(), hunt.track.end(),
                                                     [](const TrackPoint& p) { return p.gpsFix; })));
}

}  // namespace
}  // namespace vantrel::simulate
