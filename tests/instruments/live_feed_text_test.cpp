// What the live feeds read as plain text: the addresses the user types, gpsd's TPV reports and their
// times, gpsd's line framing, and the growing pause between attempts. Epoch values from `date -u`.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "instruments/feed_address.hpp"
#include "instruments/gpsd_report.hpp"
#include "instruments/retry_pause.hpp"
#include "test_names.hpp"

namespace vantrel::instruments {
namespace {

using testing_support::ParamName;

struct AddressCase {
    const char* name;
    friend void PrintTo(const AddressCase& c, std::ostream* os) { *os << c.name; }
    bool gpsd;  // else the network direction finder
    const char* text;
    const char* host;  // nullptr: refused, and the message holds `problem`
    int port;
    const char* path;
    const char* problem;
};

class FeedAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(FeedAddressTest, ReadsOrNamesTheFault) {
    const AddressCase& c = GetParam();
    const auto address = c.gpsd ? ParseGpsdAddress(c.text) : ParseNetworkDfAddress(c.text);
    if (c.host == nullptr) {
        ASSERT_FALSE(address.ok());
        EXPECT_NE(address.message().find(c.text), std::string::npos) << address.message();
        EXPECT_NE(address.message().find(c.problem), std::string::npos) << address.message();
        return;
    }
    ASSERT_TRUE(address.ok()) << address.message();
    EXPECT_EQ(address->host, c.host);
    EXPECT_EQ(address->port, c.port);
    EXPECT_EQ(address->path, c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, FeedAddressTest,
    testing::Values(AddressCase{"GpsdDefaults", true, "gpsd://", "127.0.0.1", 2947, "", ""},
                    AddressCase{"GpsdHostPortSlash", true, "GPSD://10.0.0.2:3000/", "10.0.0.2", 3000, "", ""},
                    AddressCase{"GpsdIpv6", true, "gpsd://[::1]:2948", "::1", 2948, "", ""},
                    AddressCase{"GpsdWrongScheme", true, "http://127.0.0.1:2947", nullptr, 0, "", "gpsd://"},
                    AddressCase{"GpsdPortZero", true, "gpsd://127.0.0.1:0", nullptr, 0, "", "port"},
                    AddressCase{"GpsdPortNotNumber", true, "gpsd://127.0.0.1:29x7", nullptr, 0, "", "port"},
                    AddressCase{"GpsdPath", true, "gpsd://127.0.0.1:2947/tpv", nullptr, 0, "", "path"},
                    AddressCase{"GpsdUnclosedIpv6", true, "gpsd://[::1:2947", nullptr, 0, "", "']'"},
                    AddressCase{"DfDefaults", false, "http://192.168.1.20", "192.168.1.20", 8081,
                                "/DOA_value.html", ""},
                    AddressCase{"DfOwnPath", false, "http://127.0.0.1:9000/df/doa.txt?x=1", "127.0.0.1", 9000,
                                "/df/doa.txt?x=1", ""},
                    AddressCase{"DfHttps", false, "https://127.0.0.1/", nullptr, 0, "", "http://"},
                    AddressCase{"DfNoHost", false, "http://:8081/DOA_value.html", nullptr, 0, "", "no host"},
                    AddressCase{"DfUserInfo", false, "http://user@host/", nullptr, 0, "", "host"},
                    AddressCase{"DfSpaceInPath", false, "http://host/a b", nullptr, 0, "", "path"}),
    ParamName{});

TEST(FeedAddressText, NamesHostAndPortAndTheWholeUrl) {
    EXPECT_EQ(HostAndPort(*ParseGpsdAddress("gpsd://")), "127.0.0.1:2947");
    EXPECT_EQ(HostAndPort(*ParseGpsdAddress("gpsd://[::1]")), "[::1]:2947");
    EXPECT_EQ(NetworkDfUrl(*ParseNetworkDfAddress("http://10.0.0.5")), "http://10.0.0.5:8081/DOA_value.html");
}

struct TimeCase {
    const char* name;
    friend void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.name; }
    const char* text;
    std::optional<std::int64_t> ms;
};

class IsoTimeTest : public testing::TestWithParam<TimeCase> {};

TEST_P(IsoTimeTest, ReadsUtcMilliseconds) {
    EXPECT_EQ(ParseIsoTimeMs(GetParam().text), GetParam().ms);
}

INSTANTIATE_TEST_SUITE_P(Times, IsoTimeTest,
                         testing::Values(TimeCase{"Epoch", "1970-01-01T00:00:00Z", 0},
                                         TimeCase{"LeapDay", "2024-02-29T12:00:00.5Z", 1709208000500},
                                         TimeCase{"GpsdMillis", "2026-11-22T09:53:05.802Z", 1795341185802},
                                         TimeCase{"LeapSecond", "2016-12-31T23:59:60Z", 1483228800000},
                                         TimeCase{"NoLeapDay", "2023-02-29T12:00:00Z", std::nullopt},
                                         TimeCase{"NoZone", "2024-02-29T12:00:00", std::nullopt},
                                         TimeCase{"OtherZone", "2024-02-29T12:00:00+01:00", std::nullopt},
                                         TimeCase{"EmptyFraction", "2024-02-29T12:00:00.Z", std::nullopt}),
                         ParamName{});

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct ReportCase {
    const char* name;
    friend void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }
    std::string line;
    GpsdReport::Kind kind;
    GpsSample sample;  // for Fix
};

class GpsdReportTest : public testing::TestWithParam<ReportCase> {};

TEST_P(GpsdReportTest, TakesOnlyUsableFixes) {
    const ReportCase& c = GetParam();
    const GpsdReport report = ParseGpsdReport(c.line);
    ASSERT_EQ(report.kind, c.kind);
    if (c.kind != GpsdReport::Kind::Fix) {
        return;
    }
    EXPECT_EQ(report.sample.timeMs, c.sample.timeMs);
    EXPECT_EQ(report.sample.lat, c.sample.lat);
    EXPECT_EQ(report.sample.lon, c.sample.lon);
    EXPECT_EQ(std::isnan(report.sample.course), std::isnan(c.sample.course));
    EXPECT_EQ(std::isnan(report.sample.speed), std::isnan(c.sample.speed));
    if (!std::isnan(c.sample.course)) {
        EXPECT_EQ(report.sample.course, c.sample.course);
    }
    if (!std::isnan(c.sample.speed)) {
        EXPECT_EQ(report.sample.speed, c.sample.speed);
    }
}

using K = GpsdReport::Kind;

constexpr const char* kMode3 = R"({"class":"TPV","mode":3,"time":"2024-02-29T12:00:00Z",)";

// One row a line.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Reports, GpsdReportTest,
    testing::Values(
        ReportCase{"Fix3d", R"({"class":"TPV","device":"/dev/pts/1","mode":3,"time":"2026-11-22T09:53:05.802Z","lat":-27.210911667,"lon":153.052250000,"track":133.9600,"speed":0.993})", K::Fix, GpsSample{1795341185802, -27.210911667, 153.05225, 133.96, 0.993}},
        ReportCase{"Fix2dWithoutMotion", R"({"class":"TPV","mode":2,"time":"2024-02-29T12:00:00Z","lat":50.5,"lon":-9})", K::Fix, GpsSample{1709208000000, 50.5, -9, kNaN, kNaN}},
        ReportCase{"Track360IsNorth", std::string(kMode3) + R"("lat":1,"lon":2,"track":360,"speed":-1})", K::Fix, GpsSample{1709208000000, 1, 2, 0, kNaN}},
        ReportCase{"Mode1", R"({"class":"TPV","mode":1,"time":"2024-02-29T12:00:00Z","lat":1,"lon":2})", K::NoFix, {}},
        ReportCase{"NoTime", R"({"class":"TPV","mode":2,"lat":-27.2,"lon":153.0})", K::NoFix, {}},
        ReportCase{"NoLon", std::string(kMode3) + R"("lat":1})", K::NoFix, {}},
        ReportCase{"LatText", std::string(kMode3) + R"("lat":"1","lon":2})", K::NoFix, {}},
        ReportCase{"LatOutOfRange", std::string(kMode3) + R"("lat":91,"lon":2})", K::NoFix, {}},
        ReportCase{"BadTime", R"({"class":"TPV","mode":3,"time":"yesterday","lat":1,"lon":2})", K::NoFix, {}},
        ReportCase{"Sky", R"({"class":"SKY","satellites":[]})", K::Other, {}},
        ReportCase{"HalfALine", R"({"class":"TPV","mode":3,"time":"2024-02-)", K::Malformed, {}},
        ReportCase{"NoClass", R"({"mode":3})", K::Malformed, {}}),
    ParamName{});
