#pragma once

// The texts the simulated units send, byte for byte as the real ones do: NMEA 0183 sentences of a GPS
// (RMC, and HDT of a compass) and the lines of the Doppler receivers (agrelo, kn5r; see
// instruments/rx_formats.hpp for their layouts). Numbers are written with '.' whatever the locale.
//
// Plain functions of their arguments: any thread may call them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hunt_log/events.hpp"
#include "instruments/rx_formats.hpp"

namespace vantrel::simulate {

inline constexpr double kKnotsPerMetrePerSecond = 3600.0 / 1852.0;

// `value` with exactly `decimals` decimals and '.' ("12.50"); never "-0.00".
std::string FixedText(double value, int decimals);

// "$" + body + "*" + the two upper-case hex digits of the XOR of the body's bytes + CR LF.
std::string NmeaSentence(std::string_view body);

struct RmcData {
    hunt_log::TimeMs time = 0;
    std::optional<double> lat, lon;  // degrees; nullopt: no fix (status V, empty position fields)
    double speed = 0;                // m/s, written in knots with one decimal
    double course = 0;               // degrees true, written with one decimal
};

// $GPRMC,140005.00,A,5030.12345,N,00915.00000,E,23.3,80.4,081226,,,A*hh CR LF: minutes with five decimals
// (2 cm). Without a fix: $GPRMC,140005.00,V,,,,,,,081226,,,N*hh.
std::string RmcSentence(const RmcData& rmc);

// $HEHDT,80.4,T*hh CR LF: the compass heading (degrees true, one decimal, [0, 360)).
std::string HdtSentence(double heading);

// The bearing as the format's line carries it: whole degrees (agrelo), tenths (kn5r), in [0, 360).
double SentBearing(instruments::RxFormat format, double bearing);

// One line of the receiver with its line end (CR LF): agrelo "%BBB/Q", kn5r "CBBBB,MMMM,TTTT,NNNNNNNNNN"
// (magnitude = quality * 1000 + 500, tone peak 0412, the unit's millisecond counter modulo 2^32).
std::string ReceiverLine(instruments::RxFormat format, double bearing, int quality, std::uint64_t counterMs);

}  // namespace vantrel::simulate
