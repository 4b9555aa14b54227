#pragma once

// A live hunt on the move: GPS fixes, compass headings, a streaming receiver's bytes and a network DF
// server's file go in, each with the time it arrived on the caller's clock; bearings and track points to log
// come out, with counters and status texts. It reads no clock and writes no file: the caller appends what it
// returns through hunt_log::LogWriter.
//
// - The track (track.hpp) gives the hunt's clock (GPS time), the position of every bearing interpolated to
// its
//   time, and the position events. Without a fresh position a bearing is counted "no position" and not
//   logged.
// - Receiver: one bearing per interval (interval_bearing.hpp) of the fox on the air when the interval opened;
//   while no fox is on the air (SetFoxOnAir(kNoFox)) lines are counted and dropped. In vehicle mode the
//   bearing is relative to the car's forward direction: true = heading (heading.hpp) + relative, and without
//   a heading it is counted "no heading" and not logged. Without vehicle mode the unit's bearing is taken as
//   true (a fixed array aligned north, or a unit that applies its own compass). Source: the format's name.
// - Network DF: each poll's body is read (instruments::ParseDfText); refused lines are counted; each channel
//   of a new frame (network_bearings.hpp) whose frequency matches a fox becomes a bearing: true = the array's
//   heading + bearing when the line gives a heading, else the car's heading in network vehicle mode (none:
//   "no heading"), else the array is taken to point north. Position and time: the line's position at the
//   server's time when it gives one; else the own track at the hunt time of the arrival less the server's
//   latency. Sigma unknown (see network_bearings.hpp). Source "network", station the server's station id.
// - Every bearing is checked (hunt_log::CheckNewBearing) before it is handed out.
//
// One LiveSession belongs to one thread; callers on several threads serialise their calls.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hunt_log/log_writer.hpp"
#include "instruments/fox_schedule.hpp"
#include "instruments/rx_formats.hpp"
#include "live/heading.hpp"
#include "live/interval_bearing.hpp"
#include "live/network_bearings.hpp"
#include "live/nmea_motion.hpp"
#include "live/track.hpp"

namespace vantrel::live {

struct LiveOptions {
    instruments::RxFormat format = instruments::RxFormat::Agrelo;
    char decimalSeparator = '.';  // of the fixed-column format's numbers
    bool receiverVehicle = false;
    std::string receiverStation = "Car";
    IntervalRules interval;
    HeadingRules heading;
    FoxFrequencies foxes;
    double frequencyToleranceHz = kDefaultFrequencyToleranceHz;
    bool networkVehicle = false;
};

struct LiveCounters {
    std::size_t bearings = 0;         // handed out to log
    std::size_t positions = 0;        // position events handed out
    std::size_t noPosition = 0;       // bearings without a fresh position
    std::size_t noHeading = 0;        // vehicle-mode bearings without a heading
    std::size_t scattered = 0;        // intervals whose readings point all round
    std::size_t notOnAir = 0;         // receiver readings while no fox is on the air
    std::size_t refusedBearings = 0;  // bearings CheckNewBearing refused (a position beyond UTM, ...)
    std::size_t networkLinesSkipped = 0;
    std::size_t unmatchedChannels = 0;
    std::size_t repeatedFrames = 0;
    std::size_t backwardFrames = 0;

    friend bool operator==(const LiveCounters&, const LiveCounters&) = default;
};

struct LiveOutput {
    std::vector<hunt_log::NewBearing> bearings;
    std::vector<hunt_log::PositionEvent> positions;
    std::vector<std::string> problems;  // one line each, for the user: "fox 1 bearing 123.4: no position"
};

class LiveSession {
  public:
    explicit LiveSession(LiveOptions options);

    LiveOutput OnGpsBytes(std::string_view bytes, TimeMs arrivalMs);
    LiveOutput OnGps(const instruments::GpsSample& fix, TimeMs arrivalMs);
    void OnHeading(const instruments::HeadingSample& heading, TimeMs arrivalMs);
    LiveOutput OnReceiverBytes(std::string_view bytes, TimeMs arrivalMs);
    LiveOutput OnNetworkBody(std::string_view body, TimeMs arrivalMs);
    // The fox on the air from now on (instruments::kNoFox: none); a change first closes the open interval.
    LiveOutput SetFoxOnAir(int fox, TimeMs arrivalMs);
    // Closes an interval whose time is up; call at least every interval.
    LiveOutput Tick(TimeMs nowMs);
    // Closes the open interval: the session ends.
    LiveOutput Finish(TimeMs nowMs);

    [[nodiscard]] const LiveCounters& counters() const { return counters_; }
    [[nodiscard]] std::string GpsText(TimeMs nowMs) const { return track_.FixAgeText(nowMs); }
    [[nodiscard]] std::string HeadingText(TimeMs nowMs) const { return heading_.Text(nowMs); }
    // "12 bearings, 3 no position, 1 no heading" (the counts that are not 0 after the first).
    [[nodiscard]] std::string CountsText() const;

  private:
    void TakeInterval(const std::optional<IntervalResult>& interval, LiveOutput& out);
    void TakeChannel(const instruments::DfChannel& channel, TimeMs arrivalMs, LiveOutput& out);
    void Hand(hunt_log::NewBearing bearing, LiveOutput& out);

    LiveOptions options_;
    Track track_;
    HeadingTracker heading_;
    NmeaMotionReader nmea_;
    instruments::RxReader receiver_;
    IntervalBearings intervals_;
    FrameMemory frames_;
    int foxOnAir_ = 1;
    LiveCounters counters_;
};

}  // namespace vantrel::live
