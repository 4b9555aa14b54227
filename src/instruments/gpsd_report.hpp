#pragma once

// gpsd's JSON watch stream, read as plain text: one JSON object per line ("class":"VERSION", "DEVICES",
// "WATCH", "TPV", "SKY", ...). Only TPV (time-position-velocity) reports matter here:
//
//   {"class":"TPV","device":"/dev/ttyUSB0","mode":3,"time":"2026-11-22T09:53:05.802Z",
//    "lat":-27.210911667,"lon":153.052250000,"track":133.96,"speed":0.993,...}
//
// A report is a fix when mode >= 2 (2D or 3D) and time, lat and lon are all there and valid; track
// (degrees true) and speed (m/s) are taken when present. A TPV with mode 0 or 1, or without time or
// position, says "no fix". The JSON library stays behind this parser; nothing else sees it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "instruments/gps_sample.hpp"

namespace vantrel::instruments {

// What the client sends once connected: start the watch, JSON reports, no NMEA.
inline constexpr std::string_view kGpsdWatchCommand = "?WATCH={\"enable\":true,\"json\":true};\n";

struct GpsdReport {
    enum class Kind {
        Fix,        // a TPV with a usable fix: `sample` holds it
        NoFix,      // a TPV without one (mode < 2, or time or position missing)
        Other,      // any other class (VERSION, SKY, DEVICE, ...)
        Malformed,  // not a JSON object with a class
    };
    Kind kind = Kind::Other;
    GpsSample sample;
};

GpsdReport ParseGpsdReport(std::string_view line);

// "2026-11-22T09:53:05.802Z" (ISO 8601, UTC, fraction optional with any number of digits) as epoch
// milliseconds; nullopt for anything else or a date that does not exist.
std::optional<std::int64_t> ParseIsoTimeMs(std::string_view text);

// Splits gpsd's stream into lines (LF, a CR before it dropped). Memory is bounded: a line longer than
// kMaxLine is dropped whole and counted; framing picks up after its line end.
class GpsdLineFramer {
  public:
    // gpsd's longest reports (SKY with many satellites) are a few KB.
    static constexpr std::size_t kMaxLine = 64 * 1024;

    // Calls onLine(std::string_view) for each complete line.
    template <class OnLine>
    void Feed(std::string_view chunk, OnLine&& onLine) {
        while (!chunk.empty()) {
            const auto end = chunk.find('\n');
            const std::string_view part = chunk.substr(0, end);
            if (!overlong_) {
                if (line_.size() + part.size() > kMaxLine) {
                    overlong_ = true;
                    line_.clear();
                } else {
                    line_.append(part);
                }
            }
            if (end == std::string_view::npos) {
                return;
            }
            chunk.remove_prefix(end + 1);
            if (overlong_) {
                ++dropped_;
            } else {
                std::string_view line = line_;
                if (!line.empty() && line.back() == '\r') {
                    line.remove_suffix(1);
                }
                onLine(line);
            }
            line_.clear();
            overlong_ = false;
        }
    }
    // Forgets an unfinished line (the connection ended).
    void Reset() {
        line_.clear();
        overlong_ = false;
    }
    [[nodiscard]] std::size_t dropped() const { return dropped_; }

  private:
    std::string line_;
    bool overlong_ = false;
    std::size_t dropped_ = 0;
};

}  // namespace vantrel::instruments
