// One position request: which sentence it takes, the abort, and what it writes into the main window.
#include "instruments/gps_request.hpp"

#include <gtest/gtest.h>

#include "test_names.hpp"

#include <string>

namespace vantrel::instruments {
namespace {

// Langen near Frankfurt; the UTM values below are from GeographicLib (474484.4084 E, 5538956.7605 N, 32U).
const std::string kLangen = "$GNRMC,184102.00,A,5000.14318,N,00838.63715,E,0.011,,030416,,,A*6F";
const std::string kLangenNoFix = "$GNRMC,184101.00,V,5000.14318,N,00838.63715,E,0.011,,030416,,,N*74";
// Dunedin: 461207.1937 E, 4919434.0066 N, 59G.
const std::string kDunedin = "$GNRMC,003956.00,A,4552.65403,S,17030.00668,E,0.012,,120419,,,A*79";

TEST(GpsRequest, TakesTheFirstValidRmcAndStopsThere) {
    GpsRequest request;
    EXPECT_FALSE(request.Feed(kLangenNoFix + "\r\n" + kLangen.substr(0, 20)));
    EXPECT_FALSE(request.ended());
    EXPECT_TRUE(request.Feed(kLangen.substr(20) + "\r\n" + kDunedin + "\r\n"));
    ASSERT_TRUE(request.fix().has_value());
    EXPECT_EQ(request.fix()->sentence, kLangen);
    // Later bytes change nothing.
    EXPECT_TRUE(request.Feed(kDunedin + "\r\n"));
    EXPECT_EQ(request.fix()->sentence, kLangen);
}

TEST(GpsRequest, AbortEndsItWithoutPosition) {
    GpsRequest request;
    request.Feed("$GPGGA,1,2,3\r\n");
    request.Abort();
    EXPECT_TRUE(request.ended());
    EXPECT_TRUE(request.aborted());
    EXPECT_TRUE(request.Feed(kLangen + "\r\n"));
    EXPECT_FALSE(request.fix().has_value());
}

TEST(ApplyGpsFix, StationOneGetsNorthingEastingZoneAndTheSentence) {
    GpsRequest request;
    request.Feed(kLangen + "\r\n");
    core::MeasurementState state;
    ApplyGpsFix(state, 0, *request.fix(), ',');
    EXPECT_EQ(state.Sced1Lat, "5538956,8");
    EXPECT_EQ(state.Sced1Lon, "0474484,4");
    EXPECT_EQ(state.txtZone[0], "32U");
    EXPECT_EQ(state.txtTest, kLangen + "  N  E");
    // Station 2 untouched.
    EXPECT_EQ(state.Sced2Lat, "0");
    EXPECT_EQ(state.Sced2Lon, "0");
    EXPECT_EQ(state.txtZone[1], "");
}

TEST(ApplyGpsFix, AnyOtherIndexIsStationTwo) {
    GpsRequest request;
    request.Feed(kDunedin + "\n");
    for (const int index : {1, 7}) {
        core::MeasurementState state;
        ApplyGpsFix(state, index, *request.fix(), '.');
        EXPECT_EQ(state.Sced2Lat, "4919434.0");
        EXPECT_EQ(state.Sced2Lon, "0461207.2");
        EXPECT_EQ(state.txtZone[1], "59G");
        EXPECT_EQ(state.txtTest, kDunedin + "  S  E");
        EXPECT_EQ(state.Sced1Lat, "0");
        EXPECT_EQ(state.txtZone[0], "");
    }
}

// What a waiting request tells the user, after the bytes received so far.
struct WaitingCase {
    const char* name;
    std::string received;
    std::string text;
};

class GpsWaiting : public testing::TestWithParam<WaitingCase> {};

TEST_P(GpsWaiting, SaysHowFarItGot) {
    GpsRequest request;
    EXPECT_FALSE(request.Feed(GetParam().received));
    EXPECT_EQ(GpsWaitingText(request, "COM1"), GetParam().text);
}

const std::string kReceiving = "receiving, no valid position yet";
const std::string kNoFix = kReceiving + " (receiver reports no fix)";

INSTANTIATE_TEST_SUITE_P(
    Cases, GpsWaiting,
    testing::Values(WaitingCase{"Nothing", "", "no data from COM1 yet"},
                    WaitingCase{"NoiseOnly", "\x01\xff", kReceiving},
                    WaitingCase{"OtherSentences", "$GPGSV,1,1,00*79\r\n", kReceiving},
                    WaitingCase{"NoFixWithChecksum", kLangenNoFix + "\r\n", kNoFix},
                    WaitingCase{"NoFixWithoutChecksum", "$GPRMC,,V,,,,\r\n", kNoFix},
                    WaitingCase{"NoFixWithWrongChecksum", "$GPRMC,,V,,,,,,,,,,N*54\r\n", kReceiving},
                    WaitingCase{"StatusVFieldOnlyInTime", "$GPRMC,V\r\n", kReceiving},
                    // Once said, it stays said: a later sentence without the status changes nothing.
                    WaitingCase{"NoFixThenOther", kLangenNoFix + "\r\n$GPGSV,1,1,00*79\r\n", kNoFix}),
    vantrel::testing_support::ParamName());

}  // namespace
}  // namespace vantrel::instruments