// clang-format on

TEST(GpsdLineFramer, SplitsChunksDropsCrAndOverlongLines) {
    GpsdLineFramer framer;
    std::vector<std::string> lines;
    const auto keep = [&lines](std::string_view line) { lines.emplace_back(line); };
    framer.Feed("{\"a\":1}\r\n{\"b\"", keep);
    framer.Feed(":2}\n", keep);
    framer.Feed(std::string(GpsdLineFramer::kMaxLine + 1, 'x'), keep);
    framer.Feed("yy\nlast\n{\"unfinished\"", keep);
    framer.Reset();  // the connection ended: the unfinished line never comes out
    framer.Feed("\n", keep);
    EXPECT_EQ(lines, (std::vector<std::string>{"{\"a\":1}", "{\"b\":2}", "last", ""}));
    EXPECT_EQ(framer.dropped(), 1U);
}

TEST(RetryPause, DoublesFromHalfASecondUpToHalfAMinuteAndStartsAgainAfterSuccess) {
    RetryPause pause;
    std::vector<std::int64_t> pauses;
    for (int i = 0; i < 9; ++i) {
        pauses.push_back(pause.Next());
    }
    EXPECT_EQ(pauses, (std::vector<std::int64_t>{500, 1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000}));
    pause.Reset();
    EXPECT_EQ(pause.Next(), 500);
}

}  // namespace
}  // namespace vantrel::instruments
